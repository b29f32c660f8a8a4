// The router query layer against real agents on loopback: the identity check, single reads with
// the "NULL" rule, and writes of the system strings with their read-back.
#include "Agents.h"
#include "FakeAgent.h"
#include "RouterQuery.h"
#include "TestSeams.h"
#include "Transport.h"
#include "UdpSocket.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using core::RouterQuery;
using core::Sound;
using testing_seams::CountingCursor;
using testing_seams::RecordingSounds;

namespace {

constexpr const char* SimDescr = "Corvane R62GX ADSL router, TAVIX firmware 3.4.2";
const std::string Prefix = "1.3.6.1.2.1.";

struct Harness {
    core::Settings settings;
    RecordingSounds sounds;
    CountingCursor cursor;
    RouterQuery query{settings, sounds, cursor};

    explicit Harness(const std::string& address, const std::string& community = "public") {
        settings.IPAddress = QString::fromStdString(address);
        settings.Community = QString::fromStdString(community);
    }
};

// Waits until the agent has handled everything sent to it before: it answers in order, so the
// reply to this read comes after every earlier request was recorded.
void Drain(const fake::FakeAgent& agent) {
    std::string value;
    snmp::SNMPGetValue("1.3.6.1.2.1.1.5.0", "public", agent.Address(), value);
}

} // namespace

// --- identity check -----------------------------------------------------------------------------

struct IdentityCase {
    const char* name;
    const char* descr;    // nullptr: the agent lacks sysDescr
    const char* objectId; // nullptr: the agent lacks sysObjectID
    bool passes;
};

class Identity : public testing::TestWithParam<IdentityCase> {};

TEST_P(Identity, PassesOnTavixOrTheEnterpriseNumberAfterTwoReads) {
    const IdentityCase& c = GetParam();
    fake::FakeAgent agent;
    if (c.descr) agent.Add(Prefix + "1.1.0", c.descr, snmp::tag::OctetString);
    if (c.objectId) agent.Add(Prefix + "1.2.0", c.objectId, snmp::tag::ObjectId);
    Harness h(agent.Address());

    EXPECT_EQ(h.query.CorvanePresent(), c.passes);
    EXPECT_EQ(h.query.RouterPresent, c.passes);
    Drain(agent);
    const auto requests = agent.Requests();
    ASSERT_EQ(requests.size(), 3u); // sysDescr, sysObjectID whatever the first found, the drain
    EXPECT_EQ(requests[0].oids, std::vector<std::string>{Prefix + "1.1.0"});
    EXPECT_EQ(requests[1].oids, std::vector<std::string>{Prefix + "1.2.0"});
    EXPECT_EQ(requests[0].community, "public");

    if (c.passes) {
        EXPECT_EQ(h.query.StatusText.toStdString(), c.descr ? c.descr : "NULL");
        EXPECT_EQ(h.sounds.Count(Sound::Error), 0);
    } else {
        EXPECT_TRUE(h.query.StatusText.startsWith("Cannot communicate with Corvane router at "));
        EXPECT_EQ(h.sounds.Count(Sound::Error), 1);
    }
    // The success sound belongs to the full fetch, not to the check.
    EXPECT_EQ(h.sounds.Count(Sound::Information), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Agents, Identity,
    testing::Values(IdentityCase{"TavixWithoutObjectId", "R62GX TAVIX 3.4", nullptr, true},
                    IdentityCase{"EnterpriseNumberWithoutDescr", nullptr, "1.3.6.1.4.1.40917.1",
                                 true},
                    IdentityCase{"MarkIsCaseSensitive", "r62gx tavix", "1.3.6.1.4.1.9.1", false},
                    IdentityCase{"AnswersWithoutObjects", nullptr, nullptr, false}),
    [](const testing::TestParamInfo<IdentityCase>& info) { return info.param.name; });

TEST(IdentityCheck, SimulatedRouterPassesAndShowsItsDescription) {
    ASSERT_NE(SharedSimulatedRouter(), nullptr) << "snmpsim did not start";
    Harness h(SharedSimulatedRouter()->Address());
    EXPECT_TRUE(h.query.CorvanePresent());
    EXPECT_TRUE(h.query.RouterPresent);
    EXPECT_EQ(h.query.StatusText.toStdString(), SimDescr);
    EXPECT_EQ(h.sounds.Total(), 0);

    // A wrong community is a silent agent: the check fails and the flag falls.
    h.settings.Community = QStringLiteral("no-such-community");
    EXPECT_FALSE(h.query.CorvanePresent());
    EXPECT_FALSE(h.query.RouterPresent);
}

struct AgentIdentity {
    const char* name;
    const char* descr;
    const char* objectId;
    bool passes;
};

class SnmpdIdentity : public testing::TestWithParam<AgentIdentity> {};

TEST_P(SnmpdIdentity, StandardAgentWithOtherIdentities) {
    const AgentIdentity& c = GetParam();
    NetSnmpAgent agent;
    agent.SetIdentity(c.descr, c.objectId);
    ASSERT_TRUE(agent.Start()) << agent.Output();
    Harness h(agent.Address());
    EXPECT_EQ(h.query.CorvanePresent(), c.passes);
    EXPECT_EQ(h.query.StatusText.toStdString(),
              c.passes ? std::string(c.descr)
                       : "Cannot communicate with Corvane router at " + agent.Address() +
                             "\nplease check router IP address and community in options");
    EXPECT_EQ(h.sounds.Count(Sound::Error), c.passes ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Snmpd, SnmpdIdentity,
    testing::Values(AgentIdentity{"EnterpriseNumberOnly", "Corvane R63 ADSL router",
                                  ".1.3.6.1.4.1.40917.1", true},
                    AgentIdentity{"TavixOnly", "R63 TAVIX 3.5.1", ".1.3.6.1.4.1.8072.3.2.10", true},
                    AgentIdentity{"Neither", "Linux gateway 6.1", ".1.3.6.1.4.1.8072.3.2.10",
                                  false}),
    [](const testing::TestParamInfo<AgentIdentity>& info) { return info.param.name; });

class SilentAddress : public testing::TestWithParam<bool> {};

TEST_P(SilentAddress, FailsAfterOneShortReadWithTheTwoLineMessage) {
    const bool conBeep = GetParam();
    snmp::UdpSocket silent; // bound, never answers
    ASSERT_TRUE(silent.Bind("127.0.0.1", "0"));
    const std::string address = "127.0.0.1:" + std::to_string(silent.LocalPort());
    Harness h(address);
    h.settings.ConBeep = conBeep;
    h.query.RouterPresent = true; // left over from an earlier connection

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(h.query.CorvanePresent());
    const auto waited = std::chrono::steady_clock::now() - start;

    EXPECT_FALSE(h.query.RouterPresent);
    EXPECT_EQ(h.query.StatusText.toStdString(),
              "Cannot communicate with Corvane router at " + address +
                  "\nplease check router IP address and community in options");
    EXPECT_EQ(h.sounds.Count(Sound::Error), conBeep ? 1 : 0);
    EXPECT_EQ(h.sounds.Total(), conBeep ? 1 : 0);
    // It waited for the identity read, and made no second read after it failed.
    EXPECT_GE(waited, std::chrono::milliseconds(RouterQuery::ShortTimeout - 50));
    int datagrams = 0;
    std::string datagram;
    snmp::SockAddr from;
    while (silent.WaitReadable(0) && silent.RecvFrom(datagram, from))
        ++datagrams;
    EXPECT_EQ(datagrams, 1);
}

INSTANTIATE_TEST_SUITE_P(ConBeep, SilentAddress, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "On" : "Off";
                         });

// --- single reads -------------------------------------------------------------------------------

struct ReadCase {
    const char* name;
    const char* suffix;
    bool rawData;
    bool answers;         // the exchange succeeds
    const char* expected; // value text
};

class SingleRead : public testing::TestWithParam<ReadCase> {};

TEST_P(SingleRead, MissingValuesReadNullUnlessRawData) {
    const ReadCase& c = GetParam();
    ASSERT_NE(SharedSimulatedRouter(), nullptr);
    snmp::UdpSocket silent;
    ASSERT_TRUE(silent.Bind("127.0.0.1", "0"));
    const std::string address = c.answers ? SharedSimulatedRouter()->Address()
                                          : "127.0.0.1:" + std::to_string(silent.LocalPort());
    Harness h(address);
    h.settings.RawData = c.rawData;
    std::string value = "stale";
    // A short timeout through the parameter keeps the silent cases quick.
    EXPECT_EQ(h.query.SNMPGetNew(c.suffix, "public", address, value, 300), c.answers);
    EXPECT_EQ(value, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SingleRead,
    testing::Values(ReadCase{"Present", "1.5.0", false, true, "tavix-gw"},
                    ReadCase{"PresentRaw", "1.7.0", true, true, "72"},
                    ReadCase{"MissingObject", "1.99.0", false, true, "NULL"},
                    ReadCase{"MissingObjectRaw", "1.99.0", true, true, ""},
                    ReadCase{"MissingInstance", "2.2.1.2.5", false, true, "NULL"},
                    ReadCase{"NoAnswer", "1.1.0", false, false, "NULL"},
                    ReadCase{"NoAnswerRaw", "1.1.0", true, false, ""}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(SingleRead, ConfiguredReadUsesTheSettingsAddressAndCommunity) {
    fake::FakeAgent agent;
    agent.Add(Prefix + "4.1.0", "1");
    Harness h(agent.Address(), "lanterns");
    EXPECT_EQ(h.query.Get("4.1.0"), "1");
    const auto requests = agent.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].community, "lanterns");
    EXPECT_EQ(requests[0].pduType, snmp::tag::GetRequest);
    EXPECT_EQ(requests[0].id, 1);
}

// --- system strings -----------------------------------------------------------------------------

struct SetCase {
    const char* name;
    const char* community;
    const char* suffix;
    bool takes; // the agent accepts the write
};

class SetString : public testing::TestWithParam<SetCase> {};

TEST_P(SetString, ShowsWhatTheRouterHoldsAfterwards) {
    const SetCase& c = GetParam();
    NetSnmpAgent agent;
    ASSERT_TRUE(agent.Start()) << "snmpd did not start";
    Harness h(agent.Address(), c.community);
    ASSERT_TRUE(h.query.CorvanePresent()) << h.query.StatusText.toStdString();

    const std::string oid = Prefix + c.suffix;
    std::string before;
    ASSERT_TRUE(snmp::SNMPGetValue(oid, "public", agent.Address(), before));
    const std::string typed = "ops desk, room 4";
    ASSERT_NE(before, typed);

    std::string result;
    h.query.SetSNMPString(c.suffix, typed, result);
    EXPECT_EQ(result, c.takes ? typed : before);
    std::string after;
    snmp::SNMPGetValue(oid, "public", agent.Address(), after);
    EXPECT_EQ(after, result);
    EXPECT_EQ(h.cursor.BusyCount(), 1);
    EXPECT_EQ(h.cursor.RestoreCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Snmpd, SetString,
    testing::Values(SetCase{"ContactWithReadWriteCommunity", "private", "1.4.0", true},
                    SetCase{"LocationWithReadWriteCommunity", "private", "1.6.0", true},
                    SetCase{"RefusedThroughReadOnlyCommunity", "public", "1.5.0", false},
                    SetCase{"RefusedReadOnlyObject", "private", "1.1.0", false}),
    [](const testing::TestParamInfo<SetCase>& info) { return info.param.name; });

TEST(SetString, AbsentRouterSendsNothingAndKeepsTheTypedText) {
    fake::FakeAgent agent;
    agent.Add(Prefix + "1.4.0", "old", snmp::tag::OctetString);
    Harness h(agent.Address());
    ASSERT_FALSE(h.query.RouterPresent);
    std::string result = "something else";
    h.query.SetSNMPString("1.4.0", "typed", result);
    EXPECT_EQ(result, "typed");
    Drain(agent);
    EXPECT_EQ(agent.Requests().size(), 1u); // the drain alone
    EXPECT_EQ(h.cursor.BusyCount(), 0);
}

TEST(SetString, SilentReadBackEmptiesTheResult) {
    // The agent takes the write, then goes away before the read-back.
    fake::FakeAgent agent;
    agent.Add(Prefix + "1.4.0", "old", snmp::tag::OctetString);
    agent.GoSilentAfter(1);
    Harness h(agent.Address());
    h.query.RouterPresent = true;
    std::string result;
    h.query.SetSNMPString("1.4.0", "typed", result);
    EXPECT_EQ(result, "");
    const auto requests = agent.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].pduType, snmp::tag::SetRequest);
    EXPECT_EQ(requests[0].values, std::vector<std::string>{"typed"});
    EXPECT_EQ(requests[1].pduType, snmp::tag::GetRequest);
    EXPECT_EQ(h.cursor.RestoreCount(), 1);
}
