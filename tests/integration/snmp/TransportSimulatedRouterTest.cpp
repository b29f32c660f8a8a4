// The transport against the simulated router (snmpsim serving tests/agent/data): reads of each
// value type, GetNext across gaps and the end of the view, and table walks. Expected values:
// tests/agent/README.md.
#include "Agents.h"
#include "snmp/Transport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <tuple>

namespace {

using namespace std::string_literals;
using Clock = std::chrono::steady_clock;

const std::string kMib2 = "1.3.6.1.2.1.";
const std::string kSysDescr = kMib2 + "1.1.0";

class SimTransport : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(SharedSimulatedRouter(), nullptr) << "snmpsim did not start";
    }
    static std::string Host() { return SharedSimulatedRouter()->Address(); }
};

std::string Get(const std::string& oid, const std::string& community = "public") {
    std::string value = "stale";
    EXPECT_TRUE(snmp::SNMPGetValue(oid, community, SharedSimulatedRouter()->Address(), value))
        << oid;
    return value;
}

} // namespace

TEST_F(SimTransport, GetDeliversEachTypeAndMissingObjectsAsEmptySuccess) {
    const std::pair<std::string, std::string> cases[] = {
        {"1.1.0", "Corvane R62GX ADSL router, TAVIX firmware 3.4.2"},
        {"1.2.0", "1.3.6.1.4.1.40917.1"},            // OBJECT IDENTIFIER
        {"1.3.0", "104914700"},                      // TimeTicks
        {"6.4.0", "-1"},                             // negative INTEGER
        {"2.2.1.5.1", "100000000"},                  // Gauge32
        {"2.2.1.6.2", "\x00\x0A\x05\x0C\x01\x0E"s},  // raw octets, never hex text
        {"2.2.1.6.4", ""},                           // empty OCTET STRING
        {"4.20.1.3.192.168.1.254", "255.255.255.0"}, // IpAddress
        {"31.1.1.1.7.1", "7000000001"},              // Counter64 above 32 bits
        {"10.94.1.1.3.1.6.3", "\x80"},               // BITS
        {"2.2.1.2.5", ""},                           // no instance between two rows
        {"2.2.1.23.1", ""},                          // a column the table lacks
        {"99.0", ""},                                // a group the agent lacks
    };
    for (const auto& [suffix, value] : cases)
        EXPECT_EQ(Get(kMib2 + suffix), value) << suffix;
    EXPECT_EQ(Get(kSysDescr, "lanterns"), cases[0].second);
}

// An agent stays silent for a community it has no data for, like a router would.
TEST_F(SimTransport, UnknownCommunityTimesOutAfterFiveSecondsWithAnEmptyValue) {
    std::string value = "stale";
    auto start = Clock::now();
    EXPECT_FALSE(snmp::SNMPGetValue(kSysDescr, "meadow-not-here", Host(), value));
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_EQ(value, "");
    EXPECT_GE(waited.count(), 4900);
    EXPECT_LT(waited.count(), 8000);
}

TEST_F(SimTransport, GetNextFindsTheFollowingObject) {
    struct Case {
        std::string from, oid, value;
    };
    const Case cases[] = {
        // Discovery: the interface after ifIndex.4 is numbered 7, above ifNumber.
        {"2.2.1.1.4", "2.2.1.1.7", "7"},
        {"1.7.0", "2.1.0", "5"},
        {"4.20", "4.20.1.1.127.0.0.1", "127.0.0.1"},
        {"31.1.1.1.19.7", "31.1.1.1.19.7", ""}, // past the last object: endOfMibView
    };
    for (const auto& c : cases) {
        std::string oid = kMib2 + c.from, value = "stale";
        EXPECT_TRUE(snmp::SNMPGetNextValue(oid, "public", Host(), value)) << c.from;
        EXPECT_EQ(oid, kMib2 + c.oid);
        EXPECT_EQ(value, c.value);
    }
}

TEST_F(SimTransport, TableWalksGiveEveryColumnInTurn) {
    std::vector<std::string> rows = {"left over"}, keys;
    ASSERT_EQ(snmp::SNMPWalkTable(kMib2 + "4.20", "public", Host(), rows, &keys),
              snmp::WalkEnd::LeftTable);
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "127.0.0.1", "192.168.1.254", "203.0.113.45",    // ipAdEntAddr
                        "6", "1", "4",                                   // ipAdEntIfIndex
                        "255.0.0.0", "255.255.255.0", "255.255.255.255", // ipAdEntNetMask
                        "1", "1", "1",                                   // ipAdEntBcastAddr
                        "65535", "65535", "1492"}));                     // ipAdEntReasmMaxSize
    ASSERT_EQ(keys.size(), rows.size());
    EXPECT_EQ(keys.front(), "1.127.0.0.1");
    EXPECT_EQ(keys.back(), "5.203.0.113.45");

    // A column as base: the dropped arc is the row's index, so every row shares the key "" and
    // one line collects the whole column. It also runs into the end of the agent's view.
    ASSERT_EQ(snmp::SNMPWalkTable(kMib2 + "31.1.1.1.19", "public", Host(), rows),
              snmp::WalkEnd::LeftTable);
    EXPECT_EQ(rows, std::vector<std::string>{"0,0,0,0,0"});
}

// The moving line serves the step a test picks, in each subtree it steps, and the public rest.
TEST_F(SimTransport, MovingLineServesThePickedStep) {
    using R = SimulatedRouter;
    const std::string uptime = kMib2 + "1.3.0", adsl = kMib2 + "10.94.1.1.";
    const std::tuple<int, std::string, std::string> cases[] = {
        {R::StepNormal, uptime, "104914700"},           {R::StepNormal, adsl + "2.1.6.3", "\x80"},
        {R::StepLineDown, adsl + "2.1.6.3", "\x20"},    {R::StepLineDown, adsl + "2.1.4.3", ""},
        {R::StepResync, adsl + "6.1.6.3", "4"},         {R::StepRestart, uptime, "4500"},
        {R::MovingSteps - 1, kSysDescr, Get(kSysDescr)}};
    for (const auto& [step, oid, value] : cases) {
        ASSERT_TRUE(SharedSimulatedRouter()->SelectStep(step)) << step;
        EXPECT_EQ(Get(oid, R::MovingCommunity), value) << step << " " << oid;
    }
    EXPECT_FALSE(SharedSimulatedRouter()->SelectStep(R::MovingSteps));
    EXPECT_EQ(Get(uptime, R::MovingCommunity), "6000"); // still the last step
}
