// The syslog page and the floating window, with a real sender on loopback: the Options toggles,
// docking both ways with lines arriving in between, the file-error dialog, the bind failure, a
// close while undocked, and the end of the session: SIGTERM and SIGHUP to the real program, one
// while a dialog is open, the closing line before the settings, a log-off that goes on or is
// cancelled after the save request; a full disk under the log file, a settings file that cannot be
// written at close.
#include "Process.h"
#include "TestSeams.h"
#include "UdpSender.h"
#include "app/tray/LogOff.h"
#include "app/Main.h"
#include "app/syslog/SysLogWin.h"
#include "widgets/RollOverBtn.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>
#include <csignal>

namespace {

// A profile with no router and these settings.
void WriteProfile(const QVariantMap& profile) {
    QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
    store.clear();
    store.setValue(QStringLiteral("IPAddress"), QStringLiteral("127.0.0.1:9"));
    for (auto it = profile.begin(); it != profile.end(); ++it)
        store.setValue(it.key(), it.value());
}

struct Window : app::MessageBoxes {
    testing_seams::FixedClock clock;
    testing_seams::RecordingSounds sounds;
    core::NullCursor cursor;
    QStringList errors;
    app::CriticalMessageBoxes boxes; // once realBoxes is set
    bool realBoxes = false;
    app::SaveDialog dialog;
    uint16_t port;
    UdpSender sender;
    std::unique_ptr<TForm1> form;

    // Started from a profile with no router and these settings.
    explicit Window(const QVariantMap& profile, int listen = FreeUdpPort()) : port(listen) {
        WriteProfile(profile);
        form =
            std::make_unique<TForm1>(app::WindowSeams{clock, sounds, cursor, *this, dialog, port});
        form->show();
    }
    void Error(QWidget* parent, const QString& text) override {
        realBoxes ? boxes.Error(parent, text) : errors.append(text);
    }
    // The one log view, wherever it is; with `floating`, only while the floating window holds it.
    [[nodiscard]] QPlainTextEdit* memo(bool floating = false) const {
        auto* view = form->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        if (floating && (form->Form2() == nullptr || !form->Form2()->isAncestorOf(view)))
            return nullptr;
        return view;
    }
    [[nodiscard]] QStringList lines(bool floating = false) const {
        return memo(floating)->toPlainText().split('\n');
    }
    [[nodiscard]] QString caption(bool floating = false) const {
        QWidget* owner = floating ? form->Form2() : form->Page(app::SyslogPageIndex);
        return owner->findChild<QLabel*>("Label13")->text();
    }
    void click(const char* name) const {
        form->findChild<widgets::tRollOverBtn*>(QLatin1String(name))->Click();
    }
};

bool Sh(const QString& command) {
    return std::system(qPrintable(command)) == 0;
}

// A directory whose files cannot grow: a full tmpfs where root may mount one, else one that does
// not exist.
QString FullDisk(const QString& dir) {
    const QString fill = "mount -t tmpfs -o size=4k tmpfs " + dir + " && head -c 4096 /dev/zero >";
    return Sh("mkdir -p " + dir + " && " + fill + dir + "/f") ? dir : dir + "/no";
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FileLines(const QString& path) {
    return QFile::exists(path) ? QString::fromLatin1(FileBytes(path)).split("\r\n") : QStringList();
}

bool ClosedLast(const QStringList& lines) {
    return lines.value(lines.size() - 2).startsWith("**** SysLog server disabled");
}

QVariant Saved(const char* name) {
    return QSettings("Corvane", "LineScope").value(name);
}

} // namespace

class SysLogWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    [[nodiscard]] QString path(const char* name) const { return dir_.filePath(name); }

private slots:
    void optionsToggleFileAndCap() {
        Window w({{"SLFileOut", 1}, {"SLFileDate", 0}, {"SLFileName", path("a.log")}});
        w.click("OptionsBtnSLActive");
        QVERIFY(FileLines(path("a.log")).value(0).startsWith("**** SysLog server enabled on "));
        w.dialog.SetAnswerer([this](const auto&, QString&) { return path("b.log"); });
        w.click("OptionsBtnSysLogFile");
        w.sender.Send(w.port, std::string("<30>a\0b\xe9", 8));
        const QString line = QString::fromLatin1("a\0b\xe9", 4);
        QTRY_COMPARE(FileLines(path("b.log")), QStringList({line, ""}));
        QCOMPARE(w.lines().last(), line);
        // A line event reads in the same timeline while the server is on, and only then.
        const core::history::Event event{1000, core::history::EventKind::Resync, "Inits 3 -> 4"};
        w.form->TellLineEvent(event);
        QCOMPARE(w.lines().last(), core::history::EventLogLine(event));
        w.click("OptionsBtnSLActive");
        w.form->TellLineEvent(event); // the server is off: nothing
        QCOMPARE(FileLines(path("b.log")).mid(1, 2).join('|'),
                 core::history::EventLogLine(event) + "|" + w.lines().last());
        QVERIFY(w.lines().last().startsWith("**** SysLog server disabled on "));
        for (int i = 0; i < 5001; ++i)
            w.form->AddSysLogEntry(QString::number(i), true, false);
        QCOMPARE(w.memo()->blockCount(), 5000);
        QCOMPARE(w.memo()->document()->firstBlock().text(), "1");
    }

    void undockAndDockWithLinesBetween() {
        Window w({{"SLActive", 1}, {"SLFileOut", 1}, {"SLFileDate", 0}, {"SLFileName", path("d")}});
        for (int i = 1; i < 10; ++i)
            w.sender.Send(w.port, "<30>line " + std::to_string(i));
        // One line each: a CR before the LF, a CR and a no-break space within.
        w.sender.Send(w.port, "<30>cr lf\r\n");
        w.sender.Send(w.port, "<30>a\rb\xa0");
        QTRY_COMPARE(w.memo()->blockCount(), 12);
        w.click("SysLogBtnUnDock");
        QVERIFY(w.memo()->window() == w.form->Form2() && w.memo()->blockCount() == 12);
        QCOMPARE(w.caption() + w.caption(true), "SysLog Server (Undocked)SysLog Server (Enabled)");
        w.sender.Send(w.port, "<30>while floating");
        QTRY_COMPARE(w.lines().last(), "while floating");
        w.form->Form2()->setWindowState(Qt::WindowMaximized);
        w.click("tRollOverBtn3");
        QVERIFY(w.form->settings().SLDocked && !w.form->Form2()->isVisible());
        QCOMPARE(w.form->settings().SLFloatState, 2);
        QCOMPARE(w.lines().mid(9, 2), QStringList({"line 9", "cr lf\u240D"}));
        QCOMPARE(w.memo()->document()->findBlockByNumber(11).text(), "a\u240Db\u00A0");
        QVERIFY(w.memo()->window() == w.form.get() && !w.memo()->isHidden());
        QCOMPARE(w.caption(), "SysLog Server (Enabled)");
        // Save writes what the log file holds, byte for byte.
        w.dialog.SetAnswerer([this](const auto&, QString&) { return path("saved.txt"); });
        w.click("SysLogBtnSave");
        QCOMPARE(FileBytes(path("saved.txt")), FileBytes(path("d")));
    }

    void fileErrorRetryThenCancel() {
        const QString full = FullDisk(path("disk")) + "/such.log";
        const auto unmount = qScopeGuard([this] { Sh("umount " + path("disk") + " 2>/dev/null"); });
        Window w({{"SLFileOut", 1}, {"SLFileDate", 0}, {"SLFileName", full}});
        QStringList titles;
        w.dialog.SetAnswerer([&](const app::SaveDialog::Request& r, QString&) {
            titles.append(r.title);
            return titles.size() == 1 ? std::optional(path("ok.log")) : std::nullopt;
        });
        w.click("OptionsBtnSLActive"); // the enabled line fails and is retried into ok.log
        QCOMPARE(FileLines(path("ok.log")).size(), 2);
        w.form->settings().SLFileName = full;
        w.sender.Send(w.port, "<30>lost file");
        w.sender.Send(w.port, "<30>after");
        QTRY_COMPARE(w.lines().mid(1), QStringList({"lost file",
                                                    "**** SysLog file output switched off: " +
                                                        full + " could not be written ****",
                                                    "after"}));
        // Off, and its toggle drawn so.
        QVERIFY(!w.form->settings().SLFileOut &&
                w.form->findChild<widgets::tRollOverBtn*>("OptionsBtnSLFileOut")->ButtonDown());
        QCOMPARE(titles, QStringList(2, "SysLog filename or path invalid, pleasechoose a new "
                                        "filename or path"));
    }

    void unwritableSettingsAtCloseKeepTheOldFile() {
        const QString file = QSettings("Corvane", "LineScope").fileName();
        const QString dir = QFileInfo(file).absolutePath();
        if (!Sh("mkdir -p " + dir + " && mount -t tmpfs tmpfs " + dir)) QSKIP("cannot mount");
        const auto unmount = qScopeGuard([&] { Sh("umount " + dir); });
        for (bool logOff : {false, true}) {
            Window w({{"WinX", 3}}); // the record is complete from here on
            const QStringList before = FileLines(file);
            QTemporaryFile err;
            const int saved = dup(2);
            QVERIFY(Sh("mount -o remount,ro " + dir) && err.open() && dup2(err.handle(), 2) == 2);
            logOff ? void(w.form->WMQueryEndSession()) : void(w.form->close());
            dup2(saved, 2);
            ::close(saved);
            // The session is ending: standard error, not a box that nobody would close.
            QCOMPARE(FileLines(err.fileName()).join("").contains("could not be saved"), logOff);
            QCOMPARE(w.errors.size(), logOff ? 0 : 1);
            QCOMPARE(FileLines(file), before);
            QVERIFY(Sh("mount -o remount,rw " + dir));
        }
    }

    void bindFailureLeavesTheServerOff() {
        int port = 0;
        const int taken = BoundUdpSocket("127.0.0.1", port);
        const auto release = qScopeGuard([taken] { ::close(taken); });
        const QString why("Could not bind socket. Address and port are already in use.");
        for (bool click : {false, true}) {
            Window w({{"SLActive", 1}, {"RefreshInt", 5}}, port);
            const auto* toggle = w.form->findChild<widgets::tRollOverBtn*>("OptionsBtnSLActive");
            QVERIFY(toggle->ButtonDown() && w.form->Timer1()->isActive()); // drawn off
            if (click) w.click("OptionsBtnSLActive");                      // tried again, in vain
            QCOMPARE(w.errors, QStringList(click ? 2 : 1, why));
            QVERIFY(toggle->ButtonDown());
            w.form->close();
            // A port held at start-up is no choice of the user's; a click that fails is.
            QCOMPARE(QSettings("Corvane", "LineScope").value("SLActive").toInt(), click ? 0 : 1);
            QVERIFY(w.memo()->document()->isEmpty()); // no closing line for a server never on
        }
    }

    void closeWhileUndockedKeepsItFloating() {
        auto w = std::make_unique<Window>(QVariantMap{{"SLActive", 1},
                                                      {"SLDocked", 0},
                                                      {"SLFloatX", 5000},
                                                      {"SLFileOut", 1},
                                                      {"SLFileDate", 0},
                                                      {"SLFileName", path("close.log")}});
        QVERIFY(w->form->Form2()->isVisible());
        QCOMPARE(w->form->Form2()->pos(), QPoint(0, 0)); // off every screen: back on one
        w->form->close();
        w.reset();
        QCOMPARE(QSettings("Corvane", "LineScope").value("SLDocked").toInt(), 0);
        QVERIFY(FileLines(path("close.log")).value(1).startsWith("**** SysLog server disabled"));
    }

    void signalSavesAndLogsTheClosingLineLast() {
        for (const char* signal : {"TERM", "HUP"}) {
            const QString log = path(signal);
            WriteProfile(
                {{"SLActive", 1}, {"SLFileOut", 1}, {"SLFileDate", 0}, {"SLFileName", log}});
            ChildProcess program;
            QVERIFY(
                program.Start({LINESCOPE_PROGRAM, "--syslog-port", std::to_string(FreeUdpPort())}));
            QTRY_COMPARE_WITH_TIMEOUT(FileLines(log).size(), 2, 20000); // the opening line
            ::kill(program.Pid(), *signal == 'T' ? SIGTERM : SIGHUP);
            QTRY_VERIFY_WITH_TIMEOUT(program.Exited(), 20000);
            QCOMPARE(program.Stop(), 0);
            QVERIFY(QSettings("Corvane", "LineScope").contains("WinX"));
            QVERIFY2(FileLines(log).value(1).startsWith("**** SysLog server disabled"), signal);
            QCOMPARE(FileLines(log).size(), 3); // and nothing after it
        }
    }

    // Each kind of dialog a log-off can interrupt: it is ended as no answer, and the window is
    // saved and freed once its loop has unwound; no setting changes.
    void logOffWithADialogOpen() {
        using Open = std::function<void(Window&, const QString&)>;
        const std::pair<const char*, Open> kinds[] = {
            {"floating save", [](Window& w, auto&) { w.click("tRollOverBtn2"); }},
            {"docked save", [](Window& w, auto&) { w.click("SysLogBtnSave"); }},
            {"file chooser", [](Window& w, auto&) { w.click("OptionsBtnSysLogFile"); }},
            {"graph", [](Window& w, auto&) { w.click("GraphsBtnSave"); }},
            {"table",
             [](Window& w, auto&) {
                 w.click("TableBtnEvents");
                 w.click("TableBtnSave");
             }},
            {"message box", [](Window& w, auto&) { w.form->HistoryProblem("problem"); }},
            {"file error", [](Window& w, const QString& log) {
                 QVERIFY(QFile::remove(log) && QDir().mkdir(log));
                 w.form->AddSysLogEntry("line", true, true);
             }}};
        for (const auto& [kind, open] : kinds) {
            const QString log = path(kind);
            Window w({{"SLActive", 1},
                      {"SLDocked", 0},
                      {"SLFileOut", 1},
                      {"SLFileDate", 0},
                      {"SLFileName", log}});
            w.realBoxes = true;
            QSignalSpy finished(&w.form->LogOff(), &app::LogOff::Finished);
            int seen = 0;
            QTimer poll;
            connect(&poll, &QTimer::timeout, [&] {
                if (QApplication::activeModalWidget() == nullptr) return;
                if (seen++ == 0) w.form->LogOff().End(true);
                if (seen == 50) QApplication::activeModalWidget()->close(); // fail, not hang
            });
            poll.start(10);
            open(w, log);
            QTRY_COMPARE(finished.size(), 1);
            QVERIFY2(seen == 1 && w.form->Form2() == nullptr, kind);
            QCOMPARE(Saved("SLFileName").toString() + Saved("SLFileOut").toString(), log + "1");
            QVERIFY2(QFileInfo(log).isDir() || ClosedLast(FileLines(log)), kind);
        }
    }

    // The closing line is written before the settings: at close a path chosen for it is saved;
    // at log-off nobody is asked, and file output stays on.
    void closingLineBeforeTheSettings() {
        for (bool logOff : {false, true}) {
            Window w({{"SLActive", 1},
                      {"SLFileOut", 1},
                      {"SLFileDate", 0},
                      {"SLFileName", path("first.log")}});
            w.form->settings().SLFileName = path("no/such.log");
            w.dialog.SetAnswerer([this](const auto&, QString&) { return path("chosen.log"); });
            logOff ? w.form->LogOff().End(true) : void(w.form->close());
            QCOMPARE(Saved("SLFileName").toString(), path(logOff ? "no/such.log" : "chosen.log"));
            QCOMPARE(Saved("SLFileOut").toInt() + w.dialog.TimesShown(), logOff ? 1 : 2);
        }
    }

    // After the save request the log-off goes on (a signal), or is cancelled: the first input,
    // or the time passing. Cancelled, the program is whole again, and a close saves a change.
    void saveRequestThenEndOrCancel() {
        for (const char* next : {"signal", "input", "time"}) {
            const QString log = path(next);
            Window w({{"SLActive", 1},
                      {"SLDocked", 0},
                      {"SLFileOut", 1},
                      {"SLFileDate", 0},
                      {"SLFileName", log}});
            w.form->AddSysLogEntry("before", true, false);
            w.form->LogOff().SetResumeAfter(std::chrono::milliseconds(*next == 'i' ? 60000 : 50));
            QSignalSpy finished(&w.form->LogOff(), &app::LogOff::Finished);
            QVERIFY(w.form->WMQueryEndSession() && w.form->Form2() == nullptr);
            QCOMPARE(w.lines().value(1), "before"); // back on the page with the window gone
            w.form->MenuBtnOptionsClick();
            auto* beep = w.form->findChild<widgets::tRollOverBtn*>("OptionsBtnSLBeep");
            if (*next == 's') {
                w.form->LogOff().End(true);
                QTest::qWait(300); // past the time that would resume it
                QVERIFY(finished.size() == 1 && w.form->Form2() == nullptr);
                QVERIFY(!w.form->SysLogServer().Active() && ClosedLast(FileLines(log)));
                QCOMPARE(FileLines(log).size(), 3);
                continue;
            }
            if (*next == 'i') QTest::mouseClick(beep, Qt::LeftButton);
            QTRY_VERIFY(w.form->SysLogServer().Active());
            if (*next == 't') QTest::mouseClick(beep, Qt::LeftButton);
            QVERIFY(w.form->Form2()->isVisible() && w.lines(true).contains("before"));
            w.form->close();
            QCOMPARE(Saved("SLBeep").toInt() + Saved("SLDocked").toInt(), 1);
            QVERIFY(ClosedLast(FileLines(log)) && FileLines(log).size() == 5);
            QVERIFY(finished.isEmpty());
        }
    }
};

QTEST_MAIN(SysLogWindowTest)
#include "SysLogWindowTest.moc"
