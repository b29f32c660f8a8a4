// The real program's log-off as SIGTERM on a display with a window manager (with-window-manager),
// its windows driven through the X server: while the floating window's "Save SysLog" dialog is
// open, and while a start-up message box is.
#include "Process.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <unistd.h>

namespace {

// xdotool's answer; empty when it finds nothing within the time.
QString Xdotool(const QStringList& args) {
    QProcess xdotool;
    xdotool.start("xdotool", args);
    xdotool.waitForFinished(20000);
    return QString::fromLatin1(xdotool.readAllStandardOutput()).trimmed();
}

QStringList FileLines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).split("\r\n")
                                          : QStringList();
}

} // namespace

class LogOffTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void sigtermWithADialogOpen() {
        int taken = 0;
        const int socket = BoundUdpSocket("127.0.0.1", taken);
        for (bool startUp : {false, true}) {
            const QString log = dir_.filePath(startUp ? "start.log" : "save.log");
            QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
            store.clear();
            for (const auto& [key, value] :
                 {std::pair<const char*, QVariant>{"IPAddress", "127.0.0.1:9"},
                  {"SLActive", 1},
                  {"SLDocked", 0},
                  {"SLFileOut", 1},
                  {"SLFileDate", 0},
                  {"SLFileName", log}})
                store.setValue(key, value);
            store.sync();
            // At start-up the syslog port is taken: its message box is open.
            const int port = startUp ? taken : FreeUdpPort();
            ChildProcess program;
            QVERIFY(program.Start({LINESCOPE_PROGRAM, "--syslog-port", std::to_string(port)}));
            if (startUp) {
                QVERIFY(!Xdotool({"search", "--sync", "--onlyvisible", "--name", "^LineScope$"})
                             .isEmpty());
            } else {
                QTRY_COMPARE_WITH_TIMEOUT(FileLines(log).size(), 2, 20000); // the opening line
                const QString floating = Xdotool(
                    {"search", "--sync", "--onlyvisible", "--name", "Undocked SysLog Server"});
                // In front of the main window, then "Save SysLog": the second button of the strip
                // along its bottom edge.
                Xdotool({"windowactivate", "--sync", floating});
                Xdotool({"mousemove", "--sync", "--window", floating, "200", "508", "click", "1"});
                QVERIFY(!Xdotool({"search", "--sync", "--onlyvisible", "--name",
                                  "Please choose filename"})
                             .isEmpty());
            }
            ::kill(program.Pid(), SIGTERM);
            QTRY_VERIFY_WITH_TIMEOUT(program.Exited(), 20000);
            QCOMPARE(program.Stop(), 0);
            store.sync();
            QVERIFY(store.contains("WinX"));
            QCOMPARE(store.value("SLDocked").toInt(), 0);
            // A server that could not bind never ran, so it has no closing line either.
            const QStringList lines = FileLines(log);
            QVERIFY2(startUp
                         ? lines.join("").isEmpty()
                         : lines.value(lines.size() - 2).startsWith("**** SysLog server disabled"),
                     qPrintable(lines.join('|')));
        }
        ::close(socket);
    }
};

QTEST_GUILESS_MAIN(LogOffTest)
#include "LogOffTest.moc"
