// The request transport and the table walk against the scripted responder on loopback.
#include "FakeAgent.h"
#include "Transport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using fake::Behaviour;
using fake::FakeAgent;
using namespace snmp;

namespace {

constexpr const char* kSysDescr = "1.3.6.1.2.1.1.1.0";
constexpr const char* kIpAddrTable = "1.3.6.1.2.1.4.20";

using Ms = std::chrono::milliseconds;

// A TSNMPSend aimed at the fake agent, with a short timeout so failures stay quick.
void Aim(TSNMPSend& send, const FakeAgent& agent, int timeoutMs = 2000) {
    send.SetTarget(agent.Address());
    send.Timeout = timeoutMs;
}

void MakeGet(TSNMPSend& send, const std::string& oid, const std::string& community = "public") {
    send.Query.Clear();
    send.Query.Community = community;
    send.Query.PDUType = tag::GetRequest;
    send.Query.AddVarBind(oid, "", tag::Null);
}

std::vector<int32_t> Ids(const FakeAgent& agent) {
    std::vector<int32_t> ids;
    for (const auto& r : agent.Requests())
        ids.push_back(r.id);
    return ids;
}

// Two rows of the IP address table (five columns), followed by another table and, when framed,
// preceded by a scalar.
void AddIpAddrTable(FakeAgent& agent, bool framed = true) {
    if (framed) agent.Add("1.3.6.1.2.1.4.19.0", "3", tag::Counter32);
    const char* rows[2][5] = {{"10.0.0.1", "1", "255.0.0.0", "1", "65535"},
                              {"192.168.7.1", "2", "255.255.255.0", "1", "65535"}};
    const int32_t types[5] = {tag::IpAddress, tag::Integer, tag::IpAddress, tag::Integer,
                              tag::Integer};
    for (int c = 0; c < 5; ++c)
        for (auto& row : rows)
            agent.Add(std::string(kIpAddrTable) + ".1." + std::to_string(c + 1) + "." + row[0],
                      row[c], types[c]);
    agent.Add("1.3.6.1.2.1.4.21.1.1.0.0.0.0", "0.0.0.0", tag::IpAddress);
}

TEST(TransportDefaults, FieldsAndRecordsStartAsDocumented) {
    TSNMPSend send;
    EXPECT_EQ(send.TargetHost, "127.0.0.1");
    EXPECT_EQ(send.TargetPort, "161");
    EXPECT_EQ(send.LocalInterface, "0.0.0.0");
    EXPECT_EQ(send.Timeout, 5000); // the plain functions rely on this default
    EXPECT_EQ(send.Query.ID, 1);
    EXPECT_EQ(send.Reply.ID, 1);
}

TEST(SplitHostPort, Forms) {
    struct Case {
        const char* in;
        const char* host;
        const char* port;
    } cases[] = {
        {"192.168.7.1", "192.168.7.1", "161"},
        {"10.0.0.138:1161", "10.0.0.138", "1161"},
        {"router.lan:snmp", "router.lan", "snmp"},
        {" 127.0.0.1 : 16161 ", "127.0.0.1", "16161"},
        {"127.0.0.1:", "127.0.0.1", "161"},
        {"", "", "161"},
        {"::1", "::1", "161"},
    };
    for (const auto& c : cases) {
        HostPort hp = SplitHostPort(c.in);
        EXPECT_EQ(hp.host, c.host) << c.in;
        EXPECT_EQ(hp.port, c.port) << c.in;
    }
    EXPECT_EQ(SplitHostPort("h", "514").port, "514");
}

TEST(UdpSocketLayer, ResolvesNamesAndServicesLocally) {
    UdpSocket s;
    SockAddr a;
    ASSERT_TRUE(s.Resolve("localhost", "161", a));
    EXPECT_EQ(a.IpText(), "127.0.0.1");
    ASSERT_TRUE(s.Resolve("127.0.0.2", "snmp", a));
    EXPECT_EQ(a.IpText(), "127.0.0.2");
    EXPECT_EQ(a.port, 161);
    // Numeric host and an unknown service: fails from /etc/services alone, no lookup leaves.
    EXPECT_FALSE(s.Resolve("127.0.0.1", "no-such-service-here", a));
    EXPECT_NE(s.LastError(), 0);
    EXPECT_FALSE(s.Resolve("127.0.0.1", "65536", a));
    EXPECT_FALSE(s.Resolve("127.0.0.1", "65697", a)); // not 161 by truncation
    // An empty host is no destination (sending to "any" would reach this machine).
    EXPECT_FALSE(s.Resolve("", "161", a));
    EXPECT_NE(s.LastError(), 0);
    ASSERT_TRUE(s.Bind("127.0.0.1", "0"));
    EXPECT_NE(s.LocalPort(), 0);
}

// The primitives the transport and the syslog listener stand on, between two local sockets.
TEST(UdpSocketLayer, DatagramsWithSizesAndSenders) {
    UdpSocket rx, tx;
    ASSERT_TRUE(rx.Bind("127.0.0.1", "0"));
    ASSERT_TRUE(tx.Bind("127.0.0.1", "0"));
    SockAddr to;
    ASSERT_TRUE(tx.Resolve("127.0.0.1", std::to_string(rx.LocalPort()), to));

    EXPECT_FALSE(rx.WaitReadable(0));
    EXPECT_EQ(rx.LastError(), SocketTimedOut);
    EXPECT_EQ(rx.Pending(), 0);

    ASSERT_TRUE(tx.SendTo(to, std::string("abc\0def", 7)));
    ASSERT_TRUE(tx.SendTo(to, ""));
    ASSERT_TRUE(tx.SendTo(to, "xy"));
    ASSERT_TRUE(rx.WaitReadable(1000));
    EXPECT_EQ(rx.Pending(), 7); // the next datagram's size, not all that is queued
    std::string d;
    SockAddr from;
    ASSERT_TRUE(rx.RecvFrom(d, from, 7));
    EXPECT_EQ(d, std::string("abc\0def", 7));
    EXPECT_EQ(from.IpText(), "127.0.0.1");
    EXPECT_EQ(from.port, tx.LocalPort());

    // The empty datagram: readable, nothing pending; Receive reports and consumes it.
    ASSERT_TRUE(rx.WaitReadable(1000));
    EXPECT_EQ(rx.Pending(), 0);
    EXPECT_FALSE(rx.Receive(d, from, 1000));
    EXPECT_EQ(rx.LastError(), SocketConnReset);
    ASSERT_TRUE(rx.Receive(d, from, 0));
    EXPECT_EQ(d, "xy");
    EXPECT_FALSE(rx.Receive(d, from, 0));
    EXPECT_EQ(rx.LastError(), SocketTimedOut);
    EXPECT_TRUE(d.empty());
}

TEST(SendRequest, SilentAgentTimesOutAfterTheTimeout) {
    FakeAgent agent;
    agent.SetBehaviour(Behaviour::Silent);
    TSNMPSend send;
    Aim(send, agent, 200);
    MakeGet(send, kSysDescr);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(send.SendRequest());
    auto took = std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(took.count(), 190);
    EXPECT_LT(took.count(), 2000);
    EXPECT_EQ(send.LastError(), SocketTimedOut);
    EXPECT_EQ(send.RemoteHost, "0.0.0.0");
    EXPECT_TRUE(send.Buffer.empty());
    EXPECT_EQ(send.Reply.VarBindCount(), 0);

    std::string oid = kSysDescr, value = "stale";
    EXPECT_FALSE(GetNextStep(send, oid, "public", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(oid, kSysDescr);
}

// Each request waits by the timeout set for it, also when one TSNMPSend's timeout changes.
TEST(SendRequest, EachRequestWaitsByItsOwnTimeout) {
    FakeAgent agent;
    agent.Add(kSysDescr, "slow router", tag::OctetString);
    agent.SetBehaviour(Behaviour::Silent);
    TSNMPSend send;
    Aim(send, agent, 0);
    MakeGet(send, kSysDescr);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(send.SendRequest()); // 0: only what is already there
    EXPECT_EQ(send.LastError(), SocketTimedOut);
    send.Timeout = 100;
    EXPECT_FALSE(send.SendRequest());
    auto took = std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(took.count(), 95);
    EXPECT_LT(took.count(), 1000);

    agent.SetBehaviour(Behaviour::Serve);
    agent.SetDelay(300);
    send.Timeout = -1; // no limit: outlasts the agent's delay
    ASSERT_TRUE(send.SendRequest());
    EXPECT_EQ(send.Reply.FindValue(kSysDescr), "slow router");

    send.Timeout = 100; // and back to a limit: the answer, 300 ms away, comes too late
    EXPECT_FALSE(send.SendRequest());
    EXPECT_EQ(send.LastError(), SocketTimedOut);
}

// A reply that arrives after its request timed out is not taken for the next request's reply.
TEST(SendRequest, LateReplyIsNotTakenForTheNextOne) {
    FakeAgent agent;
    const std::string kSysName = "1.3.6.1.2.1.1.5.0";
    agent.Add(kSysDescr, "first", tag::OctetString);
    agent.Add(kSysName, "second", tag::OctetString);
    agent.SetDelay(200);
    TSNMPSend send;
    Aim(send, agent, 50);
    MakeGet(send, kSysDescr);
    EXPECT_FALSE(send.SendRequest());
    // Let the late answer land on the socket before the next request goes out.
    std::this_thread::sleep_for(Ms(400));
    agent.SetDelay(0);
    send.Timeout = 2000;
    MakeGet(send, kSysName);
    ASSERT_TRUE(send.SendRequest());
    ASSERT_EQ(send.Reply.VarBindCount(), 1);
    EXPECT_EQ(send.Reply.VarBind(0).OID, kSysName);
    EXPECT_EQ(send.Reply.FindValue(kSysName), "second");
}

// How SNMPGetValue takes each kind of answer.
TEST(SendRequest, RepliesAcceptedAndRejected) {
    struct Case {
        Behaviour behaviour;
        bool ok;
        const char* value;
    } cases[] = {
        {Behaviour::Serve, true, "R62GX"},
        {Behaviour::OtherId, true, "R62GX"}, // the request id is not matched
        {Behaviour::ErrorStatus, true, ""},  // an error reply is still a reply
        {Behaviour::NoVarBinds, true, ""},
        {Behaviour::Garbage, false, ""},
        {Behaviour::Truncated, false, ""},
        {Behaviour::ZeroLength, false, ""},
    };
    FakeAgent agent;
    agent.Add(kSysDescr, "R62GX", tag::OctetString);
    for (const auto& c : cases) {
        agent.SetBehaviour(c.behaviour);
        std::string value = "before";
        EXPECT_EQ(SNMPGetValue(kSysDescr, "public", agent.Address(), value), c.ok)
            << static_cast<int>(c.behaviour);
        EXPECT_EQ(value, c.value) << static_cast<int>(c.behaviour);
    }
}

TEST(SendRequest, EmptyDatagramFailsAndDoesNotWedgeTheSocket) {
    FakeAgent agent;
    agent.Add(kSysDescr, "R62GX", tag::OctetString);
    agent.SetBehaviour(Behaviour::ZeroLength);
    TSNMPSend send;
    Aim(send, agent, 500);
    MakeGet(send, kSysDescr);
    EXPECT_FALSE(send.SendRequest());
    EXPECT_EQ(send.LastError(), SocketConnReset);

    agent.SetBehaviour(Behaviour::Serve);
    MakeGet(send, kSysDescr);
    ASSERT_TRUE(send.SendRequest());
    EXPECT_EQ(send.LastError(), 0);
    EXPECT_EQ(send.Reply.FindValue(kSysDescr), "R62GX");
    EXPECT_EQ(send.RemoteHost, "127.0.0.1");
}

TEST(SendRequest, LargeBinaryValueArrivesWhole) {
    std::string big;
    for (int i = 0; i < 1400; ++i)
        big += static_cast<char>(i % 256); // includes 00 octets
    FakeAgent agent;
    agent.Add("1.3.6.1.4.1.99999.1.0", big, tag::OctetString);
    std::string value;
    ASSERT_TRUE(SNMPGetValue("1.3.6.1.4.1.99999.1.0", "public", agent.Address(), value));
    EXPECT_EQ(value, big);
}

TEST(SendRequest, UnresolvableServiceFailsWithoutSending) {
    TSNMPSend send;
    send.TargetHost = "127.0.0.1";
    send.TargetPort = "no-such-service-here";
    send.Timeout = 200;
    MakeGet(send, kSysDescr);
    EXPECT_FALSE(send.SendRequest());
    EXPECT_NE(send.LastError(), 0);
    EXPECT_NE(send.LastError(), SocketTimedOut);
}

TEST(SendRequest, LocalInterfaceIsBoundOrTheRequestFails) {
    FakeAgent agent;
    agent.Add(kSysDescr, "R62GX", tag::OctetString);
    TSNMPSend send;
    Aim(send, agent);
    send.LocalInterface = "127.0.0.1";
    MakeGet(send, kSysDescr);
    ASSERT_TRUE(send.SendRequest());
    EXPECT_EQ(send.Reply.FindValue(kSysDescr), "R62GX");

    // An address this host does not have cannot be bound; nothing is sent.
    TSNMPSend foreign;
    Aim(foreign, agent);
    foreign.LocalInterface = "192.0.2.1";
    MakeGet(foreign, kSysDescr);
    EXPECT_FALSE(foreign.SendRequest());
    EXPECT_NE(foreign.LastError(), 0);
    EXPECT_NE(foreign.LastError(), SocketTimedOut);
    EXPECT_EQ(agent.Requests().size(), 1u);
}

TEST(PlainFunctions, HostNameWithPortResolves) {
    FakeAgent agent;
    agent.Add(kSysDescr, "by name", tag::OctetString);
    std::string value;
    ASSERT_TRUE(
        SNMPGetValue(kSysDescr, "public", "localhost:" + std::to_string(agent.Port()), value));
    EXPECT_EQ(value, "by name");
}

TEST(PlainFunctions, RequestIdsAndPdus) {
    FakeAgent agent;
    AddIpAddrTable(agent);
    agent.Add("1.3.6.1.2.1.1.4.0", "old", tag::OctetString);
    std::string value;
    ASSERT_TRUE(SNMPGetValue("1.3.6.1.2.1.4.19.0", "public", agent.Address(), value));
    EXPECT_EQ(value, "3");
    ASSERT_TRUE(SNMPGetValue("1.3.6.1.2.1.4.19.0", "public", agent.Address(), value));
    ASSERT_TRUE(SNMPSetValue("1.3.6.1.2.1.1.4.0", "private", agent.Address(), tag::OctetString,
                             "noc@example.net"));
    std::string oid = "1.3.6.1.2.1.4.19.0";
    ASSERT_TRUE(SNMPGetNextValue(oid, "public", agent.Address(), value));
    EXPECT_EQ(oid, "1.3.6.1.2.1.4.20.1.1.10.0.0.1");
    EXPECT_EQ(value, "10.0.0.1");
    std::vector<std::string> rows;
    ASSERT_TRUE(SNMPWalkTable(kIpAddrTable, "public", agent.Address(), rows));

    std::vector<int32_t> expected = {1, 1, 1, 2};
    for (int32_t id = 2; id <= 12; ++id) // ten cells and the step that leaves the table
        expected.push_back(id);
    EXPECT_EQ(Ids(agent), expected);

    auto requests = agent.Requests();
    ASSERT_EQ(requests.size(), expected.size());
    EXPECT_EQ(requests[0].pduType, tag::GetRequest);
    EXPECT_EQ(requests[2].pduType, tag::SetRequest);
    EXPECT_EQ(requests[2].community, "private");
    EXPECT_EQ(requests[2].values, std::vector<std::string>{"noc@example.net"});
    EXPECT_EQ(requests[3].pduType, tag::GetNextRequest);
    EXPECT_EQ(requests[4].oids, std::vector<std::string>{kIpAddrTable});
    EXPECT_EQ(requests.back().oids, std::vector<std::string>{"1.3.6.1.2.1.4.20.1.5.192.168.7.1"});

    ASSERT_TRUE(SNMPGetValue("1.3.6.1.2.1.1.4.0", "public", agent.Address(), value));
    EXPECT_EQ(value, "noc@example.net");
}

TEST(PlainFunctions, SetCountsAnyReplyAsDone) {
    FakeAgent agent;
    // Refused by the agent (error status notWritable / noSuchName): still a reply.
    EXPECT_TRUE(
        SNMPSetValue("1.3.6.1.2.1.1.1.0", "public", agent.Address(), tag::OctetString, "x"));
    agent.SetBehaviour(Behaviour::ErrorStatus);
    EXPECT_TRUE(
        SNMPSetValue("1.3.6.1.2.1.1.5.0", "public", agent.Address(), tag::OctetString, "x"));
    agent.SetBehaviour(Behaviour::Garbage);
    EXPECT_FALSE(
        SNMPSetValue("1.3.6.1.2.1.1.5.0", "public", agent.Address(), tag::OctetString, "x"));
}

TEST(Walk, TableComesBackColumnByColumn) {
    FakeAgent agent;
    AddIpAddrTable(agent);
    std::vector<std::string> rows, keys;
    ASSERT_TRUE(SNMPWalkTable(kIpAddrTable, "public", agent.Address(), rows, &keys));
    const std::vector<std::string> expected = {"10.0.0.1",  "192.168.7.1",   "1", "2",
                                               "255.0.0.0", "255.255.255.0", "1", "1",
                                               "65535",     "65535"};
    EXPECT_EQ(rows, expected);
    ASSERT_EQ(keys.size(), 10u);
    EXPECT_EQ(keys[0], "1.10.0.0.1");
    EXPECT_EQ(keys[9], "5.192.168.7.1");
    // Row i, column c sits at c * (count / columns) + i.
    EXPECT_EQ(rows[2 * (rows.size() / 5) + 1], "255.255.255.0");
}

TEST(Walk, EntryBaseJoinsARowsColumnsAndKeepsSparseRowsApart) {
    FakeAgent agent;
    const std::string entry = "1.3.6.1.2.1.6.13.1";
    // Column 2 lacks the second row: the keys say which row each text belongs to.
    agent.Add(entry + ".1.1", "5");
    agent.Add(entry + ".1.2", "2");
    agent.Add(entry + ".2.1", "10.0.0.1", tag::IpAddress);
    agent.Add(entry + ".3.1", "23");
    agent.Add(entry + ".3.2", "80");
    agent.Add(entry + ".3.3", "443");
    std::vector<std::string> rows, keys;
    ASSERT_TRUE(SNMPWalkTable(entry, "public", agent.Address(), rows, &keys));
    EXPECT_EQ(keys, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(rows, (std::vector<std::string>{"5,10.0.0.1,23", "2,80", "443"}));
}

TEST(Walk, EndTestIsAPlainTextPrefix) {
    FakeAgent agent;
    agent.Add("1.3.6.1.2.1.4.2.0", "64");
    AddIpAddrTable(agent, false);
    agent.Add("1.3.6.1.2.1.5.1.0", "7", tag::Counter32);
    std::vector<std::string> rows;
    // 1.3.6.1.2.1.4.20.* and 4.21.* also begin with the text 1.3.6.1.2.1.4.2; 5.1.0 does not.
    ASSERT_TRUE(SNMPWalkTable("1.3.6.1.2.1.4.2", "public", agent.Address(), rows));
    EXPECT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows.front(), "64");
    EXPECT_EQ(rows[10], "65535");
    EXPECT_EQ(rows.back(), "0.0.0.0");
    EXPECT_EQ(agent.Requests().back().oids,
              std::vector<std::string>{"1.3.6.1.2.1.4.21.1.1.0.0.0.0"});
}

// Agents whose answers would repeat a step for ever: every walk must stop by itself, as a walk
// that left the table.
TEST(Walk, LoopsAreEnded) {
    const std::string col = std::string(kIpAddrTable) + ".1.1.";
    auto vb = [&](const std::string& index) {
        return TSNMPMib{col + index, index, tag::IpAddress};
    };
    struct Case {
        const char* name;
        Behaviour behaviour;
        std::vector<TSNMPMib> script;
        std::size_t rows;
    } cases[] = {
        {"same OID", Behaviour::EchoOid, {}, 0},
        {"no varbinds", Behaviour::NoVarBinds, {}, 0},
        {"endOfMibView", Behaviour::EndOfMibView, {}, 0},
        {"repeats a row", Behaviour::Serve, {vb("10.0.0.1"), vb("10.0.0.1")}, 1},
        {"goes backwards", Behaviour::Serve, {vb("10.0.0.1"), vb("10.0.0.2"), vb("10.0.0.1")}, 2},
    };
    for (auto& c : cases) {
        FakeAgent agent;
        AddIpAddrTable(agent);
        agent.SetBehaviour(c.behaviour);
        agent.ScriptGetNext(c.script);
        TSNMPSend send;
        Aim(send, agent, 1000);
        std::vector<std::string> rows;
        EXPECT_TRUE(WalkTable(send, kIpAddrTable, "public", rows)) << c.name;
        EXPECT_EQ(rows.size(), c.rows) << c.name;
        EXPECT_EQ(agent.Requests().size(), c.rows + 1) << c.name;
    }
}

TEST(Walk, EndOfTheAgentsViewEndsTheWalk) {
    FakeAgent agent;
    agent.Add(std::string(kIpAddrTable) + ".1.1.10.0.0.1", "10.0.0.1", tag::IpAddress);
    std::vector<std::string> rows;
    // Nothing follows the table: the agent answers endOfMibView under the requested name.
    EXPECT_TRUE(SNMPWalkTable(kIpAddrTable, "public", agent.Address(), rows));
    EXPECT_EQ(rows, std::vector<std::string>{"10.0.0.1"});
}

TEST(Walk, AgentGoingSilentKeepsTheRowsSoFar) {
    FakeAgent agent;
    AddIpAddrTable(agent);
    agent.GoSilentAfter(3);
    TSNMPSend send;
    Aim(send, agent, 200);
    std::vector<std::string> rows, keys = {"old"};
    EXPECT_FALSE(WalkTable(send, kIpAddrTable, "public", rows, &keys));
    EXPECT_EQ(rows, (std::vector<std::string>{"10.0.0.1", "192.168.7.1", "1"}));
    EXPECT_EQ(keys.size(), 3u);
    EXPECT_EQ(send.LastError(), SocketTimedOut);
}

TEST(Walk, UndecodableReplyFailsTheWalk) {
    FakeAgent agent;
    AddIpAddrTable(agent);
    agent.SetBehaviour(Behaviour::Truncated);
    std::vector<std::string> rows = {"stale"};
    EXPECT_FALSE(SNMPWalkTable(kIpAddrTable, "public", agent.Address(), rows));
    EXPECT_TRUE(rows.empty());
}

} // namespace
