// The request transport and the table walk against the scripted responder on loopback.
#include "snmp/Transport.h"

#include "FakeAgent.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#endif

using fake::Behaviour;
using fake::FakeAgent;
using namespace snmp;

namespace {

constexpr const char* kSysDescr = "1.3.6.1.2.1.1.1.0";
constexpr const char* kIpAddrTable = "1.3.6.1.2.1.4.20";
using Strings = std::vector<std::string>;
const Strings kIpAddrRows = {"10.0.0.1",      "192.168.7.1", "1", "2",     "255.0.0.0",
                             "255.255.255.0", "1",           "1", "65535", "65535"};

// A TSNMPSend aimed at the agent with a get of `oid` ready.
void Aim(TSNMPSend& send, const FakeAgent& agent, int timeoutMs, const std::string& oid) {
    send.SetTarget(agent.Address());
    send.Timeout = timeoutMs;
    send.Query.Clear();
    send.Query.Community = "public";
    send.Query.PDUType = tag::GetRequest;
    send.Query.AddVarBind(oid, "", tag::Null);
}

long MsSince(std::chrono::steady_clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count());
}

// Two rows of the IP address table (five columns, kIpAddrRows) between a scalar before and
// another table.
void AddIpAddrTable(FakeAgent& agent, bool scalarBefore = true) {
    if (scalarBefore) agent.Add("1.3.6.1.2.1.4.19.0", "3", tag::Counter32);
    const char* index[2] = {"10.0.0.1", "192.168.7.1"};
    for (std::size_t i = 0; i < kIpAddrRows.size(); ++i)
        agent.Add(std::string(kIpAddrTable) + ".1." + std::to_string(i / 2 + 1) + "." +
                      index[i % 2],
                  kIpAddrRows[i], i / 2 == 0 || i / 2 == 2 ? tag::IpAddress : tag::Integer);
    agent.Add("1.3.6.1.2.1.4.21.1.1.0.0.0.0", "0.0.0.0", tag::IpAddress);
}

// The decoder's malformed seeds: a cut varbind, a 5-octet length, a 9-octet INTEGER and a
// 10-octet Counter64, each a whole reply to request id 1.
Strings MalformedFrames() {
    Strings frames;
    for (const auto& entry : std::filesystem::directory_iterator(LINESCOPE_DECODE_CORPUS)) {
        if (entry.path().filename().string().rfind("malformed-", 0) != 0) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        frames.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return frames;
}

TEST(SplitHostPort, Forms) {
    const char* cases[][3] = {{" router.lan : snmp ", "router.lan", "snmp"},
                              {"127.0.0.1:", "127.0.0.1", "161"},
                              {"", "", "161"},
                              {"::1", "::1", "161"}};
    for (const auto& c : cases) {
        EXPECT_EQ(SplitHostPort(c[0]).host, c[1]) << c[0];
        EXPECT_EQ(SplitHostPort(c[0]).port, c[2]) << c[0];
    }
    EXPECT_EQ(SplitHostPort("h", "514").port, "514");
}

// Each request waits by its own timeout (0: only what is there, -1: no limit), and datagrams
// passed over on the way do not move its deadline.
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
    EXPECT_EQ(send.LastError(), SocketTimedOut);
    EXPECT_EQ(send.RemoteHost, "0.0.0.0");
    EXPECT_TRUE(send.Buffer.empty());
    std::string oid = kSysDescr, value = "stale";
    EXPECT_FALSE(GetNextStep(send, oid, "public", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(oid, kSysDescr);

    agent.SetBehaviour(Behaviour::Serve);
    agent.SetDelay(300);
    Aim(send, agent, -1, kSysDescr);
    ASSERT_TRUE(send.SendRequest());
    EXPECT_EQ(send.Reply.FindValue(kSysDescr), "slow router");

    // A reply with another id at 300 ms is passed over; the wait still ends at 400 ms.
    agent.SetBehaviour(Behaviour::OtherId);
    send.Timeout = 400;
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(send.SendRequest());
    EXPECT_GE(MsSince(start), 390);
    EXPECT_LT(MsSince(start), 650);
    EXPECT_EQ(send.LastError(), SocketTimedOut);
    EXPECT_EQ(send.Reply.VarBindCount(), 0);
}

// A reply that arrives after its request timed out is not taken for the next one, even when
// both carry the same request id.
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
    Aim(send, agent, 2000, kSysName);
    ASSERT_TRUE(send.SendRequest());
    ASSERT_EQ(send.Reply.VarBindCount(), 1);
    EXPECT_EQ(send.Reply.FindValue(kSysName), "second");
}

// What a request makes of each kind of answer from the agent's own address and port. A frame the
// decoder refuses ends the request at once, long before its deadline.
TEST(SendRequest, RepliesAcceptedAndRejected) {
    const std::string big = std::string(1400, '\0') + "R62GX"; // arrives whole
    struct Case {
        Behaviour behaviour;
        std::string raw;
        bool ok;
        std::string value;
        int varbinds;
    };
    std::vector<Case> cases = {
        {Behaviour::Raw, "", false, "", 0}, // an empty datagram, which must not wedge the socket
        {Behaviour::Serve, "", true, big, 1},
        {Behaviour::ErrorStatus, "", true, "", 1}, // an error reply is still a reply
        {Behaviour::NoVarBinds, "", true, "", 0},
    };
    const Strings malformed = MalformedFrames();
    ASSERT_EQ(malformed.size(), 4u);
    for (const std::string& frame : malformed)
        cases.push_back({Behaviour::Raw, frame, false, "", 0});
    FakeAgent agent;
    agent.Add(kSysDescr, big, tag::OctetString);
    TSNMPSend send;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.behaviour) << " " << c.raw.size());
        agent.SetBehaviour(c.behaviour, c.raw);
        Aim(send, agent, 5000, kSysDescr);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(send.SendRequest(), c.ok);
        EXPECT_LT(MsSince(start), 4000);
        EXPECT_EQ(send.Reply.FindValue(kSysDescr), c.value);
        EXPECT_EQ(send.Reply.VarBindCount(), c.varbinds);
    }
    EXPECT_EQ(send.LastError(), 0); // the socket did its part
    // A set counts any reply as done, the agent's refusal (notWritable) included.
    agent.SetBehaviour(Behaviour::ErrorStatus);
    EXPECT_TRUE(
        SNMPSetValue("1.3.6.1.2.1.1.5.0", "public", agent.Address(), tag::OctetString, "x"));
}

// Datagrams that are not the reply (an earlier request's, a repeat, one from another port, a
// stray octet) are passed over, in a get and in every step of a walk.
TEST(SendRequest, OnlyTheRequestsOwnReplyIsTaken) {
    for (Behaviour b : {Behaviour::LateFirst, Behaviour::Duplicated, Behaviour::ForeignFirst,
                        Behaviour::StrayFirst}) {
        SCOPED_TRACE(static_cast<int>(b));
        FakeAgent agent;
        AddIpAddrTable(agent);
        agent.SetBehaviour(b);
        TSNMPSend send;
        Aim(send, agent, 2000, "1.3.6.1.2.1.4.19.0");
        send.Query.ID = 40;
        ASSERT_TRUE(send.SendRequest());
        EXPECT_EQ(send.Reply.FindValue("1.3.6.1.2.1.4.19.0"), "3");
        Strings rows;
        EXPECT_EQ(WalkTable(send, kIpAddrTable, "public", rows), WalkEnd::LeftTable);
        EXPECT_EQ(rows, kIpAddrRows);
    }
}

// A service that does not resolve or a local address this host lacks: fails, nothing is sent.
TEST(SendRequest, RequestThatCannotGoOutFailsWithoutSending) {
    FakeAgent agent;
    agent.Add(kSysDescr, "R62GX", tag::OctetString);
    TSNMPSend bound, foreign, unresolved;
    Aim(bound, agent, 2000, kSysDescr);
    bound.LocalInterface = "127.0.0.1";
    ASSERT_TRUE(bound.SendRequest());
    Aim(foreign, agent, 200, kSysDescr);
    foreign.LocalInterface = "192.0.2.1";
    Aim(unresolved, agent, 200, kSysDescr);
    unresolved.TargetPort = "no-such-service-here";
    std::vector<TSNMPSend*> cases{&foreign, &unresolved};
#ifdef _WIN32
    // Wine lets a socket bind an address the host lacks; Windows refuses (WSAEADDRNOTAVAIL).
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr)
        cases.erase(cases.begin());
#endif
    for (TSNMPSend* send : cases) {
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
    ASSERT_EQ(SNMPWalkTable(kIpAddrTable, "public", agent.Address(), rows), WalkEnd::LeftTable);

    // Ten cells and the step that leaves the table.
    const std::vector<int32_t> expected = {1, 1, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
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
}

// The end test compares text, not arcs: 4.20.* and 4.21.* also begin with the text of 4.2.
TEST(Walk, EndTestIsAPlainTextPrefix) {
    FakeAgent agent;
    agent.Add("1.3.6.1.2.1.4.2.0", "64");
    AddIpAddrTable(agent, false);
    agent.Add("1.3.6.1.2.1.5.1.0", "7", tag::Counter32);
    Strings rows, keys;
    ASSERT_EQ(SNMPWalkTable("1.3.6.1.2.1.4.2", "public", agent.Address(), rows, &keys),
              WalkEnd::LeftTable);
    Strings expected = {"64"};
    expected.insert(expected.end(), kIpAddrRows.begin(), kIpAddrRows.end());
    expected.push_back("0.0.0.0");
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(keys[1], "1.1.10.0.0.1");
}

// Every walk ends by itself and says why; the rows up to its end are kept.
TEST(Walk, EndsWithAReason) {
    const std::string col = std::string(kIpAddrTable) + ".1.1.";
    auto vb = [&](const std::string& index, int32_t type = tag::IpAddress) {
        return TSNMPMib{col + index, index, type};
    };
    struct Case {
        const char* name;
        Behaviour behaviour;
        std::vector<TSNMPMib> script;
        WalkEnd end;
        std::size_t rows;
        int answers = -1; // then silence
    } cases[] = {
        {"same OID",
         Behaviour::Serve,
         {{kIpAddrTable, "7", tag::Integer}},
         WalkEnd::WentBackwards,
         0},
        {"no varbinds", Behaviour::NoVarBinds, {}, WalkEnd::LeftTable, 0},
        {"endOfMibView", Behaviour::Serve, {vb("1", tag::EndOfMibView)}, WalkEnd::LeftTable, 0},
        {"goes backwards",
         Behaviour::Serve,
         {vb("10.0.0.1"), vb("192.168.7.1"), vb("10.0.0.1")},
         WalkEnd::WentBackwards,
         2},
        {"malformed first reply", Behaviour::Raw, {}, WalkEnd::NoReply, 0},
        {"silent after three", Behaviour::Serve, {}, WalkEnd::NoReply, 3, 3},
    };
    for (auto& c : cases) {
        FakeAgent agent;
        AddIpAddrTable(agent);
        agent.SetBehaviour(c.behaviour, "\x30\x03\x02\x01");
        agent.ScriptGetNext(c.script);
        agent.GoSilentAfter(c.answers);
        TSNMPSend send;
        Aim(send, agent, 300, kSysDescr);
        Strings rows = {"stale"};
        EXPECT_EQ(WalkTable(send, kIpAddrTable, "public", rows), c.end) << c.name;
        EXPECT_EQ(rows, Strings(kIpAddrRows.begin(), kIpAddrRows.begin() + c.rows)) << c.name;
        EXPECT_EQ(agent.Requests().size(), c.rows + 1) << c.name;
    }
}

// A table longer than the cap stops at it: a caller's own cap, and the plain walk's default.
TEST(Walk, StopsAtTheRowCap) {
    FakeAgent agent;
    for (std::size_t i = 0; i <= MaxWalkRows; ++i)
        agent.Add(std::string(kIpAddrTable) + ".1.2." + std::to_string(i), std::to_string(i));
    TSNMPSend send;
    Aim(send, agent, 1000, kSysDescr);
    Strings rows;
    EXPECT_EQ(WalkTable(send, kIpAddrTable, "public", rows, nullptr, 50), WalkEnd::RowLimit);
    EXPECT_EQ(rows.size(), 50u);
    EXPECT_EQ(rows.back(), "49");
    EXPECT_EQ(agent.Requests().size(), 50u);

    EXPECT_EQ(SNMPWalkTable(kIpAddrTable, "public", agent.Address(), rows), WalkEnd::RowLimit);
    EXPECT_EQ(rows.size(), MaxWalkRows);
    EXPECT_EQ(agent.Requests().size(), 50u + MaxWalkRows);
}

} // namespace
