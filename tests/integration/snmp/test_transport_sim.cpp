// The transport against the simulated router (snmpsim serving tests/agent/data): single reads of
// every value type, GetNext across gaps and table ends, table walks, growing counters, request
// ids on the wire, and writes of the writable strings. Expected values: tests/agent/README.md.
#include "Agents.h"
#include "Command.h"
#include "Transport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::string_literals;
using Clock = std::chrono::steady_clock;

const std::string kMib2 = "1.3.6.1.2.1.";
const std::string kSysDescr = kMib2 + "1.1.0";
const std::string kSysContact = kMib2 + "1.4.0";

// One simulated router for the whole file; started on first use.
SimulatedRouter& Router() {
    static std::unique_ptr<SimulatedRouter> router = [] {
        auto r = std::make_unique<SimulatedRouter>();
        r->Start();
        return r;
    }();
    return *router;
}

class SimTransport : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Router().Running()) << Router().Output(); }
    static std::string Host() { return Router().Address(); }
};

struct Read {
    bool ok = false;
    int varbinds = 0;
    std::string oid;
    std::string value;
    int32_t type = -1;
};

// A GetRequest (or GetNextRequest) through a TSNMPSend, to see the reply's types as well.
Read Request(int32_t pdu, const std::string& oid, const std::string& community = "public",
             int timeoutMs = 5000) {
    snmp::TSNMPSend send;
    send.SetTarget(Router().Address());
    send.Timeout = timeoutMs;
    send.Query.Community = community;
    send.Query.PDUType = pdu;
    send.Query.AddVarBind(oid, "", snmp::tag::Null);
    Read r;
    r.ok = send.SendRequest();
    r.varbinds = send.Reply.VarBindCount();
    if (r.varbinds > 0) {
        r.oid = send.Reply.VarBind(0).OID;
        r.value = send.Reply.VarBind(0).Value;
        r.type = send.Reply.VarBind(0).ValueType;
    }
    return r;
}

std::string Get(const std::string& oid) {
    std::string value = "unchanged";
    EXPECT_TRUE(snmp::SNMPGetValue(oid, "public", Router().Address(), value)) << oid;
    return value;
}

uint64_t ToU64(const std::string& text) {
    return std::stoull(text);
}

// A GetRequest under a community the router has no data for: it crosses the wire unanswered.
constexpr long kProbeId = 777000111;
std::string ProbeMessage() {
    snmp::TSNMPRec probe;
    probe.ID = kProbeId;
    probe.Community = "capture-probe";
    probe.PDUType = snmp::tag::GetRequest;
    probe.AddVarBind(kSysDescr, "", snmp::tag::Null);
    return probe.Encode();
}

} // namespace

TEST_F(SimTransport, GetValueDeliversEveryTypeAsItsValueText) {
    struct Case {
        std::string suffix;
        std::string value;
        int32_t type;
    };
    const Case cases[] = {
        {"1.1.0", "Corvane R62GX ADSL router, TAVIX firmware 3.4.2", snmp::tag::OctetString},
        {"1.2.0", "1.3.6.1.4.1.40917.1", snmp::tag::ObjectId},
        {"1.3.0", "104914700", snmp::tag::TimeTicks},
        {"1.7.0", "72", snmp::tag::Integer},
        {"2.1.0", "5", snmp::tag::Integer},
        {"2.2.1.1.7", "7", snmp::tag::Integer},
        {"2.2.1.2.7", "atm0", snmp::tag::OctetString},
        {"2.2.1.3.3", "94", snmp::tag::Integer},
        {"2.2.1.5.1", "100000000", snmp::tag::Gauge32},
        // Raw octets, zero octets included, never hex text.
        {"2.2.1.6.2", "\x00\x0A\x05\x0C\x01\x0E"s, snmp::tag::OctetString},
        {"2.2.1.6.4", "", snmp::tag::OctetString},
        {"2.2.1.9.4", "68467200", snmp::tag::TimeTicks},
        {"2.2.1.22.1", "0.0", snmp::tag::ObjectId},
        {"6.4.0", "-1", snmp::tag::Integer},
        {"6.9.0", "2", snmp::tag::Gauge32},
        {"4.20.1.3.192.168.1.254", "255.255.255.0", snmp::tag::IpAddress},
        {"31.1.1.1.7.1", "7000000001", snmp::tag::Counter64},
        {"31.1.1.1.18.7", "ATM VC 0/38", snmp::tag::OctetString},
        {"10.94.1.1.2.1.6.3", "\x08", snmp::tag::OctetString},
        {"10.94.1.1.3.1.6.3", "\x80", snmp::tag::OctetString},
        {"10.94.1.1.2.1.4.3", "61", snmp::tag::Integer},
        {"10.94.1.1.3.1.7.3", "125", snmp::tag::Integer},
        {"10.94.1.1.4.1.2.3", "8128000", snmp::tag::Gauge32},
        {"10.94.1.1.5.1.2.3", "448000", snmp::tag::Gauge32},
        {"11.30.0", "2", snmp::tag::Integer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.suffix);
        EXPECT_EQ(Get(kMib2 + c.suffix), c.value);
        Read r = Request(snmp::tag::GetRequest, kMib2 + c.suffix);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.oid, kMib2 + c.suffix);
        EXPECT_EQ(r.type, c.type);
    }
}

TEST_F(SimTransport, EveryCommunityOfTheDataAnswersAndAnUnknownOneTimesOut) {
    std::string value;
    EXPECT_TRUE(snmp::SNMPGetValue(kSysDescr, "lanterns", Host(), value));
    EXPECT_NE(value.find("TAVIX"), std::string::npos);

    // snmpsim stays silent for a community it has no data for, like a router would.
    Read r = Request(snmp::tag::GetRequest, kSysDescr, "meadow-not-here", 300);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.varbinds, 0);

    value = "stale";
    auto start = Clock::now();
    EXPECT_FALSE(snmp::SNMPGetValue(kSysDescr, "meadow-not-here", Host(), value));
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_EQ(value, "");
    EXPECT_GE(waited.count(), 4900) << "the plain functions wait 5000 ms";
}

TEST_F(SimTransport, MissingObjectsSucceedWithAnEmptyValue) {
    // An instance between existing ones, an instance of a missing column, a missing group.
    for (const std::string& oid :
         {kMib2 + "2.2.1.2.5", kMib2 + "2.2.1.23.1", kMib2 + "99.0", "1.3.6.1.4.1.40917.9.0"s}) {
        SCOPED_TRACE(oid);
        std::string value = "stale";
        EXPECT_TRUE(snmp::SNMPGetValue(oid, "public", Host(), value));
        EXPECT_EQ(value, "");
        Read r = Request(snmp::tag::GetRequest, oid);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.oid, oid);
        EXPECT_EQ(r.value, "");
        EXPECT_EQ(r.type, snmp::tag::NoSuchInstance);
    }
}

TEST_F(SimTransport, GetNextFindsTheFollowingObject) {
    struct Case {
        std::string from, oid, value;
    };
    const Case cases[] = {
        // Discovery: the interface after ifIndex.4 is numbered 7, above ifNumber.
        {kMib2 + "2.2.1.1.4", kMib2 + "2.2.1.1.7", "7"},
        {kMib2 + "2.2.1.1.0", kMib2 + "2.2.1.1.1", "1"},
        {kMib2 + "2.2.1.1.7", kMib2 + "2.2.1.2.1", "br0"},
        {kMib2 + "1.7.0", kMib2 + "2.1.0", "5"},
        {kMib2 + "4.20", kMib2 + "4.20.1.1.127.0.0.1", "127.0.0.1"},
        {kMib2 + "7.5.1.2.192.168.1.254.1900", kMib2 + "10.94.1.1.2.1.1.3", "DSLAM-7731-A14"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        std::string oid = c.from, value;
        EXPECT_TRUE(snmp::SNMPGetNextValue(oid, "public", Host(), value));
        EXPECT_EQ(oid, c.oid);
        EXPECT_EQ(value, c.value);
    }

    // Past the last object: endOfMibView, an empty value.
    std::string oid = kMib2 + "31.1.1.1.19.7", value = "stale";
    EXPECT_TRUE(snmp::SNMPGetNextValue(oid, "public", Host(), value));
    EXPECT_EQ(value, "");
    Read r = Request(snmp::tag::GetNextRequest, kMib2 + "31.1.1.1.19.7");
    EXPECT_EQ(r.type, snmp::tag::EndOfMibView);
}

TEST_F(SimTransport, TableWalksGiveEveryColumnInTurn) {
    struct Case {
        std::string base;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {kMib2 + "4.20",
         {"127.0.0.1", "192.168.1.254", "203.0.113.45",    // ipAdEntAddr
          "6", "1", "4",                                   // ipAdEntIfIndex
          "255.0.0.0", "255.255.255.0", "255.255.255.255", // ipAdEntNetMask
          "1", "1", "1",                                   // ipAdEntBcastAddr
          "65535", "65535", "1492"}},                      // ipAdEntReasmMaxSize
        {kMib2 + "4.22",
         {"1", "1", "1", "\x3C\x97\x0E\x4A\x1B\x2C", "\x00\x0B\x0C\x01\x02\x03"s,
          "\xF4\xEC\x38\xA0\xB1\xC2", "192.168.1.20", "192.168.1.33", "192.168.1.40", "3", "3",
          "4"}},
        {kMib2 + "6.13",
         {"2",  "2",  "5",     "11",   "0.0.0.0", "0.0.0.0", "192.168.1.254", "192.168.1.254",
          "23", "80", "23",    "80",   "0.0.0.0", "0.0.0.0", "192.168.1.20",  "192.168.1.33",
          "0",  "0",  "51234", "49822"}},
        {kMib2 + "7.5",
         {"0.0.0.0", "0.0.0.0", "0.0.0.0", "192.168.1.254", "53", "67", "161", "1900"}},
        // A column as base: the dropped arc is the row's index, so every row shares the key ""
        // and one line collects the whole column. It is also the end of the agent's view.
        {kMib2 + "31.1.1.1.19", {"0,0,0,0,0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base);
        std::vector<std::string> rows = {"left over"};
        EXPECT_TRUE(snmp::SNMPWalkTable(c.base, "public", Host(), rows));
        EXPECT_EQ(rows, c.rows);
    }
}

TEST_F(SimTransport, WalkToTheEndOfTheAgentsViewStops) {
    std::vector<std::string> rows, keys;
    ASSERT_TRUE(snmp::SNMPWalkTable(kMib2 + "31.1.1", "public", Host(), rows, &keys));
    ASSERT_EQ(rows.size(), 19u * 5u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 5),
              (std::vector<std::string>{"br0", "eth0", "adsl0", "ppp0", "atm0"}));
    EXPECT_EQ(keys.back(), "19.7");
}

TEST_F(SimTransport, RouteTableWalkLaysOutThirteenColumnsOfFiveRoutes) {
    std::vector<std::string> rows, keys;
    ASSERT_TRUE(snmp::SNMPWalkTable(kMib2 + "4.21", "public", Host(), rows, &keys));
    ASSERT_EQ(rows.size(), 65u);
    ASSERT_EQ(keys.size(), 65u);
    const std::size_t routes = rows.size() / 13;
    auto at = [&](std::size_t column, std::size_t route) { return rows[column * routes + route]; };
    EXPECT_EQ(at(0, 0), "0.0.0.0");
    EXPECT_EQ(at(6, 0), "203.0.113.1"); // ipRouteNextHop
    EXPECT_EQ(at(7, 0), "4");           // ipRouteType indirect
    EXPECT_EQ(at(8, 0), "2");           // ipRouteProto local
    EXPECT_EQ(at(8, 1), "3");           // netmgmt
    EXPECT_EQ(at(10, 3), "255.255.255.0");
    EXPECT_EQ(at(12, 4), "0.0"); // ipRouteInfo
    EXPECT_EQ(keys[0], "1.0.0.0.0");
    EXPECT_EQ(keys[64], "13.203.0.113.1");
}

TEST_F(SimTransport, WalkOfAnEntryJoinsEachRowsColumns) {
    std::vector<std::string> rows, keys;
    ASSERT_TRUE(snmp::SNMPWalkTable(kMib2 + "7.5.1", "public", Host(), rows, &keys));
    EXPECT_EQ(rows, (std::vector<std::string>{"0.0.0.0,53", "0.0.0.0,67", "0.0.0.0,161",
                                              "192.168.1.254,1900"}));
    EXPECT_EQ(keys, (std::vector<std::string>{"0.0.0.0.53", "0.0.0.0.67", "0.0.0.0.161",
                                              "192.168.1.254.1900"}));
}

TEST_F(SimTransport, OctetCountersGrowBetweenReads) {
    struct Counter {
        std::string suffix;
        double rate; // octets per second in the data
        bool wide;
    };
    const Counter counters[] = {
        {"31.1.1.1.6.7", 401000, true},  // ifHCInOctets, atm0
        {"31.1.1.1.10.2", 415000, true}, // ifHCOutOctets, eth0
        {"2.2.1.10.4", 400000, false},   // ifInOctets, ppp0
        {"2.2.1.16.4", 52000, false},    // ifOutOctets, ppp0
    };
    std::vector<uint64_t> first;
    auto t0 = Clock::now();
    for (const auto& c : counters)
        first.push_back(ToU64(Get(kMib2 + c.suffix)));
    auto t1 = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    auto t2 = Clock::now();
    std::vector<uint64_t> second;
    for (const auto& c : counters)
        second.push_back(ToU64(Get(kMib2 + c.suffix)));
    auto t3 = Clock::now();

    using Seconds = std::chrono::duration<double>;
    const double shortest = Seconds(t2 - t1).count(), longest = Seconds(t3 - t0).count();
    for (std::size_t i = 0; i < std::size(counters); ++i) {
        SCOPED_TRACE(counters[i].suffix);
        if (counters[i].wide) {
            EXPECT_GT(first[i], 0xFFFFFFFFull) << "a 64-bit value";
        }
        ASSERT_GT(second[i], first[i]);
        const double grown = static_cast<double>(second[i] - first[i]);
        EXPECT_GE(grown, counters[i].rate * shortest * 0.9);
        EXPECT_LE(grown, counters[i].rate * longest * 1.1 + counters[i].rate * 0.05);
    }
}

TEST_F(SimTransport, RequestIdsOnTheWire) {
    WireCapture wire;
    if (!wire.Start("127.0.0.1", Router().Port(), ProbeMessage(), kProbeId)) {
        if (geteuid() != 0) GTEST_SKIP() << "capturing on lo needs root: " << wire.Error();
        FAIL() << "tshark: " << wire.Error();
    }
    std::string value;
    ASSERT_TRUE(snmp::SNMPGetValue(kSysDescr, "public", Host(), value));
    ASSERT_TRUE(snmp::SNMPGetValue(kSysDescr, "public", Host(), value));
    std::string oid = kMib2 + "7.4.0";
    ASSERT_TRUE(snmp::SNMPGetNextValue(oid, "public", Host(), value));
    std::vector<std::string> rows;
    ASSERT_TRUE(snmp::SNMPWalkTable(kMib2 + "7.5", "public", Host(), rows));
    ASSERT_EQ(rows.size(), 8u);
    ASSERT_TRUE(snmp::SNMPSetValue(kMib2 + "1.6.0", "public", Host(), snmp::tag::OctetString,
                                   "Wiring cupboard"));

    // (request id, PDU): 0 get, 1 get-next, 2 response, 3 set; each reply echoes its id.
    std::vector<std::pair<long, int>> expected = {{1, 0}, {1, 2}, {1, 0}, {1, 2}, {2, 1}, {2, 2}};
    for (long id = 2; id <= 10; ++id) { // 8 values and the step that leaves the table
        expected.emplace_back(id, 1);
        expected.emplace_back(id, 2);
    }
    expected.emplace_back(1, 3);
    expected.emplace_back(1, 2);
    EXPECT_EQ(wire.Finish(expected.size()), expected) << wire.Error();
}

TEST_F(SimTransport, WritableStringsKeepWhatIsSet) {
    const std::string original = Get(kSysContact);
    ASSERT_EQ(original, "noc@example.net");
    struct Case {
        std::string name, value;
    };
    const Case cases[] = {
        {"plain", "bench 3, rack B"},
        {"octets", "a\x00"s + "b\xFF\x80"},
        {"long", std::string(200, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(
            snmp::SNMPSetValue(kSysContact, "public", Host(), snmp::tag::OctetString, c.value));
        // snmpsim shares written values across communities, as a router shares its object.
        std::string back;
        EXPECT_TRUE(snmp::SNMPGetValue(kSysContact, "lanterns", Host(), back));
        EXPECT_EQ(back, c.value);
    }
    EXPECT_TRUE(
        snmp::SNMPSetValue(kSysContact, "public", Host(), snmp::tag::OctetString, original));
    EXPECT_EQ(Get(kSysContact), original);
}

TEST_F(SimTransport, SetOfAReadOnlyObjectSucceedsButChangesNothing) {
    EXPECT_TRUE(snmp::SNMPSetValue(kSysDescr, "public", Host(), snmp::tag::OctetString, "hacked"));
    EXPECT_EQ(Get(kSysDescr), "Corvane R62GX ADSL router, TAVIX firmware 3.4.2");
}

TEST_F(SimTransport, OneSenderCarriesSeveralRequestsAndRemembersTheReplier) {
    snmp::TSNMPSend send;
    send.SetTarget(Host());
    EXPECT_EQ(send.TargetPort, std::to_string(Router().Port()));
    for (const char* suffix : {"1.5.0", "1.6.0", "2.1.0"}) {
        send.Query.Clear();
        send.Query.Community = "public";
        send.Query.PDUType = snmp::tag::GetRequest;
        send.Query.AddVarBind(kMib2 + suffix, "", snmp::tag::Null);
        send.Reply.Clear();
        ASSERT_TRUE(send.SendRequest()) << suffix;
        EXPECT_EQ(send.RemoteHost, "127.0.0.1");
        EXPECT_EQ(send.Reply.ErrorStatus, 0);
        EXPECT_EQ(send.Reply.VarBindCount(), 1);
    }
    EXPECT_EQ(send.Reply.FindValue(kMib2 + "2.1.0"), "5");
}
