// The line-event rules of two samples in a row (Compare): what each change reveals, joined per
// kind and in kind order, each threshold to its unit, no burst across a restart, and nothing
// where either sample lacks the value.
#include "core/History.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace core::history;

namespace {

using Values = std::vector<std::pair<Col, int64_t>>;

Sample Make(int64_t time, const Values& values) {
    Sample s;
    s.time = time;
    for (const auto& [col, v] : values)
        s[col] = v;
    return s;
}

QStringList Said(const Values& before, const Values& now, Thresholds limits = {30, 10}) {
    QStringList said;
    for (const Event& e : Compare(Make(1000, before), Make(1060, now), limits)) {
        EXPECT_EQ(e.time, 1060);
        said.append(EventName(e.kind) + ": " + e.detail);
    }
    return said;
}

} // namespace

TEST(LineEvents, EveryKindOnceJoinedInKindOrder) {
    EXPECT_EQ(Said({{AturCurrSnrMgn, 31},
                    {AtucPerfESs, 5},
                    {AtucCurrStatus, NoDefect},
                    {AturCurrStatus, 0x20},
                    {AtucChanCurrTxRate, 8128000},
                    {AtucPerfInits, 3},
                    {SysUpTime, 500}},
                   {{AturCurrSnrMgn, 29},
                    {AtucPerfESs, 15},
                    {AtucCurrStatus, 0x20},
                    {AturCurrStatus, NoDefect},
                    {AtucChanCurrTxRate, 6144000},
                    {AtucPerfInits, 4},
                    {SysUpTime, 600}}),
              QStringList({"Resync: ATU-C rate 8128 -> 6144 kbit/s, ATU-R status lossOfSignal -> "
                           "noDefect, Inits 3 -> 4",
                           "Line down: ATU-C status noDefect -> lossOfSignal",
                           "Low SNR margin: ATU-R SNR margin 3.1 -> 2.9 dB",
                           "Errored seconds burst: ATU-C ESs +10 (5 -> 15)"}));
    // Nothing changed, nothing revealed; a status staying defective is no new event.
    EXPECT_EQ(Said({{AtucCurrStatus, 0x20}, {AtucPerfInits, 3}},
                   {{AtucCurrStatus, 0x20}, {AtucPerfInits, 3}}),
              QStringList());
}

TEST(LineEvents, ThresholdsToTheUnit) {
    EXPECT_EQ(
        Said({{AtucCurrSnrMgn, 30}, {AturCurrSnrMgn, 31}, {AturPerfESs, 12}, {AtucPerfESs, 20}},
             {{AtucCurrSnrMgn, 29}, {AturCurrSnrMgn, 30}, {AturPerfESs, 22}, {AtucPerfESs, 29}}),
        QStringList({"Low SNR margin: ATU-C SNR margin 3.0 -> 2.9 dB",
                     "Errored seconds burst: ATU-R ESs +10 (12 -> 22)"}));
    // A margin already below sinks further without a new event; a counter that fell is no burst.
    EXPECT_EQ(
        Said({{AtucCurrSnrMgn, 29}, {AtucPerfESs, 40}}, {{AtucCurrSnrMgn, 5}, {AtucPerfESs, 3}}),
        QStringList());
    // The limits are the given ones.
    EXPECT_EQ(Said({{AtucCurrSnrMgn, 50}, {AturPerfESs, 0}},
                   {{AtucCurrSnrMgn, 49}, {AturPerfESs, 5}}, {50, 5}),
              QStringList({"Low SNR margin: ATU-C SNR margin 5.0 -> 4.9 dB",
                           "Errored seconds burst: ATU-R ESs +5 (0 -> 5)"}));
}

TEST(LineEvents, RestartAndNoBurstAcrossIt) {
    EXPECT_EQ(
        Said({{SysUpTime, 104914700}, {AtucPerfESs, 3}}, {{SysUpTime, 4500}, {AtucPerfESs, 40}}),
        QStringList({"Router restart: uptime 12 d 03:25:47 -> 00:00:45"}));
}

TEST(LineEvents, AMissingValueRevealsNothing) {
    const struct {
        Col col;
        int64_t was, is;
    } changes[] = {{AturChanCurrTxRate, 832000, 640000},
                   {AturCurrStatus, NoDefect, 0x20},
                   {AtucCurrStatus, 0x20, NoDefect},
                   {AturCurrSnrMgn, 60, 10},
                   {AtucPerfInits, 3, 4},
                   {SysUpTime, 500, 400},
                   {AturPerfESs, 0, 50}};
    for (const auto& c : changes) {
        EXPECT_EQ(Said({{c.col, c.was}}, {{c.col, c.is}}).size(), 1) << Columns()[c.col].name;
        EXPECT_EQ(Said({}, {{c.col, c.is}}), QStringList()) << Columns()[c.col].name;
        EXPECT_EQ(Said({{c.col, c.was}}, {}), QStringList()) << Columns()[c.col].name;
    }
}
