// The line history's reading against real agents and the scripted one: all objects in one
// request, split or trimmed as the agent demands, each event of the moving line once, its
// absent objects left missing, the lost-router rule. The event rules themselves are
// LineEventsTest's.
#include "core/HistoryRecorder.h"

#include "Agents.h"
#include "CoreHarness.h"
#include "FakeAgent.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <map>

using namespace core::history;
using Values = std::vector<std::optional<snmp::TSNMPMib>>;

namespace {

// The simulated router's ADSL line and the WAN's 64-bit and 32-bit counters.
const std::vector<std::string> kOids = HistoryRecorder::Oids("3", "7", "4");

struct SplitCase {
    const char* name;
    int tooBigAbove;             // -1: no limit
    std::vector<Col> noSuchName; // answered as a v1 agent would
    int requests;
};
class ManyObjects : public testing::TestWithParam<SplitCase> {};

QStringList Said(const std::vector<Event>& events) {
    QStringList said;
    for (const Event& e : events)
        said.append(EventName(e.kind) + ": " + e.detail);
    return said;
}

} // namespace

TEST_P(ManyObjects, SplitOrTrimmedAsTheAgentDemands) {
    const SplitCase& c = GetParam();
    ASSERT_NE(SharedSimulatedRouter(), nullptr);
    fake::FakeAgent relay; // the simulated router holds every object asked for
    relay.ForwardTo(SharedSimulatedRouter()->Address());
    relay.TooBigAbove(c.tooBigAbove);
    for (Col col : c.noSuchName)
        relay.NoSuchName(kOids[col]);
    Harness h(relay.Address(), true);
    Values got;
    EXPECT_TRUE(h.query.GetMany(kOids, got));
    EXPECT_EQ(relay.RequestCount(), c.requests);
    for (std::size_t i = 0; i < kOids.size(); ++i) {
        const bool refused =
            c.tooBigAbove == 0 || std::count(c.noSuchName.begin(), c.noSuchName.end(), Col(i)) != 0;
        EXPECT_EQ(got.at(i) ? got[i]->OID : "", refused ? "" : kOids[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Agents, ManyObjects,
    testing::Values(SplitCase{"OneRequest", -1, {}, 1}, SplitCase{"HalvedOnce", 20, {}, 3},
                    // 35 -> 17 (8, 9 (4, 5)), 18 (9 (4, 5), 9 (4, 5))
                    SplitCase{"HalvedTwiceAndThrice", 8, {}, 13},
                    // A single object still too big is missing: 2 * 35 - 1 requests.
                    SplitCase{"EvenSinglesTooBig", 0, {}, 69},
                    SplitCase{"NoSuchNameAskedAgainWithout", -1, {AtucCurrAtn, SysUpTime}, 3}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(HistoryRecorder, MovingLineSampledInOneRequestEachEventOnce) {
    const SimulatedRouter* router = SharedSimulatedRouter();
    ASSERT_NE(router, nullptr);
    Harness h(router->Address(), true, SimulatedRouter::MovingCommunity);
    h.stats.AdslIfIndex = "3";
    h.stats.WanIfxIndex = "7";
    h.stats.WanIfIndex = "4";
    h.settings.HistoryInt = 30;
    HistoryRecorder recorder(h.query, h.stats, h.settings, h.clock);
    // Each step against the one before: what it reveals.
    const std::map<int, QStringList> revealed = {
        {SimulatedRouter::StepLowMargin,
         {"Low SNR margin: ATU-C SNR margin 3.6 -> 2.7 dB",
          "Errored seconds burst: ATU-C ESs +15 (47 -> 62)"}},
        {SimulatedRouter::StepLineDown,
         {"Line down: ATU-C status noDefect -> lossOfSignal, ATU-R status noDefect -> "
          "lossOfSignal"}},
        {SimulatedRouter::StepResync,
         {"Resync: ATU-C status lossOfSignal -> noDefect, ATU-R status lossOfSignal -> noDefect, "
          "Inits 3 -> 4"}},
        {SimulatedRouter::StepRestart, {"Router restart: uptime 12 d 03:28:02 -> 00:00:45"}}};
    std::vector<Sample> samples;
    for (int step = 0; step < SimulatedRouter::MovingSteps; ++step) {
        ASSERT_TRUE(router->SelectStep(step));
        const auto reading = recorder.Take();
        ASSERT_TRUE(reading);
        EXPECT_EQ(recorder.LastRequests(), 1);
        EXPECT_EQ(Said(reading->events), revealed.count(step) ? revealed.at(step) : QStringList());
        samples.push_back(reading->sample);
    }
    const Sample &normal = samples[0], &down = samples[6], &resync = samples[7];
    using Opts = std::vector<std::optional<int64_t>>;
    EXPECT_EQ((Opts{normal.time, normal[AtucCurrSnrMgn], normal[AturCurrOutputPwr],
                    normal[AtucPerfESs], normal[AturChanUncorrectBlks], normal[SysUpTime],
                    normal[AtucCurrStatus], down[AturCurrStatus], down[AtucCurrSnrMgn],
                    resync[AturChanCurrTxRate], resync[AtucPerfInits]}),
              (Opts{h.clock.Now().toSecsSinceEpoch(), 61, 125, 37, 789, 104914700, NoDefect, 0x20,
                    std::nullopt, 384000, 4}));
    EXPECT_TRUE(normal[WanInOctets] && normal[WanOutOctets] && normal[WanInOctets32] &&
                normal[WanOutOctets32]);
    EXPECT_EQ(normal.interval, 30);
    // The one request's reply fits a UDP datagram in an Ethernet frame.
    snmp::TSNMPSend send;
    send.SetTarget(router->Address());
    send.Query.Community = SimulatedRouter::MovingCommunity;
    send.Query.PDUType = snmp::tag::GetRequest;
    for (const std::string& oid : kOids)
        send.Query.AddVarBind(oid, "", snmp::tag::Null);
    ASSERT_TRUE(send.SendRequest());
    EXPECT_EQ(send.Reply.VarBindCount(), int(ColumnCount));
    for (const snmp::TSNMPMib& v : send.Reply.VarBinds())
        EXPECT_LT(v.ValueType, snmp::tag::NoSuchObject) << v.OID; // a value, no exception
    EXPECT_LE(send.Buffer.size(), 1472u);
    // An index discovery did not find names nothing to ask for.
    EXPECT_EQ(HistoryRecorder::Oids("0", "", "")[0] +
                  HistoryRecorder::Oids("", "0", "")[WanInOctets] +
                  HistoryRecorder::Oids("", "", "0")[WanInOctets32],
              "");
}

TEST(HistoryRecorder, ExceptionValuesAreMissing) {
    fake::FakeAgent agent; // snmpsim answers noSuchInstance alone
    agent.Add(Prefix + "1.3.0", "", snmp::tag::NoSuchObject);
    agent.Add(Prefix + "1.4.0", "", snmp::tag::EndOfMibView);
    Harness h(agent.Address(), true);
    Values got;
    EXPECT_TRUE(h.query.GetMany({Prefix + "1.3.0", Prefix + "1.4.0", Prefix + "1.5.0"}, got));
    EXPECT_EQ(std::count(got.begin(), got.end(), std::nullopt), 3);
}

TEST(HistoryRecorder, SilentRouterCostsOneReadAndOneProbeThenNothing) {
    fake::FakeAgent silent(fake::Behaviour::Silent);
    Harness h(silent.Address(), true);
    HistoryRecorder recorder(h.query, h.stats, h.settings, h.clock);
    EXPECT_FALSE(recorder.Take());
    EXPECT_FALSE(recorder.Take());
    EXPECT_FALSE(h.query.RouterPresent);
    EXPECT_EQ(silent.RequestCount(), 2);
}
