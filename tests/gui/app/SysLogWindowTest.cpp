// The syslog page and the floating window, with a real sender on loopback: the Options toggles,
// docking both ways with lines arriving in between, the file-error dialog, the bind failure and
// a close while undocked.
#include "Main.h"
#include "Process.h"
#include "RollOverBtn.h"
#include "SysLogWin.h"
#include "TestSeams.h"
#include "UdpSender.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

namespace {

class RecordingMessages final : public app::MessageBoxes {
public:
    void Error(QWidget*, const QString& text) override { errors.append(text); }
    QStringList errors;
};

// A window started from a profile with no router and the given settings.
struct Window {
    testing_seams::FixedClock clock;
    testing_seams::RecordingSounds sounds;
    core::NullCursor cursor;
    RecordingMessages messages;
    app::SaveDialog dialog;
    uint16_t port = static_cast<uint16_t>(FreeUdpPort());
    std::unique_ptr<TForm1> form;
    UdpSender sender;

    explicit Window(const QVariantMap& profile) {
        QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        store.clear();
        store.setValue(QStringLiteral("IPAddress"), QStringLiteral("127.0.0.1:9"));
        for (auto it = profile.begin(); it != profile.end(); ++it)
            store.setValue(it.key(), it.value());
        store.sync();
        form = std::make_unique<TForm1>(
            app::WindowSeams{clock, sounds, cursor, messages, dialog, port});
        form->show();
    }
    [[nodiscard]] QPlainTextEdit* memo(bool floating = false) const {
        QWidget* owner =
            floating ? static_cast<QWidget*>(form->Form2()) : form->Page(app::SyslogPageIndex);
        return owner->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    }
    [[nodiscard]] QString caption(bool floating = false) const {
        return memo(floating)
            ->parentWidget()
            ->findChild<QLabel*>(QStringLiteral("Label13"))
            ->text();
    }
    void click(const char* name) const {
        form->findChild<widgets::tRollOverBtn*>(QLatin1String(name))->Click();
    }
};

QStringList FileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

} // namespace

class SysLogWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    [[nodiscard]] QString path(const char* name) const {
        return dir_.filePath(QLatin1String(name));
    }

private slots:
    void optionsToggleFileAndCap() {
        Window w({{"SLFileOut", 1}, {"SLFileDate", 0}, {"SLFileName", path("a.log")}});
        w.click("OptionsBtnSLActive");
        QCOMPARE(w.caption(), QStringLiteral("SysLog Server (Enabled)"));
        QVERIFY(FileLines(path("a.log")).value(0).startsWith("**** SysLog server enabled on "));
        w.dialog.SetAnswerer([this](const auto&, QString&) { return path("b.log"); });
        w.click("OptionsBtnSysLogFile");
        w.sender.Send(w.port, std::string("<30>a\0b\xe9", 8));
        QTRY_COMPARE(FileLines(path("b.log")), QStringList{QString::fromLatin1("a\0b\xe9", 4)});
        QCOMPARE(w.memo()->toPlainText().split('\n').last(), QString::fromLatin1("a\0b\xe9", 4));
        w.click("OptionsBtnSLActive");
        QCOMPARE(w.caption(), QStringLiteral("SysLog Server (Disabled)"));
        QVERIFY(FileLines(path("b.log")).last().startsWith("**** SysLog server disabled on "));
        for (int i = 0; i < 5001; ++i)
            w.form->AddSysLogEntry(QString::number(i), true, false);
        QCOMPARE(w.memo()->blockCount(), 5000);
        QCOMPARE(w.memo()->document()->firstBlock().text(), QStringLiteral("1"));
    }

    void undockAndDockWithLinesBetween() {
        Window w({{"SLActive", 1}});
        for (int i = 1; i < 10; ++i)
            w.sender.Send(w.port, "<30>line " + std::to_string(i));
        QTRY_COMPARE(w.memo()->blockCount(), 10);
        w.click("SysLogBtnUnDock");
        QCOMPARE(w.memo(true)->blockCount(), 10);
        QVERIFY(w.memo()->toPlainText().isEmpty() && w.memo()->isHidden());
        QCOMPARE(w.caption(), QStringLiteral("SysLog Server (Undocked)"));
        QCOMPARE(w.caption(true), QStringLiteral("SysLog Server (Enabled)"));
        w.sender.Send(w.port, "<30>while floating");
        QTRY_COMPARE(w.memo(true)->blockCount(), 11);
        w.form->Form2()->setWindowState(Qt::WindowMaximized);
        w.click("tRollOverBtn3");
        QVERIFY(w.form->settings().SLDocked && !w.form->Form2()->isVisible());
        QCOMPARE(w.form->settings().SLFloatState, 2);
        QCOMPARE(w.memo()->toPlainText().split('\n').last(), QStringLiteral("while floating"));
        QCOMPARE(w.memo()->blockCount(), 11);
        QVERIFY(w.memo(true)->toPlainText().isEmpty() && !w.memo()->isHidden());
        QCOMPARE(w.caption(), QStringLiteral("SysLog Server (Enabled)"));
    }

    void fileErrorRetryThenCancel() {
        Window w({{"SLFileOut", 1}, {"SLFileDate", 0}, {"SLFileName", path("no/such.log")}});
        QStringList titles;
        w.dialog.SetAnswerer([&](const app::SaveDialog::Request& r, QString&) {
            titles.append(r.title);
            return titles.size() == 1 ? std::optional(path("ok.log")) : std::nullopt;
        });
        w.click("OptionsBtnSLActive"); // the enabled line fails, is retried into ok.log
        QCOMPARE(FileLines(path("ok.log")).size(), 1);
        QCOMPARE(w.memo()->blockCount(), 1);
        w.form->settings().SLFileName = path("no/such.log");
        w.sender.Send(w.port, "<30>lost file");
        QTRY_VERIFY(!w.form->settings().SLFileOut);
        w.sender.Send(w.port, "<30>after");
        QTRY_COMPARE(w.memo()->toPlainText().split('\n').mid(1),
                     QStringList({"lost file",
                                  "**** SysLog file output switched off: " + path("no/such.log") +
                                      " could not be written ****",
                                  "after"}));
        QCOMPARE(titles.size(), 2);
        QCOMPARE(titles[0], "SysLog filename or path invalid, pleasechoose a new filename or path");
    }

    void bindFailureStillStartsTheTimer() {
        int port = FreeUdpPort();
        const int taken = BoundUdpSocket("127.0.0.1", port);
        QSettings(QStringLiteral("Corvane"), QStringLiteral("LineScope")).clear();
        testing_seams::FixedClock clock;
        testing_seams::RecordingSounds sounds;
        core::NullCursor cursor;
        RecordingMessages messages;
        app::SaveDialog dialog;
        QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        store.setValue(QStringLiteral("IPAddress"), QStringLiteral("127.0.0.1:9"));
        store.setValue(QStringLiteral("SLActive"), 1);
        store.setValue(QStringLiteral("RefreshInt"), 5);
        store.sync();
        TForm1 form({clock, sounds, cursor, messages, dialog, static_cast<uint16_t>(port)});
        QCOMPARE(messages.errors,
                 QStringList{"Could not bind socket. Address and port are already in use."});
        QVERIFY(form.Timer1()->isActive());
        ::close(taken);
    }

    void closeWhileUndockedKeepsItFloating() {
        const QString log = path("close.log");
        {
            Window w({{"SLActive", 1},
                      {"SLDocked", 0},
                      {"SLFloatX", 5000},
                      {"SLFloatY", 40},
                      {"SLFileOut", 1},
                      {"SLFileDate", 0},
                      {"SLFileName", log}});
            QVERIFY(w.form->Form2()->isVisible());
            QCOMPARE(w.form->Form2()->pos(), QPoint(0, 0)); // off every screen: back on one
            w.form->close();
        }
        QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        QCOMPARE(store.value(QStringLiteral("SLDocked")).toInt(), 0);
        QVERIFY(FileLines(log).last().startsWith("**** SysLog server disabled on "));
    }
};

QTEST_MAIN(SysLogWindowTest)
#include "SysLogWindowTest.moc"
