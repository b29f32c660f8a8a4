// One LineScope per user: a second claim fails and wakes the first, and a second start of the
// real program ends at once while the first keeps running.
#include "app/SingleInstance.h"

#include "Process.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class SingleInstanceTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void secondStartWakesTheFirst() {
        app::SingleInstance first(dir_.path()), second(dir_.path());
        QVERIFY(first.Claim() && !second.Claim());
        // Spied on from before the event loop runs, in which the wake-up arrives.
        QVERIFY(second.WakeRunning() && QSignalSpy(&first, &app::SingleInstance::Activated).wait());
        // The real program, with no router and no syslog server: a second start wakes the first (so
        // it runs) and ends at once.
        QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        store.setValue(QStringLiteral("IPAddress"), QStringLiteral("127.0.0.1:9"));
        store.sync();
        ChildProcess one, two;
        QVERIFY(one.Start({LINESCOPE_PROGRAM}));
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/linescope.socket"), 20000);
        QVERIFY(two.Start({LINESCOPE_PROGRAM}));
        QTRY_VERIFY_WITH_TIMEOUT(two.Exited(), 20000);
        QCOMPARE(two.Stop(), 0);
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
