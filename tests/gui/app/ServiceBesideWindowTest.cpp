// The window beside the user's service, both real: the service as the program's process, the
// window in this one, the simulated router on loopback and logger(1) as the syslog sender. Both
// orders of starting, the handover each way, the log's lines once in the file and in the view.
#include "Agents.h"
#include "Process.h"
#include "TestSeams.h"
#include "app/Main.h"
#include "widgets/RollOverBtn.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

namespace {

struct Beside : app::MessageBoxes {
    core::SystemClock clock; // the window records, and a sample a second needs the time to move
    testing_seams::RecordingSounds sounds;
    core::NullCursor cursor;
    app::SaveDialog dialog;
    QStringList errors;
    uint16_t port = static_cast<uint16_t>(FreeUdpPort());
    QString log;
    ChildProcess service;
    std::unique_ptr<TForm1> form;

    explicit Beside(const QString& logFile) : log(logFile) {
        QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        store.clear();
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const SimulatedRouter* router = SharedSimulatedRouter();
        const QVariantMap keys{
            {"IPAddress", QString::fromStdString(router ? router->Address() : "127.0.0.1:9")},
            {"Community", SimulatedRouter::Community},
            {"HistoryInt", 1},
            {"SLActive", 1},
            {"SLFileOut", 1},
            {"SLFileDate", 0},
            {"SLFileName", log},
            {"ServiceListen", QStringLiteral("127.0.0.1:%1").arg(probe.serverPort())}};
        for (auto it = keys.begin(); it != keys.end(); ++it)
            store.setValue(it.key(), it.value());
    }
    ~Beside() override {
        form.reset();
        service.Stop(8000);
    }
    void Error(QWidget*, const QString& text) override { errors.append(text); }

    bool StartService() {
        return service.Start(
            {LINESCOPE_PROGRAM, "--service", "--syslog-port", std::to_string(port)});
    }
    void OpenWindow() {
        form =
            std::make_unique<TForm1>(app::WindowSeams{clock, sounds, cursor, *this, dialog, port});
        form->show();
    }
    [[nodiscard]] QStringList FileLines() const {
        QFile file(log);
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromLatin1(file.readAll()).split("\r\n", Qt::SkipEmptyParts)
                   : QStringList();
    }
    // The file's enabled and disabled lines, in order, as "on" and "off".
    [[nodiscard]] QStringList Switches() const {
        QStringList seen;
        for (const QString& line : FileLines()) {
            if (line.startsWith("**** SysLog server enabled")) seen << "on";
            if (line.startsWith("**** SysLog server disabled")) seen << "off";
        }
        return seen;
    }
    [[nodiscard]] QString Caption() const {
        return form->Page(app::SyslogPageIndex)->findChild<QLabel*>("Label13")->text();
    }
    [[nodiscard]] bool WindowRuns() const {
        return form->LineHistory()->Recording() || form->SysLogServer().Active();
    }
    [[nodiscard]] bool ServiceRuns() const {
        return form->Service().ServiceRuns() && Caption().contains("run by the LineScope service");
    }
    void Logger(const QString& text) const {
        const QString command =
            QStringLiteral("logger --rfc3164 -n 127.0.0.1 -P %1 -d -t beside '%2'")
                .arg(port)
                .arg(text);
        QVERIFY(std::system(qPrintable(command)) == 0);
    }
};

} // namespace

class ServiceBesideWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() {
        if (SharedSimulatedRouter() == nullptr) QSKIP("snmpsim is not installed");
    }

    void serviceFirstThenWindowThenServiceStops() {
        Beside b(dir_.filePath("first.log"));
        QVERIFY(b.StartService());
        QTRY_COMPARE_WITH_TIMEOUT(b.Switches(), QStringList({"on"}), 20000);
        b.OpenWindow();
        QVERIFY(b.ServiceRuns());
        QVERIFY(!b.WindowRuns());
        QVERIFY2(b.errors.isEmpty(), qPrintable(b.errors.join('\n')));

        // Every line in the file once, and in the window's view as it arrives.
        for (int i = 0; i < 20; ++i)
            b.Logger(QStringLiteral("line %1 of twenty").arg(i));
        auto* memo = b.form->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        QTRY_VERIFY_WITH_TIMEOUT(memo->toPlainText().contains("line 19 of twenty"), 10000);
        for (int i = 0; i < 20; ++i) {
            const QString text = QStringLiteral("line %1 of twenty").arg(i);
            QCOMPARE(b.FileLines().filter(text).size(), 1);
            QCOMPARE(memo->toPlainText().count(text), 1);
        }

        // The switch is the service's: it writes the lines, the window none.
        b.form->findChild<widgets::tRollOverBtn*>("OptionsBtnSLActive")->Click();
        QTRY_COMPARE_WITH_TIMEOUT(b.Switches(), QStringList({"on", "off"}), 10000);
        QTRY_VERIFY(b.Caption().startsWith("SysLog Server (Disabled, run by"));
        b.form->findChild<widgets::tRollOverBtn*>("OptionsBtnSLActive")->Click();
        QTRY_COMPARE_WITH_TIMEOUT(b.Switches(), QStringList({"on", "off", "on"}), 10000);
        QVERIFY(!b.form->SysLogServer().Active());

        // The service stops and hands back: its closing line, then the window's opening one.
        ::kill(b.service.Pid(), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(b.form->LineHistory()->Recording(), 10000);
        QTRY_VERIFY(b.form->SysLogServer().Active());
        QCOMPARE(b.Switches(), QStringList({"on", "off", "on", "off", "on"}));
        QCOMPARE(b.Caption(), QStringLiteral("SysLog Server (Enabled)"));
        QCOMPARE(b.service.Stop(8000, false), 0);
    }

    void windowFirstThenServiceTakesOver() {
        Beside b(dir_.filePath("second.log"));
        b.OpenWindow();
        QVERIFY(b.form->LineHistory()->Recording());
        QVERIFY(b.form->SysLogServer().Active());
        QVERIFY(b.StartService());
        // The window lets go, its closing line first; the service takes both within its retry.
        QTRY_VERIFY_WITH_TIMEOUT(b.ServiceRuns(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(b.Switches(), QStringList({"on", "off", "on"}), 10000);
        QVERIFY(!b.WindowRuns());
        b.Logger(QStringLiteral("after the handover"));
        QTRY_VERIFY(b.form->findChild<QPlainTextEdit*>("Memo1")->toPlainText().contains(
            "after the handover"));

        // Closing the window leaves the service recording and its server running.
        b.form->close();
        b.form.reset();
        QTest::qWait(1500);
        QVERIFY(!b.service.Exited());
        QCOMPARE(b.Switches(), QStringList({"on", "off", "on"}));
        QVERIFY2(b.errors.isEmpty(), qPrintable(b.errors.join('\n')));
    }
};

QTEST_MAIN(ServiceBesideWindowTest)
#include "ServiceBesideWindowTest.moc"
