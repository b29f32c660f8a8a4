// The agents other tests rely on: the simulated router's data file is one snmpsim can search,
// the agents start on free loopback ports, answer, and leave nothing running behind them.
#include "Agents.h"
#include "Command.h"
#include "Transport.h"

#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kSysDescr = "1.3.6.1.2.1.1.1.0";
const std::string kSysObjectID = "1.3.6.1.2.1.1.2.0";

std::vector<unsigned long> Arcs(const std::string& oid) {
    std::vector<unsigned long> arcs;
    std::istringstream in(oid);
    std::string arc;
    while (std::getline(in, arc, '.'))
        arcs.push_back(std::stoul(arc));
    return arcs;
}

// True when ip:port can be bound now, that is no agent holds it any more.
bool PortIsFree(const std::string& ip, int port) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, ip.c_str(), &addr.sin_addr);
    bool free = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return free;
}

bool PortFreedWithin(const std::string& ip, int port, std::chrono::seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (PortIsFree(ip, port)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// One GetRequest with a short timeout, for checks that an agent is gone.
bool Answers(const std::string& address, const std::string& community) {
    snmp::TSNMPSend send;
    send.SetTarget(address);
    send.Timeout = 400;
    send.Query.Community = community;
    send.Query.PDUType = snmp::tag::GetRequest;
    send.Query.AddVarBind(kSysDescr, "", snmp::tag::Null);
    return send.SendRequest();
}

} // namespace

TEST(SimulatedRouterData, RecordsAreSortedByOidAndWellFormed) {
    const std::string dir = SourceDir() + "/tests/agent/data";
    std::ifstream in(dir + "/public.snmprec");
    ASSERT_TRUE(in) << dir;
    const std::set<std::string> tags = {"2", "4", "4x", "6", "64", "65", "66", "67", "70"};
    std::vector<unsigned long> previous;
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
        ++count;
        auto bar1 = line.find('|');
        auto bar2 = line.find('|', bar1 + 1);
        ASSERT_NE(bar2, std::string::npos) << line;
        std::string oid = line.substr(0, bar1);
        std::string tag = line.substr(bar1 + 1, bar2 - bar1 - 1);
        EXPECT_TRUE(tags.count(tag.substr(0, tag.find(':')))) << line;
        auto arcs = Arcs(oid);
        // snmpsim bisects the file: one record out of order hides others from GetNext.
        EXPECT_LT(previous, arcs) << "out of order or repeated: " << line;
        previous = arcs;
    }
    EXPECT_GT(count, 400);
    EXPECT_TRUE(std::filesystem::equivalent(dir + "/public.snmprec", dir + "/lanterns.snmprec"));
}

TEST(SimulatedRouterAgent, AnswersBothCommunitiesOnItsOwnLoopbackAddress) {
    SimulatedRouter a;
    SimulatedRouter b("127.0.0.2");
    ASSERT_TRUE(a.Start()) << a.Output();
    ASSERT_TRUE(b.Start()) << b.Output();
    EXPECT_EQ(a.Host(), "127.0.0.1");
    EXPECT_EQ(b.Address(), "127.0.0.2:" + std::to_string(b.Port()));
    EXPECT_GT(a.Port(), 0);

    for (const auto* agent : {&a, &b}) {
        for (const char* community :
             {SimulatedRouter::Community, SimulatedRouter::DefaultCommunity}) {
            std::string descr;
            EXPECT_TRUE(snmp::SNMPGetValue(kSysDescr, community, agent->Address(), descr));
            EXPECT_NE(descr.find("TAVIX"), std::string::npos) << community;
        }
    }
    EXPECT_TRUE(a.Start()) << "a second Start of a running agent is harmless";
}

TEST(SimulatedRouterAgent, StopReleasesThePortAndSilencesTheAgent) {
    SimulatedRouter router;
    ASSERT_TRUE(router.Start()) << router.Output();
    const int port = router.Port();
    ASSERT_FALSE(PortIsFree("127.0.0.1", port));
    ASSERT_TRUE(Answers(router.Address(), "public"));

    router.Stop();
    EXPECT_FALSE(router.Running());
    EXPECT_TRUE(PortIsFree("127.0.0.1", port));
    EXPECT_FALSE(Answers(router.Address(), "public"));
    router.Stop(); // twice is harmless

    ASSERT_TRUE(router.Start()) << "restart after stop: " << router.Output();
    EXPECT_TRUE(Answers(router.Address(), "public"));
}

TEST(SimulatedRouterAgent, StopsByItselfWhenItsTestProcessDies) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        SimulatedRouter router;
        int port = router.Start() ? router.Port() : 0;
        (void)!write(fds[1], &port, sizeof port);
        _exit(0); // no destructor: as if the test had crashed
    }
    close(fds[1]);
    int port = 0;
    ASSERT_EQ(read(fds[0], &port, sizeof port), static_cast<ssize_t>(sizeof port));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_GT(port, 0);
    EXPECT_TRUE(PortFreedWithin("127.0.0.1", port, std::chrono::seconds(15)))
        << "the orphaned agent still holds port " << port;
}

TEST(AgentScripts, RefuseAddressesOutsideLoopback) {
    for (const char* script : {"run-sim", "run-snmpd"}) {
        auto r = RunCommand({"bash", SourceDir() + "/tests/agent/" + script, "192.0.2.1", "161"});
        EXPECT_EQ(r.exitCode, 2) << script;
        EXPECT_NE(r.err.find("not a loopback"), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("ready"), std::string::npos);
    }
}

TEST(AgentScripts, ReportFailureWhenThePortIsTaken) {
    SilentUdpPort taken;
    ASSERT_GT(taken.Port(), 0);
    for (const char* script : {"run-sim", "run-snmpd"}) {
        auto r = RunCommand({"bash", SourceDir() + "/tests/agent/" + script, "127.0.0.1",
                             std::to_string(taken.Port())});
        EXPECT_EQ(r.exitCode, 1) << script << ": " << r.err;
        EXPECT_EQ(r.out.find("ready"), std::string::npos) << script;
    }
}

TEST(NetSnmpAgentProcess, DefaultIdentityIsTheRoutersAndSetIdentityReplacesIt) {
    NetSnmpAgent plain;
    plain.SetIdentity("Linux lab box, no router here", ".1.3.6.1.4.1.8072.3.2.10");
    NetSnmpAgent router;
    ASSERT_TRUE(plain.Start()) << plain.Output();
    ASSERT_TRUE(router.Start()) << router.Output();

    std::string descr, oid;
    ASSERT_TRUE(
        snmp::SNMPGetValue(kSysDescr, NetSnmpAgent::ReadCommunity, router.Address(), descr));
    ASSERT_TRUE(
        snmp::SNMPGetValue(kSysObjectID, NetSnmpAgent::ReadCommunity, router.Address(), oid));
    EXPECT_NE(descr.find("TAVIX"), std::string::npos) << descr;
    EXPECT_EQ(oid, "1.3.6.1.4.1.40917.1");

    ASSERT_TRUE(snmp::SNMPGetValue(kSysDescr, NetSnmpAgent::ReadCommunity, plain.Address(), descr));
    ASSERT_TRUE(
        snmp::SNMPGetValue(kSysObjectID, NetSnmpAgent::ReadCommunity, plain.Address(), oid));
    EXPECT_EQ(descr, "Linux lab box, no router here");
    EXPECT_EQ(oid, "1.3.6.1.4.1.8072.3.2.10");

    plain.Stop();
    EXPECT_FALSE(Answers(plain.Address(), "public"));
}

TEST(SilentPort, HoldsThePortAndNeverAnswers) {
    SilentUdpPort silent;
    ASSERT_GT(silent.Port(), 0);
    EXPECT_FALSE(PortIsFree("127.0.0.1", silent.Port()));
    EXPECT_FALSE(Answers(silent.Address(), "public"));
    EXPECT_EQ(silent.Received(), 1);
}
