// The line history's reading against real agents and the scripted one: all objects in one
// request, split or trimmed as the agent demands, missing objects left missing, and the
// lost-router rule.
#include "HistoryRecorder.h"

#include "Agents.h"
#include "CoreHarness.h"
#include "FakeAgent.h"

#include <gtest/gtest.h>
#include <map>
#include <tuple>

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
    Values reference;
    ASSERT_TRUE(direct.query.GetMany(kOids, reference));

    fake::FakeAgent relay;
    relay.ForwardTo(SharedSimulatedRouter()->Address());
    relay.TooBigAbove(c.tooBigAbove);
    for (Col col : c.noSuchName)
        relay.NoSuchName(kOids[col]);
    Harness h(relay.Address(), true);
    Values values;
    int requests = 0;
    EXPECT_TRUE(h.query.GetMany(kOids, values, &requests));
    EXPECT_EQ(requests, c.requests);
    EXPECT_EQ(relay.RequestCount(), c.requests);
    ASSERT_EQ(values.size(), kOids.size());
    for (int col = 0; col < ColumnCount; ++col) {
        const bool refused =
            c.tooBigAbove == 0 || std::count(c.noSuchName.begin(), c.noSuchName.end(), col) != 0;
        const auto& got = values[static_cast<std::size_t>(col)];
        const auto& want = reference[static_cast<std::size_t>(col)];
        EXPECT_EQ(got.has_value(), !refused && want.has_value()) << Columns()[col].name;
        if (got && want && !Columns()[col].counter && col != SysUpTime) {
            EXPECT_EQ(got->Value, want->Value) << Columns()[col].name;
        }
    }
    EXPECT_TRUE(h.query.RouterPresent);
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
    const auto oids = HistoryRecorder::Oids("2147483647", "2147483647");
    snmp::TSNMPRec request;
    request.Community = std::string(32, 'c');
    request.ID = INT32_MAX;
    request.PDUType = snmp::tag::GetRequest;
    for (const std::string& oid : oids)
        request.AddVarBind(oid, "", snmp::tag::Null);
    snmp::TSNMPRec reply = request;
    reply.Clear();
    reply.Community = request.Community;
    // Every value as 20 octets: more than any counter's encoding takes.
    for (const std::string& oid : oids)
        reply.AddVarBind(oid, std::string(20, '9'), snmp::tag::OctetString);
    EXPECT_EQ(oids.size(), static_cast<std::size_t>(ColumnCount));
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
    // Each step against the one before: the events it reveals, in kind order.
    const std::map<int, std::vector<EventKind>> revealed = {
        {SimulatedRouter::StepLowMargin, {EventKind::LowMargin, EventKind::ErrorBurst}},
        {SimulatedRouter::StepLineDown, {EventKind::LineDown}},
        {SimulatedRouter::StepResync, {EventKind::Resync}},
        {SimulatedRouter::StepRestart, {EventKind::Restart}}};
    std::map<int, Sample> samples;
    for (int step = 0; step < SimulatedRouter::MovingSteps; ++step) {
        ASSERT_TRUE(router->SelectStep(step));
        const auto reading = recorder.Take();
        ASSERT_TRUE(reading);
        EXPECT_EQ(recorder.LastRequests(), 1);
        std::vector<EventKind> kinds;
        for (const Event& event : reading->events)
            kinds.push_back(event.kind);
        const auto it = revealed.find(step);
        EXPECT_EQ(kinds, it == revealed.end() ? std::vector<EventKind>{} : it->second) << step;
        samples[step] = reading->sample;
    }
    const Sample& normal = samples[SimulatedRouter::StepNormal];
    EXPECT_EQ(normal.time, h.clock.Now().toSecsSinceEpoch());
    const Sample& down = samples[SimulatedRouter::StepLineDown];
    const Sample& resync = samples[SimulatedRouter::StepResync];
    const std::tuple<const Sample*, Col, std::optional<int64_t>> expected[] = {
        {&normal, AtucCurrSnrMgn, 61},
        {&normal, AturCurrSnrMgn, 120},
        {&normal, AtucCurrAtn, 315},
        {&normal, AtucCurrStatus, NoDefect},
        {&normal, AtucCurrAttainableRate, 10240000},
        {&normal, AturCurrOutputPwr, 125},
        {&normal, AtucPerfESs, 37},
        {&normal, AturPerfESs, 12},
        {&normal, AtucChanCorrectedBlks, 1234},
        {&normal, AturChanUncorrectBlks, 789},
        {&normal, SysUpTime, 104914700},
        {&down, AtucCurrStatus, 0x20},
        {&down, AturCurrStatus, 0x20},
        {&down, AtucCurrSnrMgn, std::nullopt},
        {&down, AturChanCurrTxRate, std::nullopt},
        {&resync, AtucChanCurrTxRate, 6144000},
        {&resync, AturChanCurrTxRate, 384000},
        {&resync, AtucPerfInits, 4}};
    for (const auto& [sample, col, value] : expected)
        EXPECT_EQ((*sample)[col], value) << Columns()[col].name;
    EXPECT_TRUE(normal[WanInOctets] && normal[WanOutOctets]);
}

TEST(HistoryRecorder, ObjectsTheAgentLacksOrNoIndexNamesAreMissingNotZero) {
    NetSnmpAgent snmpd; // a standard agent without the ADSL line MIB
    ASSERT_TRUE(snmpd.Start()) << snmpd.Output();
    fake::FakeAgent relay;
    relay.ForwardTo(snmpd.Address());
    Harness h(relay.Address(), true);
    h.stats.AdslIfIndex = "3";
    h.stats.WanIfxIndex = "1"; // snmpd's loopback
    HistoryRecorder recorder(h.query, h.stats, h.settings, h.clock);
    auto reading = recorder.Take();
    ASSERT_TRUE(reading);
    EXPECT_EQ(recorder.LastRequests(), 1);
    for (int col = 0; col < ColumnCount; ++col)
        EXPECT_EQ(reading->sample.values[col].has_value(), Columns()[col].index != Index::Adsl)
            << Columns()[col].name;

    // Indices discovery did not find: their columns are not even asked for.
    h.stats.AdslIfIndex = "0";
    h.stats.WanIfxIndex.clear();
    reading = recorder.Take();
    ASSERT_TRUE(reading);
    EXPECT_EQ(relay.Requests().back().oids, std::vector<std::string>{Prefix + "1.3.0"});
    EXPECT_TRUE(reading->sample[SysUpTime]);
    EXPECT_FALSE(reading->sample[WanInOctets]);
}

TEST(HistoryRecorder, SilentRouterCostsOneReadAndOneProbeThenNothing) {
    fake::FakeAgent silent(fake::Behaviour::Silent);
    Harness h(silent.Address(), true);
    h.stats.AdslIfIndex = "3";
    HistoryRecorder recorder(h.query, h.stats, h.settings, h.clock);
    EXPECT_FALSE(recorder.Take());
    EXPECT_FALSE(h.query.RouterPresent);
    EXPECT_EQ(silent.RequestCount(), 2);
    EXPECT_EQ(silent.Requests().back().oids, std::vector<std::string>{Prefix + "1.1.0"});
    EXPECT_FALSE(recorder.Take());
    EXPECT_EQ(silent.RequestCount(), 2);
    EXPECT_EQ(h.sounds.Played(), std::vector{core::Sound::Error});
}
