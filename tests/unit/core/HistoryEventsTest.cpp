// The events two samples in a row reveal: the edges the moving line's scenario does not walk
// (thresholds to the unit, both ends at once, a restart hiding a counter's rise) and the texts.
#include "History.h"

#include <gtest/gtest.h>

using namespace core::history;

namespace {

using Values = std::vector<std::pair<Col, int64_t>>;

Sample Make(const Values& values) {
    Sample s;
    s.time = 1000;
    for (const auto& [col, v] : values)
        s[col] = v;
    return s;
}

struct CompareCase {
    const char* name;
    Values before, now;
    std::vector<EventKind> kinds;
    const char* firstDetail = nullptr; // nullptr: not checked
};

class Events : public testing::TestWithParam<CompareCase> {};

} // namespace

TEST_P(Events, OneOfEachKindAtMostNamingTheEnds) {
    const CompareCase& c = GetParam();
    const auto events = Compare(Make(c.before), Make(c.now), Thresholds{30, 10});
    std::vector<EventKind> kinds;
    for (const Event& e : events)
        kinds.push_back(e.kind);
    EXPECT_EQ(kinds, c.kinds);
    if (c.firstDetail != nullptr && !events.empty()) {
        EXPECT_EQ(events.front().detail.toStdString(), c.firstDetail);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, Events,
    testing::Values(
        CompareCase{"RateChangeAtBothEndsIsOneResync",
                    {{AtucChanCurrTxRate, 8128000}, {AturChanCurrTxRate, 448000}},
                    {{AtucChanCurrTxRate, 6144000}, {AturChanCurrTxRate, 384000}},
                    {EventKind::Resync},
                    "ATU-C rate 8128 -> 6144 kbit/s, ATU-R rate 448 -> 384 kbit/s"},
        CompareCase{"MissingOnEitherSideRevealsNothing",
                    {{AtucChanCurrTxRate, 8128000}, {AturCurrSnrMgn, 40}},
                    {{AturChanCurrTxRate, 384000}, {AtucCurrSnrMgn, 10}, {AturCurrStatus, 0x20}},
                    {}},
        CompareCase{"MarginBelowThresholdOnlyWhenCrossing",
                    {{AtucCurrSnrMgn, 30}, {AturCurrSnrMgn, 29}},
                    {{AtucCurrSnrMgn, 29}, {AturCurrSnrMgn, 12}},
                    {EventKind::LowMargin},
                    "ATU-C SNR margin 3.0 -> 2.9 dB"},
        CompareCase{"DefectAfterDefectIsNoNews",
                    {{AtucCurrStatus, 0x20}, {AturCurrStatus, 0x80}},
                    {{AtucCurrStatus, 0x40}, {AturCurrStatus, 0x10}},
                    {EventKind::LineDown},
                    "ATU-R status noDefect -> 0x10"},
        CompareCase{"BackToNoDefectIsAResync",
                    {{AturCurrStatus, 0x20}},
                    {{AturCurrStatus, 0x80}},
                    {EventKind::Resync},
                    "ATU-R status 0x20 -> noDefect"},
        CompareCase{"BurstFromTheThresholdUp",
                    {{AtucPerfESs, 37}, {AturPerfESs, 12}},
                    {{AtucPerfESs, 46}, {AturPerfESs, 22}},
                    {EventKind::ErrorBurst},
                    "ATU-R ESs +10 (12 -> 22)"},
        CompareCase{"NoBurstAcrossARestart",
                    {{SysUpTime, 104928200}, {AtucPerfESs, 3}, {AtucPerfInits, 4}},
                    {{SysUpTime, 4500}, {AtucPerfESs, 40}, {AtucPerfInits, 1}},
                    {EventKind::Restart},
                    "uptime 12 d 03:28:02 -> 00:00:45"}),
    [](const testing::TestParamInfo<CompareCase>& info) { return info.param.name; });
