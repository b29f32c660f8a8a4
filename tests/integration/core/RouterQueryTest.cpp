// The router query layer against real agents on loopback: the identity check, single reads with
// the "NULL" rule, and writes of the system strings with their read-back.
#include "Agents.h"
#include "CoreHarness.h"
#include "FakeAgent.h"
#include "snmp/Transport.h"

#include <gtest/gtest.h>

using core::RouterQuery;
using core::Sound;
using Oids = std::vector<std::string>;

// --- identity check -----------------------------------------------------------------------------

struct IdentityCase {
    const char* name;
    const char* descr;    // nullptr: the agent lacks sysDescr
    const char* objectId; // nullptr: the agent lacks sysObjectID
    bool silent;          // the agent answers nothing
    bool conBeep;
    bool passes;
};

class Identity : public testing::TestWithParam<IdentityCase> {};

TEST_P(Identity, PassesOnTavixOrTheEnterpriseNumberAfterTwoReads) {
    const IdentityCase& c = GetParam();
    fake::FakeAgent agent;
    if (c.descr) agent.Add(Prefix + "1.1.0", c.descr, snmp::tag::OctetString);
    if (c.objectId) agent.Add(Prefix + "1.2.0", c.objectId, snmp::tag::ObjectId);
    if (c.silent) agent.SetBehaviour(fake::Behaviour::Silent);
    Harness h(agent.Address(), true, "lanterns"); // present: left over from an earlier router
    h.settings.ConBeep = c.conBeep;

    EXPECT_EQ(h.query.CorvanePresent(), c.passes);
    EXPECT_EQ(h.query.RouterPresent, c.passes);
    // A read afterwards takes the same address and community; none goes to a failed router.
    EXPECT_EQ(h.query.Get("1.1.0"), c.passes && c.descr ? c.descr : "NULL");
    // sysDescr; sysObjectID whatever the first found, unless nothing answered; the read.
    Oids expected{"1.1.0"};
    if (!c.silent) expected.push_back("1.2.0");
    if (c.passes) expected.push_back("1.1.0");
    Oids asked;
    for (const fake::Request& request : agent.Requests())
        asked.push_back(request.community + " " + request.oids.at(0).substr(Prefix.size()));
    for (std::string& oid : expected)
        oid = "lanterns " + oid;
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(h.query.StatusText.toStdString(),
              c.passes ? (c.descr ? c.descr : "NULL") : Failure(agent.Address()));
    // The success sound belongs to the full fetch, not to the check.
    EXPECT_EQ(h.sounds.Played(),
              !c.passes && c.conBeep ? std::vector{Sound::Error} : std::vector<Sound>{});
}

INSTANTIATE_TEST_SUITE_P(
    Agents, Identity,
    testing::Values(
        IdentityCase{"TavixWithoutObjectId", "R62GX TAVIX 3.4", nullptr, false, true, true},
        IdentityCase{"EnterpriseNumberWithoutDescr", nullptr, "1.3.6.1.4.1.40917.1", false, true,
                     true},
        // The mark is case-sensitive.
        IdentityCase{"NeitherWithoutConBeep", "r62gx tavix", "1.3.6.1.4.1.8072.3.2.10", false,
                     false, false},
        IdentityCase{"SilentFailsAfterOneRead", "R62GX TAVIX", nullptr, true, true, false}),
    [](const testing::TestParamInfo<IdentityCase>& info) { return info.param.name; });

// --- single reads (present values: the full fetch in StatisticsTest) ---------------------------

TEST(SingleRead, MissingValuesReadNullUnlessRawData) {
    ASSERT_NE(SharedSimulatedRouter(), nullptr);
    fake::FakeAgent silent(fake::Behaviour::Silent);
    const struct {
        const char* suffix;
        bool rawData;
        bool answers; // the exchange succeeds
        const char* expected;
    } reads[] = {{"1.99.0", false, true, "NULL"},
                 {"1.99.0", true, true, ""},
                 {"2.2.1.2.5", false, true, "NULL"}, // a missing instance
                 {"1.1.0", false, false, "NULL"},
                 {"1.1.0", true, false, ""}};
    for (const auto& r : reads) {
        SCOPED_TRACE(std::string(r.suffix) + (r.rawData ? " raw" : ""));
        const std::string address =
            r.answers ? SharedSimulatedRouter()->Address() : silent.Address();
        Harness h(address);
        h.settings.RawData = r.rawData;
        std::string value = "stale";
        // A short timeout through the parameter keeps the silent cases quick.
        EXPECT_EQ(h.query.SNMPGetNew(r.suffix, "public", address, value, 300), r.answers);
        EXPECT_EQ(value, r.expected);
    }
}

// --- system strings -----------------------------------------------------------------------------

TEST(SetString, ShowsWhatTheRouterHoldsAfterwards) {
    NetSnmpAgent agent;
    ASSERT_TRUE(agent.Start()) << "snmpd did not start";
    Harness h(agent.Address(), false, "private");
    ASSERT_TRUE(h.query.CorvanePresent()) << h.query.StatusText.toStdString();
    // sysContact takes the write; sysDescr is read-only, and the set is answered all the same.
    for (const auto& [suffix, takes] : {std::pair{"1.4.0", true}, std::pair{"1.1.0", false}}) {
        SCOPED_TRACE(suffix);
        const std::string oid = Prefix + suffix, typed = "ops desk, room 4";
        std::string before, result, after;
        ASSERT_TRUE(snmp::SNMPGetValue(oid, "public", agent.Address(), before));
        ASSERT_NE(before, typed);
        EXPECT_EQ(h.query.SetSNMPString(suffix, typed, result), RouterQuery::SetResult::Done);
        EXPECT_EQ(result, takes ? typed : before);
        snmp::SNMPGetValue(oid, "public", agent.Address(), after);
        EXPECT_EQ(after, result);
    }
    EXPECT_EQ(h.cursor.BusyCount(), 2);
    EXPECT_EQ(h.cursor.RestoreCount(), 2);
}

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
    Harness h(agent.Address(), true);
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
