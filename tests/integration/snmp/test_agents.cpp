// The agents other tests rely on start on a free loopback port, answer, and free the port when
// stopped; their scripts refuse any address outside loopback.
#include "Agents.h"
#include "Command.h"
#include "Transport.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const std::string kSysDescr = "1.3.6.1.2.1.1.1.0";

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

TEST(Agents, StartAnswerAndStopFreesThePort) {
    SimulatedRouter sim("127.0.0.2");
    NetSnmpAgent snmpd;
    for (AgentProcess* agent : std::initializer_list<AgentProcess*>{&sim, &snmpd}) {
        ASSERT_TRUE(agent->Start()) << agent->Output();
        const int port = agent->Port();
        EXPECT_FALSE(PortIsFree(agent->Host(), port));
        std::string descr;
        EXPECT_TRUE(snmp::SNMPGetValue(kSysDescr, "public", agent->Address(), descr));
        EXPECT_NE(descr.find("TAVIX"), std::string::npos) << agent->Address();
        agent->Stop();
        EXPECT_FALSE(agent->Running());
        EXPECT_TRUE(PortIsFree(agent->Host(), port));
    }
    SilentUdpPort off;
    EXPECT_FALSE(PortIsFree("127.0.0.1", off.Port()));
    snmp::TSNMPSend send;
    send.SetTarget(off.Address());
    send.Timeout = 300;
    send.Query.AddVarBind(kSysDescr, "", snmp::tag::Null);
    EXPECT_FALSE(send.SendRequest());
    EXPECT_EQ(off.Received(), 1);
}

TEST(Agents, ScriptsRefuseAddressesOutsideLoopback) {
    for (const char* script : {"run-sim", "run-snmpd"}) {
        auto r = RunCommand({"bash", SourceDir() + "/tests/agent/" + script, "192.0.2.1", "161"});
        EXPECT_EQ(r.exitCode, 2) << script;
        EXPECT_NE(r.err.find("not a loopback"), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("ready"), std::string::npos);
    }
}

} // namespace
