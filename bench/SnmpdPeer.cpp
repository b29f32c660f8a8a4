#include "SnmpdPeer.h"

#include "Transport.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A port the system just handed out on 127.0.0.1; snmpd binds it a moment later.
uint16_t FreeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return 0;
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof sin;
    uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&sin), sizeof sin) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&sin), &len) == 0)
        port = ntohs(sin.sin_port);
    close(fd);
    return port;
}

} // namespace

SnmpdPeer::~SnmpdPeer() {
    Stop();
}

bool SnmpdPeer::Start() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (StartOnce()) return true;
        Stop();
    }
    return false;
}

bool SnmpdPeer::StartOnce() {
    char tmpl[] = "/tmp/linescope-bench-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
        error_ = "cannot create a temporary directory";
        return false;
    }
    dir_ = tmpl;
    std::filesystem::create_directories(StateDir());
    port_ = FreeLoopbackPort();
    if (port_ == 0) {
        error_ = "no free loopback port";
        return false;
    }

    const std::string conf = dir_ + "/snmpd.conf";
    {
        std::ofstream out(conf);
        out << "agentAddress udp:127.0.0.1:" << port_ << "\n"
            << "rocommunity public 127.0.0.1\n"
            << "sysDescr LineScope benchmark peer\n"
            << "sysObjectID .1.3.6.1.4.1.99999\n"
            // Logging each request would cost the agent more than answering it.
            << "dontLogTCPWrappersConnects yes\n";
        for (int i = 1; i <= kInstances; ++i)
            out << "override ." << kSubtree << ".1." << i << " integer " << i << "\n";
    }

    const std::string log = dir_ + "/snmpd.log";
    const std::string pidFile = dir_ + "/snmpd.pid";
    const std::string stateEnv = "SNMP_PERSISTENT_DIR=" + StateDir();
    pid_ = fork();
    if (pid_ < 0) {
        error_ = "fork failed";
        return false;
    }
    if (pid_ == 0) {
        // An interrupted benchmark must not leave its agent behind.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        putenv(const_cast<char*>("MIBS="));
        putenv(const_cast<char*>(stateEnv.c_str()));
        // -I -smux: no SMUX listener on TCP 199, which another agent may hold.
        execlp("snmpd", "snmpd", "-f", "-Lo", "-C", "-I", "-smux", "-c", conf.c_str(), "-p",
               pidFile.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "snmpd exited at start (see " + log + ")";
            return false;
        }
        snmp::TSNMPSend probe;
        probe.SetTarget(Address());
        probe.Timeout = 100;
        probe.Query.Community = "public";
        probe.Query.PDUType = snmp::tag::GetRequest;
        probe.Query.AddVarBind("1.3.6.1.2.1.1.1.0", "", snmp::tag::Null);
        if (probe.SendRequest() && !probe.Reply.FindValue("1.3.6.1.2.1.1.1.0").empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error_ = "snmpd did not answer within 5 s";
    return false;
}

void SnmpdPeer::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        pid_ = -1;
    }
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        dir_.clear();
    }
}
