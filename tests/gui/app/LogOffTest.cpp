// The end of the user's session, offscreen: SIGTERM and SIGHUP to the real program, and a log-off
// the desktop cancels after the program has saved; minimising where there is no tray; the About
// page's link.
#include "Main.h"
#include "Process.h"
#include "RollOverBtn.h"
#include "SysLogWin.h"
#include "TestSeams.h"

#include <QDesktopServices>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

namespace {

// The profile a run starts from: no router, the syslog server logging to `log`, and `extra`.
void WriteProfile(const QString& log, const QVariantMap& extra = {}) {
    QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
    store.clear();
    QVariantMap profile{{"IPAddress", "127.0.0.1:9"},
                        {"SLActive", 1},
                        {"SLFileOut", 1},
                        {"SLFileDate", 0},
                        {"SLFileName", log}};
    profile.insert(extra);
    for (auto it = profile.begin(); it != profile.end(); ++it)
        store.setValue(it.key(), it.value());
}

QStringList LogLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
}

struct Window : app::MessageBoxes {
    testing_seams::FixedClock clock;
    testing_seams::RecordingSounds sounds;
    core::NullCursor cursor;
    QStringList errors;
    app::SaveDialog dialog;
    TForm1 form{app::WindowSeams{clock, sounds, cursor, *this, dialog, uint16_t(FreeUdpPort())}};
    void Error(QWidget*, const QString& text) override { errors.append(text); }
};

} // namespace

class LogOffTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QList<QUrl> opened_;

public slots:
    void Open(const QUrl& url) { opened_.append(url); }

private slots:
    void signalSavesAndLogsTheClosingLineLast_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void signalSavesAndLogsTheClosingLineLast() {
        QFETCH(int, signal);
        const QString log = dir_.filePath(QString::number(signal) + ".log");
        WriteProfile(log);
        ChildProcess program;
        QVERIFY(program.Start({LINESCOPE_PROGRAM, "--syslog-port", std::to_string(FreeUdpPort())}));
        QTRY_COMPARE_WITH_TIMEOUT(LogLines(log).size(), 1, 20000);
        ::kill(program.Pid(), signal);
        QTRY_VERIFY_WITH_TIMEOUT(program.Exited(), 20000);
        QCOMPARE(program.Stop(), 0);
        QVERIFY(QSettings("Corvane", "LineScope").contains("WinX"));
        const QStringList lines = LogLines(log);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.last().startsWith("**** SysLog server disabled"), qPrintable(lines.last()));
    }

    void cancelledLogOffThenClose() {
        const QString log = dir_.filePath("cancelled.log");
        WriteProfile(log, {{"SLDocked", 0}});
        Window w;
        QVERIFY(w.form.WMQueryEndSession() && w.form.WMQueryEndSession());
        QCOMPARE(w.form.Form2(), nullptr);
        QCOMPARE(LogLines(log).size(), 2);
        // The program runs on: the view is back on its page, and undocking makes a new window.
        w.form.findChild<widgets::tRollOverBtn*>("SysLogBtnUnDock")->Click();
        QVERIFY(w.form.Form2()->isVisible());
        w.form.close();
        QCOMPARE(LogLines(log).size(), 2);
        QVERIFY(w.errors.isEmpty());
        QCOMPARE(QSettings("Corvane", "LineScope").value("SLDocked").toInt(), 0);
    }

    void withoutTrayMinimisingNeverHides() {
        WriteProfile(dir_.filePath("notray.log"),
                     {{"MinTray", 1}, {"StartTray", 1}, {"SLDocked", 0}});
        Window w;
        QVERIFY(w.form.ShowOnStart() && !w.form.TrayIconPresent());
        w.form.show();
        QVERIFY(w.form.isMinimized() && !w.form.Form2()->isVisible());
        w.form.setWindowState(Qt::WindowNoState); // restored from the taskbar
        QVERIFY(w.form.Form2()->isVisible());
        w.form.showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(w.form.isMinimized() && w.form.isVisible());
    }

    void aboutLinkOpensTheHomePage() {
        QDesktopServices::setUrlHandler("https", this, "Open");
        WriteProfile(dir_.filePath("about.log"));
        Window w;
        w.form.MenuBtnAboutClick();
        auto* link = w.form.findChild<QLabel*>("AboutBtnWWW");
        QVERIFY(link->text().contains(LINESCOPE_HOMEPAGE));
        QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
        QCOMPARE(opened_, QList<QUrl>{QUrl(LINESCOPE_HOMEPAGE)});
        QDesktopServices::unsetUrlHandler("https");
    }
};

QTEST_MAIN(LogOffTest)
#include "LogOffTest.moc"
