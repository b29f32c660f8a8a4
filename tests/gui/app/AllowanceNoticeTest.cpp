// The allowance's notices through the window, recorded from the simulated router: 80% and 100%
// are each told once in the log view, and a restarted program tells neither again, since the
// history file keeps them.
#include "Agents.h"
#include "FakeAgent.h"
#include "Process.h"
#include "RecordedMessages.h"
#include "TestSeams.h"
#include "app/Main.h"
#include "core/HistoryStore.h"
#include "core/LineHistory.h"
#include "core/Settings.h"

#include <QPlainTextEdit>
#include <QSettings>
#include <QtTest>

using core::history::Col;
using core::history::HistoryStore;

namespace {

using Messages = testing_seams::RecordedMessages;

// 85 GB down an hour and a half before the window's clock, in this allowance period. The
// uptime is higher than the router's, so its first sample reads as a restart and adds nothing.
void Seed(int64_t now) {
    HistoryStore store(HistoryStore::DefaultFileName(), HistoryStore::Mode::Write);
    QVERIFY2(store.Open(), qPrintable(store.Problem()));
    for (int64_t i = 0; i < 2; ++i) {
        core::history::Sample s;
        s.time = now - 5400 + 60 * i;
        s.interval = 60;
        s[Col::SysUpTime] = 4'000'000'000 + 6000 * i;
        s[Col::WanInOctets] = i * 85'000'000'000;
        s[Col::WanOutOctets] = 0;
        QVERIFY2(store.Add(s, {}), qPrintable(store.Problem()));
    }
}

} // namespace

class AllowanceNoticeTest : public QObject {
    Q_OBJECT

    SimulatedRouter router_;
    testing_seams::FixedClock clock_;
    testing_seams::RecordingSounds sounds_;
    testing_seams::CountingCursor cursor_;
    Messages messages_;
    app::SaveDialog dialog_;

    // A window on the router with the syslog server running and an allowance of `capGB`.
    std::unique_ptr<TForm1> Start(int capGB) {
        QSettings profile(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        profile.setValue(QStringLiteral("IPAddress"), QString::fromStdString(router_.Address()));
        profile.setValue(QStringLiteral("HistoryInt"), 1);
        profile.setValue(QStringLiteral("SLActive"), 1);
        profile.setValue(QStringLiteral("UsageCapGB"), capGB);
        profile.sync();
        auto form = std::make_unique<TForm1>(app::WindowSeams{clock_, sounds_, cursor_, messages_,
                                                              dialog_, uint16_t(FreeUdpPort())});
        form->show();
        return form;
    }
    // Waits for `count` more samples stored; each at a later time of the clock.
    static bool Samples(TForm1& form, testing_seams::FixedClock& clock, int count) {
        QSignalSpy written(form.LineHistory(), &core::history::LineHistory::SampleWritten);
        for (int i = 1; i <= count; ++i) {
            if (!QTest::qWaitFor([&] { return written.size() >= i; }, 10000)) return false;
            clock.AdvanceMSecs(1000);
        }
        return true;
    }
    static QStringList Notices(const TForm1& form) {
        return form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))
            ->toPlainText()
            .split(QLatin1Char('\n'))
            .filter(QStringLiteral("of the monthly allowance"));
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        QVERIFY2(router_.Start(), router_.Output().c_str());
        Seed(clock_.Now().toSecsSinceEpoch());
    }

    void eachOncePerPeriodAcrossARestart() {
        {
            auto form = Start(100);
            QVERIFY(Samples(*form, clock_, 2));
            QCOMPARE(Notices(*form).size(), 1);
            QVERIFY2(Notices(*form)[0].contains(QStringLiteral("80% of the monthly allowance "
                                                               "of 100 GB")),
                     qPrintable(Notices(*form)[0]));
            // Lowered as the dialog would: 85 GB is past all of 80 GB.
            form->settings().UsageCapGB = 80;
            QVERIFY(Samples(*form, clock_, 3));
            QCOMPARE(Notices(*form).size(), 2);
            QVERIFY(Notices(*form)[1].contains(QStringLiteral("100% of the monthly allowance")));
        }
        auto again = Start(80);
        QVERIFY(Samples(*again, clock_, 3));
        QCOMPARE(Notices(*again), QStringList());
        QVERIFY2(messages_.errors.isEmpty(), qPrintable(messages_.errors.join(' ')));
    }
};

QTEST_MAIN(AllowanceNoticeTest)
#include "AllowanceNoticeTest.moc"
