// The router query layer against real agents on loopback: the identity check, single reads with
// the "NULL" rule, and writes of the system strings with their read-back.
#include "Agents.h"
#include "FakeAgent.h"
#include "RouterQuery.h"
#include "TestSeams.h"
#include "Transport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>

using core::RouterQuery;
using core::Sound;
using Oids = std::vector<std::string>;

namespace {

const std::string Prefix = "1.3.6.1.2.1.";

struct Harness {
    core::Settings settings;
    testing_seams::RecordingSounds sounds;
    testing_seams::CountingCursor cursor;
    RouterQuery query{settings, sounds, cursor};

    explicit Harness(const std::string& address, const std::string& community = "public") {
        settings.IPAddress = QString::fromStdString(address);
        settings.Community = QString::fromStdString(community);
    }
};

std::string Failure(const std::string& address) {
    return "Cannot communicate with Corvane router at " + address +
           "\nplease check router IP address and community in options";
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
    Harness h(agent.Address(), "lanterns");

    EXPECT_EQ(h.query.CorvanePresent(), c.passes);
    EXPECT_EQ(h.query.RouterPresent, c.passes);
    // A read afterwards takes the same address and community; none goes to a failed router.
    EXPECT_EQ(h.query.Get("1.1.0"), c.passes && c.descr ? c.descr : "NULL");
    const auto requests = agent.Requests();
    // sysDescr, sysObjectID whatever the first found, the read
    ASSERT_EQ(requests.size(), c.passes ? 3u : 2u);
    EXPECT_EQ(requests[0].oids, Oids{Prefix + "1.1.0"});
    EXPECT_EQ(requests[1].oids, Oids{Prefix + "1.2.0"});
    EXPECT_EQ(requests[0].pduType, snmp::tag::GetRequest);
    EXPECT_EQ(requests[0].id, 1);
    EXPECT_EQ(requests[0].community, "lanterns");
    EXPECT_EQ(requests.back().community, "lanterns");
    EXPECT_EQ(h.query.StatusText.toStdString(),
              c.passes ? (c.descr ? c.descr : "NULL") : Failure(agent.Address()));
    EXPECT_EQ(h.sounds.Count(Sound::Error), c.passes ? 0 : 1);
    // The success sound belongs to the full fetch, not to the check.
    EXPECT_EQ(h.sounds.Count(Sound::Information), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Agents, Identity,
    testing::Values(IdentityCase{"TavixWithoutObjectId", "R62GX TAVIX 3.4", nullptr, true},
                    IdentityCase{"EnterpriseNumberWithoutDescr", nullptr, "1.3.6.1.4.1.40917.1",
                                 true},
                    IdentityCase{"Neither", "Linux gateway 6.1", "1.3.6.1.4.1.8072.3.2.10", false},
                    IdentityCase{"MarkIsCaseSensitive", "r62gx tavix", "1.3.6.1.4.1.9.1", false}),
    [](const testing::TestParamInfo<IdentityCase>& info) { return info.param.name; });

class SilentAddress : public testing::TestWithParam<bool> {};

TEST_P(SilentAddress, FailsAfterOneShortReadWithTheTwoLineMessage) {
    const bool conBeep = GetParam();
    SilentUdpPort silent;
    Harness h(silent.Address());
    h.settings.ConBeep = conBeep;
    h.query.RouterPresent = true; // left over from an earlier connection

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(h.query.CorvanePresent());
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(RouterQuery::ShortTimeout - 50));
    EXPECT_FALSE(h.query.RouterPresent);
    EXPECT_EQ(h.query.StatusText.toStdString(), Failure(silent.Address()));
    EXPECT_EQ(h.sounds.Played(), conBeep ? std::vector{Sound::Error} : std::vector<Sound>{});
    EXPECT_EQ(silent.Received(), 1); // no second read after the first failed
}

INSTANTIATE_TEST_SUITE_P(ConBeep, SilentAddress, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "On" : "Off";
                         });

// --- single reads (present values: the full fetch in test_statistics) ---------------------------

struct ReadCase {
    const char* name;
    const char* suffix;
    bool rawData;
    bool answers; // the exchange succeeds
    const char* expected;
};

class SingleRead : public testing::TestWithParam<ReadCase> {};

TEST_P(SingleRead, MissingValuesReadNullUnlessRawData) {
    const ReadCase& c = GetParam();
    ASSERT_NE(SharedSimulatedRouter(), nullptr);
    SilentUdpPort silent;
    const std::string address = c.answers ? SharedSimulatedRouter()->Address() : silent.Address();
    Harness h(address);
    h.settings.RawData = c.rawData;
    std::string value = "stale";
    // A short timeout through the parameter keeps the silent cases quick.
    EXPECT_EQ(h.query.SNMPGetNew(c.suffix, "public", address, value, 300), c.answers);
    EXPECT_EQ(value, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SingleRead,
    testing::Values(ReadCase{"MissingObject", "1.99.0", false, true, "NULL"},
                    ReadCase{"MissingObjectRaw", "1.99.0", true, true, ""},
                    ReadCase{"MissingInstance", "2.2.1.2.5", false, true, "NULL"},
                    ReadCase{"NoAnswer", "1.1.0", false, false, "NULL"},
                    ReadCase{"NoAnswerRaw", "1.1.0", true, false, ""}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

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

    const std::string oid = Prefix + c.suffix, typed = "ops desk, room 4";
    std::string before, result, after;
    ASSERT_TRUE(snmp::SNMPGetValue(oid, "public", agent.Address(), before));
    ASSERT_NE(before, typed);
    EXPECT_EQ(h.query.SetSNMPString(c.suffix, typed, result), RouterQuery::SetResult::Done);
    EXPECT_EQ(result, c.takes ? typed : before);
    snmp::SNMPGetValue(oid, "public", agent.Address(), after);
    EXPECT_EQ(after, result);
    EXPECT_EQ(h.cursor.BusyCount(), 1);
    EXPECT_EQ(h.cursor.RestoreCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Snmpd, SetString,
    testing::Values(SetCase{"ContactWithReadWriteCommunity", "private", "1.4.0", true},
                    SetCase{"RefusedReadOnlyObject", "private", "1.1.0", false}),
    [](const testing::TestParamInfo<SetCase>& info) { return info.param.name; });

TEST(SetString, AbsentRouterSendsNothing) {
    fake::FakeAgent agent;
    Harness h(agent.Address());
    std::string result = "untouched";
    EXPECT_EQ(h.query.SetSNMPString("1.4.0", "typed", result), RouterQuery::SetResult::NotSent);
    EXPECT_EQ(result, "untouched");
    EXPECT_TRUE(agent.Requests().empty());
    EXPECT_EQ(h.cursor.BusyCount(), 0);
}

TEST(SetString, UnansweredReadBackIsNoAnswerAndTheProbeFindsTheRouterGone) {
    // The agent takes the write, then goes away before the read-back.
    fake::FakeAgent agent;
    agent.Add(Prefix + "1.4.0", "old", snmp::tag::OctetString);
    agent.GoSilentAfter(1);
    Harness h(agent.Address());
    h.query.RouterPresent = true;
    std::string result = "untouched";
    EXPECT_EQ(h.query.SetSNMPString("1.4.0", "typed", result), RouterQuery::SetResult::NoAnswer);
    EXPECT_EQ(result, "untouched");
    EXPECT_FALSE(h.query.RouterPresent);
    const auto requests = agent.Requests();
    ASSERT_EQ(requests.size(), 3u); // the set, its read-back, the probe
    EXPECT_EQ(requests[0].pduType, snmp::tag::SetRequest);
    EXPECT_EQ(requests[0].values, std::vector<std::string>{"typed"});
    EXPECT_EQ(requests[2].oids, Oids{Prefix + "1.1.0"});
    EXPECT_EQ(h.cursor.RestoreCount(), 1);
}
