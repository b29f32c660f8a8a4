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
using Strings = std::vector<std::string>;

void MakeGet(TSNMPSend& send, const std::string& oid) {
    send.Query.Clear();
    send.Query.Community = "public";
    send.Query.PDUType = tag::GetRequest;
    send.Query.AddVarBind(oid, "", tag::Null);
}

// A TSNMPSend aimed at the agent with a get of `oid` ready.
void Aim(TSNMPSend& send, const FakeAgent& agent, int timeoutMs, const std::string& oid) {
    send.SetTarget(agent.Address());
    send.Timeout = timeoutMs;
    MakeGet(send, oid);
}

long MsSince(std::chrono::steady_clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count());
}

// Two rows of the IP address table (five columns) between a scalar before and another table.
void AddIpAddrTable(FakeAgent& agent, bool scalarBefore = true) {
    if (scalarBefore) agent.Add("1.3.6.1.2.1.4.19.0", "3", tag::Counter32);
    const char* rows[2][5] = {{"10.0.0.1", "1", "255.0.0.0", "1", "65535"},
                              {"192.168.7.1", "2", "255.255.255.0", "1", "65535"}};
    for (int c = 0; c < 5; ++c)
        for (auto& row : rows)
            agent.Add(std::string(kIpAddrTable) + ".1." + std::to_string(c + 1) + "." + row[0],
                      row[c], c == 0 || c == 2 ? tag::IpAddress : tag::Integer);
    agent.Add("1.3.6.1.2.1.4.21.1.1.0.0.0.0", "0.0.0.0", tag::IpAddress);
}

TEST(SplitHostPort, Forms) {
    struct Case {
        const char* in;
        const char* host;
        const char* port;
    } cases[] = {
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

TEST(UdpSocketLayer, ResolvesLocallyAndPassesDatagramsWithSizesAndSenders) {
    UdpSocket rx, tx;
    SockAddr to;
    ASSERT_TRUE(rx.Resolve("localhost", "snmp", to));
    EXPECT_EQ(to.IpText(), "127.0.0.1");
    EXPECT_EQ(to.port, 161);
    // Refused from /etc/services alone, no lookup leaves; an empty host is no destination.
    for (const char* port : {"no-such-service-here", "65536", "65697"})
        EXPECT_FALSE(rx.Resolve("127.0.0.1", port, to)) << port;
    EXPECT_FALSE(rx.Resolve("", "161", to));
    EXPECT_NE(rx.LastError(), 0);

    ASSERT_TRUE(rx.Bind("127.0.0.1", "0"));
    ASSERT_TRUE(tx.Bind("127.0.0.2", "0"));
    ASSERT_TRUE(tx.Resolve("127.0.0.1", std::to_string(rx.LocalPort()), to));
    EXPECT_FALSE(rx.WaitReadable(0));
    EXPECT_EQ(rx.LastError(), SocketTimedOut);
    ASSERT_TRUE(tx.SendTo(to, std::string("abc\0def", 7)));
    ASSERT_TRUE(tx.SendTo(to, ""));
    ASSERT_TRUE(tx.SendTo(to, "xy"));
    ASSERT_TRUE(rx.WaitReadable(1000));
    EXPECT_EQ(rx.Pending(), 7); // the next datagram's size, not all that is queued
    std::string d;
    SockAddr from;
    ASSERT_TRUE(rx.RecvFrom(d, from, 7));
    EXPECT_EQ(d, std::string("abc\0def", 7));
    EXPECT_EQ(from.IpText(), "127.0.0.2");
    EXPECT_EQ(from.port, tx.LocalPort());
    // The empty datagram is reported and consumed.
    EXPECT_FALSE(rx.Receive(d, from, 1000));
    EXPECT_EQ(rx.LastError(), SocketConnReset);
    ASSERT_TRUE(rx.Receive(d, from, 0));
    EXPECT_EQ(d, "xy");
    EXPECT_FALSE(rx.Receive(d, from, 0));
    EXPECT_EQ(rx.LastError(), SocketTimedOut);
}

// Each request waits by its own timeout (0: only what is there, -1: no limit); a timeout leaves
// the value empty.
TEST(SendRequest, TimeoutsPerRequest) {
    FakeAgent agent;
    agent.Add(kSysDescr, "slow router", tag::OctetString);
    agent.SetBehaviour(Behaviour::Silent);
    TSNMPSend send;
    Aim(send, agent, 0, kSysDescr);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(send.SendRequest());
    send.Timeout = 200;
    EXPECT_FALSE(send.SendRequest());
    EXPECT_GE(MsSince(start), 190);
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_EQ(send.LastError(), SocketTimedOut);
    EXPECT_EQ(send.RemoteHost, "0.0.0.0");
    EXPECT_TRUE(send.Buffer.empty());
    EXPECT_EQ(send.Reply.VarBindCount(), 0);
    std::string oid = kSysDescr, value = "stale";
    EXPECT_FALSE(GetNextStep(send, oid, "public", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(oid, kSysDescr);

    agent.SetBehaviour(Behaviour::Serve);
    agent.SetDelay(300);
    send.Timeout = -1;
    MakeGet(send, kSysDescr);
    ASSERT_TRUE(send.SendRequest());
    EXPECT_EQ(send.Reply.FindValue(kSysDescr), "slow router");
    send.Timeout = 100; // the answer, 300 ms away, comes too late
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
    Aim(send, agent, 50, kSysDescr);
    EXPECT_FALSE(send.SendRequest());
    std::this_thread::sleep_for(std::chrono::milliseconds(400)); // the late answer lands
    agent.SetDelay(0);
    send.Timeout = 2000;
    MakeGet(send, kSysName);
    ASSERT_TRUE(send.SendRequest());
    ASSERT_EQ(send.Reply.VarBindCount(), 1);
    EXPECT_EQ(send.Reply.FindValue(kSysName), "second");
}

// How the plain get and set take each kind of answer.
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
        // A set counts any reply as done, the agent's refusal (notWritable) included.
        EXPECT_EQ(
            SNMPSetValue("1.3.6.1.2.1.1.5.0", "public", agent.Address(), tag::OctetString, "x"),
            c.ok)
            << static_cast<int>(c.behaviour);
    }

    // An empty datagram does not wedge a reused socket.
    agent.SetBehaviour(Behaviour::ZeroLength);
    TSNMPSend send;
    Aim(send, agent, 500, kSysDescr);
    EXPECT_FALSE(send.SendRequest());
    EXPECT_EQ(send.LastError(), SocketConnReset);
    agent.SetBehaviour(Behaviour::Serve);
    ASSERT_TRUE(send.SendRequest());
    EXPECT_EQ(send.Reply.FindValue(kSysDescr), "R62GX");
    EXPECT_EQ(send.RemoteHost, "127.0.0.1");

    // 1400 octets, 00 among them, arrive whole.
    std::string big;
    for (int i = 0; i < 1400; ++i)
        big += static_cast<char>(i % 256);
    agent.Add("1.3.6.1.4.1.99999.1.0", big, tag::OctetString);
    std::string value;
    ASSERT_TRUE(SNMPGetValue("1.3.6.1.4.1.99999.1.0", "public", agent.Address(), value));
    EXPECT_EQ(value, big);
}

// A service that does not resolve or a local address this host lacks: fails, nothing is sent.
TEST(SendRequest, RequestThatCannotGoOutFailsWithoutSending) {
    FakeAgent agent;
    agent.Add(kSysDescr, "R62GX", tag::OctetString);
    TSNMPSend bound;
    Aim(bound, agent, 2000, kSysDescr);
    bound.LocalInterface = "127.0.0.1";
    ASSERT_TRUE(bound.SendRequest());
    EXPECT_EQ(bound.Reply.FindValue(kSysDescr), "R62GX");

    TSNMPSend foreign, unresolved;
    Aim(foreign, agent, 200, kSysDescr);
    foreign.LocalInterface = "192.0.2.1";
    Aim(unresolved, agent, 200, kSysDescr);
    unresolved.TargetPort = "no-such-service-here";
    for (TSNMPSend* send : {&foreign, &unresolved}) {
        EXPECT_FALSE(send->SendRequest());
        EXPECT_NE(send->LastError(), 0);
        EXPECT_NE(send->LastError(), SocketTimedOut);
    }
    EXPECT_EQ(agent.Requests().size(), 1u);
}

// Each plain call starts at request id 1; a walk counts on from 2.
TEST(PlainFunctions, RequestIdsAndPdus) {
    FakeAgent agent;
    AddIpAddrTable(agent);
    agent.Add("1.3.6.1.2.1.1.4.0", "old", tag::OctetString);
    const std::string byName = "localhost:" + std::to_string(agent.Port());
    std::string value;
    ASSERT_TRUE(SNMPGetValue("1.3.6.1.2.1.4.19.0", "public", byName, value));
    EXPECT_EQ(value, "3");
    ASSERT_TRUE(SNMPGetValue("1.3.6.1.2.1.4.19.0", "public", agent.Address(), value));
    ASSERT_TRUE(SNMPSetValue("1.3.6.1.2.1.1.4.0", "private", agent.Address(), tag::OctetString,
                             "noc@example.net"));
    std::string oid = "1.3.6.1.2.1.4.19.0";
    ASSERT_TRUE(SNMPGetNextValue(oid, "public", agent.Address(), value));
    EXPECT_EQ(oid, "1.3.6.1.2.1.4.20.1.1.10.0.0.1");
    EXPECT_EQ(value, "10.0.0.1");
    Strings rows;
    ASSERT_TRUE(SNMPWalkTable(kIpAddrTable, "public", agent.Address(), rows));

    std::vector<int32_t> expected = {1, 1, 1, 2};
    for (int32_t id = 2; id <= 12; ++id) // ten cells and the step that leaves the table
        expected.push_back(id);
    const auto requests = agent.Requests();
    std::vector<int32_t> ids;
    for (const auto& r : requests)
        ids.push_back(r.id);
    EXPECT_EQ(ids, expected);
    ASSERT_EQ(requests.size(), expected.size());
    EXPECT_EQ(requests[0].pduType, tag::GetRequest);
    EXPECT_EQ(requests[2].pduType, tag::SetRequest);
    EXPECT_EQ(requests[2].community, "private");
    EXPECT_EQ(requests[2].values, Strings{"noc@example.net"});
    EXPECT_EQ(requests[3].pduType, tag::GetNextRequest);
    EXPECT_EQ(requests[4].oids, Strings{kIpAddrTable});
    EXPECT_EQ(requests.back().oids, Strings{"1.3.6.1.2.1.4.20.1.5.192.168.7.1"});
    ASSERT_TRUE(SNMPGetValue("1.3.6.1.2.1.1.4.0", "public", agent.Address(), value));
    EXPECT_EQ(value, "noc@example.net");
}

TEST(Walk, TableComesBackColumnByColumn) {
    FakeAgent agent;
    AddIpAddrTable(agent);
    Strings rows, keys;
    ASSERT_TRUE(SNMPWalkTable(kIpAddrTable, "public", agent.Address(), rows, &keys));
    EXPECT_EQ(rows, (Strings{"10.0.0.1", "192.168.7.1", "1", "2", "255.0.0.0", "255.255.255.0", "1",
                             "1", "65535", "65535"}));
    ASSERT_EQ(keys.size(), 10u);
    EXPECT_EQ(keys[0], "1.10.0.0.1");
    EXPECT_EQ(keys[9], "5.192.168.7.1");

    // From an entry, a row's columns join; the keys keep a sparse row apart.
    FakeAgent sparse;
    const std::string entry = "1.3.6.1.2.1.6.13.1";
    sparse.Add(entry + ".1.1", "5");
    sparse.Add(entry + ".1.2", "2");
    sparse.Add(entry + ".2.1", "10.0.0.1", tag::IpAddress);
    sparse.Add(entry + ".3.1", "23");
    sparse.Add(entry + ".3.2", "80");
    sparse.Add(entry + ".3.3", "443");
    ASSERT_TRUE(SNMPWalkTable(entry, "public", sparse.Address(), rows, &keys));
    EXPECT_EQ(keys, (Strings{"1", "2", "3"}));
    EXPECT_EQ(rows, (Strings{"5,10.0.0.1,23", "2,80", "443"}));
}

TEST(Walk, EndTestIsAPlainTextPrefix) {
    FakeAgent agent;
    agent.Add("1.3.6.1.2.1.4.2.0", "64");
    AddIpAddrTable(agent, false);
    agent.Add("1.3.6.1.2.1.5.1.0", "7", tag::Counter32);
    Strings rows;
    // 1.3.6.1.2.1.4.20.* and 4.21.* also begin with the text 1.3.6.1.2.1.4.2; 5.1.0 does not.
    ASSERT_TRUE(SNMPWalkTable("1.3.6.1.2.1.4.2", "public", agent.Address(), rows));
    EXPECT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows.front(), "64");
    EXPECT_EQ(rows.back(), "0.0.0.0");
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
        Aim(send, agent, 1000, kSysDescr);
        Strings rows;
        EXPECT_TRUE(WalkTable(send, kIpAddrTable, "public", rows)) << c.name;
        EXPECT_EQ(rows.size(), c.rows) << c.name;
        EXPECT_EQ(agent.Requests().size(), c.rows + 1) << c.name;
    }
}

// A walk cut short fails but keeps the rows so far; one whose first reply is unreadable has none.
TEST(Walk, FailedWalks) {
    FakeAgent agent;
    AddIpAddrTable(agent);
    agent.GoSilentAfter(3);
    TSNMPSend send;
    Aim(send, agent, 200, kSysDescr);
    Strings rows, keys = {"old"};
    EXPECT_FALSE(WalkTable(send, kIpAddrTable, "public", rows, &keys));
    EXPECT_EQ(rows, (Strings{"10.0.0.1", "192.168.7.1", "1"}));
    EXPECT_EQ(keys.size(), 3u);
    EXPECT_EQ(send.LastError(), SocketTimedOut);

    FakeAgent broken;
    AddIpAddrTable(broken);
    broken.SetBehaviour(Behaviour::Truncated);
    rows = {"stale"};
    EXPECT_FALSE(SNMPWalkTable(kIpAddrTable, "public", broken.Address(), rows));
    EXPECT_TRUE(rows.empty());
}

} // namespace
