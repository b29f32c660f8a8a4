// The line history's reading against real agents and the scripted one: all objects in one
// request, split or trimmed as the agent demands, each event of the moving line once, its
// absent objects left missing, and the lost-router rule.
#include "HistoryRecorder.h"

#include "Agents.h"
#include "CoreHarness.h"
#include "FakeAgent.h"

#include <gtest/gtest.h>
#include <map>

using namespace core::history;
using Values = std::vector<std::optional<snmp::TSNMPMib>>;

namespace {

// The simulated router's ADSL line and the WAN's 64-bit counters.
const std::vector<std::string> kOids = HistoryRecorder::Oids("3", "7");

struct SplitCase {
    const char* name;
    int tooBigAbove;             // -1: no limit
    std::vector<Col> noSuchName; // answered as a v1 agent would
    int requests;
};
class ManyObjects : public testing::TestWithParam<SplitCase> {};

} // namespace

TEST_P(ManyObjects, SplitOrTrimmedAsTheAgentDemandsWithTheSameValues) {
    const SplitCase& c = GetParam();
    ASSERT_NE(SharedSimulatedRouter(), nullptr);
    Harness direct(SharedSimulatedRouter()->Address(), true);
    Values want, got;
    ASSERT_TRUE(direct.query.GetMany(kOids, want));
    fake::FakeAgent relay;
    relay.ForwardTo(SharedSimulatedRouter()->Address());
    relay.TooBigAbove(c.tooBigAbove);
    for (Col col : c.noSuchName)
        relay.NoSuchName(kOids[col]);
    Harness h(relay.Address(), true);
    int requests = 0;
    EXPECT_TRUE(h.query.GetMany(kOids, got, &requests));
    EXPECT_EQ(requests, c.requests);
    EXPECT_EQ(relay.RequestCount(), c.requests);
    for (std::size_t i = 0; i < kOids.size(); ++i) {
        const bool refused =
            c.tooBigAbove == 0 || std::count(c.noSuchName.begin(), c.noSuchName.end(), Col(i)) != 0;
        EXPECT_EQ(got.at(i).has_value(), !refused && want[i]) << Columns()[i].name;
        if (got[i] && want[i] && !Columns()[i].counter && i != SysUpTime) {
            EXPECT_EQ(got[i]->Value, want[i]->Value) << Columns()[i].name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Agents, ManyObjects,
    testing::Values(SplitCase{"OneRequest", -1, {}, 1}, SplitCase{"HalvedOnce", 20, {}, 3},
                    // 33 -> 16 (8, 8), 17 -> 8, 9 (4, 5)
                    SplitCase{"HalvedTwiceAndThrice", 8, {}, 9},
                    // A single object still too big is missing: 2 * 33 - 1 requests.
                    SplitCase{"EvenSinglesTooBig", 0, {}, 65},
                    SplitCase{"NoSuchNameAskedAgainWithout", -1, {AtucCurrAtn, SysUpTime}, 3}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(HistoryRecorder, RequestAndReplyFitOneUnfragmentedDatagram) {
    // An index discovery did not find names nothing to ask for.
    EXPECT_EQ(HistoryRecorder::Oids("0", "")[SysUpTime] + HistoryRecorder::Oids("0", "")[0] +
                  HistoryRecorder::Oids("", "0")[WanInOctets],
              Prefix + "1.3.0");
    snmp::TSNMPRec request, reply;
    request.Community = reply.Community = std::string(32, 'c');
    request.ID = reply.ID = INT32_MAX;
    for (const std::string& oid : HistoryRecorder::Oids("2147483647", "2147483647")) {
        request.AddVarBind(oid, "", snmp::tag::Null);
        // 20 octets: more than any counter's encoding takes.
        reply.AddVarBind(oid, std::string(20, '9'), snmp::tag::OctetString);
    }
    EXPECT_EQ(request.VarBindCount(), ColumnCount);
    EXPECT_LE(request.Encode().size(), 1472u); // Ethernet's MTU less the IP and UDP headers
    EXPECT_LE(reply.Encode().size(), 1472u);
}

TEST(HistoryRecorder, MovingLineSampledInOneRequestEachEventOnce) {
    const SimulatedRouter* router = SharedSimulatedRouter();
    ASSERT_NE(router, nullptr);
    Harness h(router->Address(), true, SimulatedRouter::MovingCommunity);
    h.stats.AdslIfIndex = "3";
    h.stats.WanIfxIndex = "7";
    HistoryRecorder recorder(h.query, h.stats, h.settings, h.clock);
    const std::map<int, std::vector<EventKind>> revealed = {
        {SimulatedRouter::StepLowMargin, {EventKind::LowMargin, EventKind::ErrorBurst}},
        {SimulatedRouter::StepLineDown, {EventKind::LineDown}},
        {SimulatedRouter::StepResync, {EventKind::Resync}},
        {SimulatedRouter::StepRestart, {EventKind::Restart}}};
    std::vector<Sample> samples;
    for (int step = 0; step < SimulatedRouter::MovingSteps; ++step) {
        ASSERT_TRUE(router->SelectStep(step));
        const auto reading = recorder.Take();
        ASSERT_TRUE(reading);
        EXPECT_EQ(recorder.LastRequests(), 1);
        std::vector<EventKind> kinds;
        for (const Event& event : reading->events)
            kinds.push_back(event.kind);
        EXPECT_EQ(kinds, revealed.count(step) ? revealed.at(step) : std::vector<EventKind>{});
        samples.push_back(reading->sample);
    }
    const Sample &normal = samples[0], &down = samples[6], &resync = samples[7];
    EXPECT_EQ(normal.time, h.clock.Now().toSecsSinceEpoch());
    const std::pair<std::optional<int64_t>, std::optional<int64_t>> expected[] = {
        {normal[AtucCurrSnrMgn], 61},
        {normal[AturCurrOutputPwr], 125},
        {normal[AtucPerfESs], 37},
        {normal[AturChanUncorrectBlks], 789},
        {normal[SysUpTime], 104914700},
        {normal[AtucCurrStatus], NoDefect},
        {down[AturCurrStatus], 0x20},
        {down[AtucCurrSnrMgn], std::nullopt},
        {resync[AturChanCurrTxRate], 384000},
        {resync[AtucPerfInits], 4}};
    for (const auto& [value, want] : expected)
        EXPECT_EQ(value, want) << &value - &expected[0].first;
    EXPECT_TRUE(normal[WanInOctets] && normal[WanOutOctets]);
}

TEST(HistoryRecorder, SilentRouterCostsOneReadAndOneProbeThenNothing) {
    fake::FakeAgent silent(fake::Behaviour::Silent);
    Harness h(silent.Address(), true);
    HistoryRecorder recorder(h.query, h.stats, h.settings, h.clock);
    EXPECT_FALSE(recorder.Take());
    EXPECT_FALSE(recorder.Take());
    EXPECT_FALSE(h.query.RouterPresent);
    EXPECT_EQ(silent.RequestCount(), 2);
    EXPECT_EQ(silent.Requests().back().oids, std::vector<std::string>{Prefix + "1.1.0"});
}
