// The usage against the synthetic history's known volumes: days and months across router
// restarts and 32-bit wraps, a gap unplaced and shown as one; the allowance's periods and its
// notices through the writer, once a period across a reopen; the line report's days and rules.
#include "core/Usage.h"

#include "HistorySynth.h"
#include "core/HistoryWriter.h"
#include "core/LineReport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace core::history;

int64_t Midnight(QDate day) {
    return QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
}

std::optional<int64_t> Placed(const bench::SynthDay& day, int64_t v) {
    return day.covered > 0 ? std::optional(v) : std::nullopt;
}

void ExpectKnown(const UsageBucket& got, const bench::SynthDay& want) {
    EXPECT_EQ(got.down, Placed(want, want.down));
    EXPECT_EQ(got.up, Placed(want, want.up));
    EXPECT_EQ(got.unplacedDown, want.unplacedDown);
    EXPECT_EQ(got.unplacedUp, want.unplacedUp);
    EXPECT_NEAR(got.hours, double(want.covered) / 3600, 1e-9);
}

TEST(Usage, DaysMonthsAndTheLineReportFromTheSynthsKnownVolumes) {
    const struct {
        const char* name;
        bool counters64;
        QDate gapFrom, gapTo; // 07:00 to 09:00
    } cases[] = {{"64-bit counters and a gap", true, {2026, 3, 20}, {2026, 3, 23}},
                 {"32-bit counters only: they wrap", false, {}, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        HistoryStore store(dir.filePath("h.sqlite"), HistoryStore::Mode::Write);
        ASSERT_TRUE(store.Open());
        std::map<QDate, bench::SynthDay> known, months;
        bench::SynthPlan plan;
        plan.line.counters64 = c.counters64;
        plan.line.restartAt = Midnight({2026, 3, 10}) + 12 * 3600;
        plan.line.weeklyRestarts = !c.gapFrom.isValid(); // one in the gap would leave no rise
        if (c.gapFrom.isValid()) {
            plan.gapFrom = Midnight(c.gapFrom) + 7 * 3600;
            plan.gapTo = Midnight(c.gapTo) + 9 * 3600;
        }
        plan.known = &known;
        // 45 days to 10 April, across a summer time change; the first 14 only rolled up.
        ASSERT_GT(bench::FillHistory(store, Midnight({2026, 4, 10}), 45, 300, plan), 0);
        int64_t total = 0;
        for (const auto& [day, v] : known) {
            bench::SynthDay& m = months[QDate(day.year(), day.month(), 1)];
            m.down += v.down, m.up += v.up, m.covered += v.covered;
            m.unplacedDown += v.unplacedDown, m.unplacedUp += v.unplacedUp;
            total += v.down + v.up + v.unplacedDown + v.unplacedUp;
        }
        const std::vector<UsageRow> table = UsageTable(store);
        ASSERT_EQ(table.size(), known.begin()->first.daysTo(known.rbegin()->first) + 1 + 3);
        EXPECT_EQ(table.front().date, QDate(2026, 4, 1));
        EXPECT_TRUE(table.front().month);
        EXPECT_EQ(table.back().date, known.begin()->first);
        for (const UsageRow& row : table) {
            SCOPED_TRACE(row.date.toString(Qt::ISODate).toStdString());
            ExpectKnown(row.usage, (row.month ? months : known)[row.date]);
        }
        const auto byMonth =
            UsageBuckets(store, Midnight({2026, 3, 1}), Midnight({2026, 3, 2}), UsageGrain::Month);
        ASSERT_EQ(byMonth.size(), 1u);
        ExpectKnown(byMonth[0], months[QDate(2026, 3, 1)]);
        EXPECT_EQ(UsageSum(store, 0, Midnight({2026, 4, 11})).Total(), total);
        if (!c.gapFrom.isValid()) continue;

        // The rise across the gap is in its last day's unplaced, in no hour of it.
        EXPECT_GT(known[c.gapTo].unplacedDown, 0);
        const auto hours =
            UsageBuckets(store, Midnight(c.gapTo), Midnight(c.gapTo.addDays(1)), UsageGrain::Hour);
        ASSERT_EQ(hours.size(), 24u);
        int64_t placed = 0;
        for (const UsageBucket& h : hours)
            placed += h.down.value_or(0);
        EXPECT_EQ(placed, known[c.gapTo].down);
        EXPECT_FALSE(hours[8].down);
        EXPECT_EQ(hours[8].hours, 0);
        EXPECT_EQ(hours[9].unplacedDown, known[c.gapTo].unplacedDown);

        const std::vector<LineDay> days = LineReportDays(store, {2026, 3, 9}, {2026, 3, 21});
        ASSERT_EQ(days.size(), 13u);
        const LineDay &restart = days[1], &gap = days[12];
        EXPECT_FALSE(gap.resyncs || gap.drops || gap.restarts || gap.esAtuc || gap.snrMinAtur);
        EXPECT_EQ(gap.hours, 0);
        EXPECT_NEAR(restart.hours, 24, 1e-9);
        const int64_t from = Midnight({2026, 3, 10}), to = Midnight({2026, 3, 11});
        EXPECT_EQ(restart.restarts, 1);
        EXPECT_EQ(restart.drops, 0);
        EXPECT_EQ(*restart.esAtur, store.Series(AturPerfESs, from, to, 1).at(0).avg);
        EXPECT_EQ(*restart.snrMinAtur, store.Series(AturCurrSnrMgn, from, to, 1).at(0).min);
    }
}

TEST(Usage, AllowancePeriodsAndEachNoticeOncePerPeriodAcrossAReopen) {
    const struct {
        QDate date;
        int capDay;
        QDate first, next;
    } periods[] = {{{2026, 2, 15}, 31, {2026, 1, 31}, {2026, 2, 28}},
                   {{2026, 2, 28}, 31, {2026, 2, 28}, {2026, 3, 31}},
                   {{2024, 3, 29}, 30, {2024, 2, 29}, {2024, 3, 30}},
                   {{2026, 3, 14}, 15, {2026, 2, 15}, {2026, 3, 15}},
                   {{2026, 12, 31}, 1, {2026, 12, 1}, {2027, 1, 1}}};
    for (const auto& p : periods) {
        const AllowancePeriod got = PeriodOf(p.date, p.capDay);
        EXPECT_EQ(got.first, p.first) << p.date.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(got.next, p.next) << p.date.toString(Qt::ISODate).toStdString();
    }

    // 5 GB a minute against 100 GB from the 15th: 80% at the 16th minute, 100% at the 20th.
    QTemporaryDir dir;
    std::vector<std::pair<int64_t, int>> told;
    QString line;
    int64_t octets = 0;
    const auto run = [&](int64_t start, int count) {
        HistoryWriter writer(dir.filePath("h.sqlite"));
        writer.SetAllowance({100, 15});
        QObject::connect(&writer, &HistoryWriter::UsageNotices,
                         [&](const std::vector<UsageNotice>& notices) {
                             for (const UsageNotice& n : notices)
                                 told.emplace_back((n.time - start) / 60, n.percent);
                             line = NoticeLogLine(notices.front());
                         });
        QEventLoop loop;
        QObject::connect(&writer, &HistoryWriter::Written, [&](qint64 time) {
            if (time == start + (count - 1) * 60) loop.quit();
        });
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        for (int k = 0; k < count; ++k, octets += 5 * OctetsPerGB) {
            Sample s;
            s.time = start + k * 60;
            s[SysUpTime] = s.time * 100;
            s[WanInOctets] = octets;
            writer.Post(s, {});
        }
        loop.exec();
    };
    run(Midnight({2026, 3, 15}), 18);
    EXPECT_TRUE(line.startsWith("**** Usage: 80% of the monthly allowance of 100 GB used on "));
    run(Midnight({2026, 3, 15}) + 18 * 60, 20); // reopened: 80% was given
    // The next period's first sample ends a gap that takes it past both: only 100% is told.
    octets += 200 * OctetsPerGB;
    run(Midnight({2026, 4, 15}), 2);
    EXPECT_EQ(told, (std::vector<std::pair<int64_t, int>>{{16, 80}, {2, 100}, {0, 100}}));
}

TEST(Usage, RulesOfThumbAtTheirEdges) {
    const struct {
        Measure measure;
        int64_t value;
        const char* verdict;
    } cases[] = {{Measure::SnrMargin, 59, "bad: errors and resyncs likely"},
                 {Measure::SnrMargin, 60, "fair"},
                 {Measure::SnrMargin, 110, "good"},
                 {Measure::SnrMargin, 289, "excellent"},
                 {Measure::SnrMargin, 290, "outstanding"},
                 {Measure::Attenuation, 200, "outstanding"},
                 {Measure::Attenuation, 201, "excellent"},
                 {Measure::Attenuation, 400, "very good"},
                 {Measure::Attenuation, 401, "good"},
                 {Measure::Attenuation, 600, "poor: the line is long or faulty"},
                 {Measure::Attenuation, 601, "bad"},
                 {Measure::DailyResyncs, 3, ""},
                 {Measure::DailyResyncs, 4, "unstable"}};
    for (const auto& c : cases)
        EXPECT_EQ(Verdict(c.measure, c.value), QString::fromLatin1(c.verdict)) << c.value;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("TZ", "Europe/Paris");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
