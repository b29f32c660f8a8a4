#include "Agents.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A UDP socket bound to ip:port (port 0: the system picks one); -1 on failure.
int BoundUdpSocket(const std::string& ip, int port, int& boundPort) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, ip.c_str(), &addr.sin_addr) != 1) return -1;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        return -1;
    }
    boundPort = ntohs(addr.sin_port);
    return fd;
}

// True when the output holds a line that reads exactly "ready".
bool SaysReady(const std::string& output) {
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) return false; // a line still being written
        if (output.compare(start, end - start, "ready") == 0) return true;
        start = end + 1;
    }
    return false;
}

} // namespace

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

SimulatedRouter* SharedSimulatedRouter() {
    static std::unique_ptr<SimulatedRouter> router = [] {
        auto r = std::make_unique<SimulatedRouter>();
        return r->Start() ? std::move(r) : nullptr;
    }();
    return router.get();
}

std::string SourceDir() {
    const char* env = std::getenv("LINESCOPE_SOURCE_DIR");
    if (env != nullptr && *env != '\0') return env;
    return LINESCOPE_SOURCE_DIR_DEFAULT;
}

int FreeUdpPort(const std::string& ip) {
    int port = 0;
    int fd = BoundUdpSocket(ip, 0, port);
    if (fd < 0) return 0;
    close(fd);
    return port;
}

AgentProcess::AgentProcess(std::string script, std::string host)
    : script_(std::move(script)), host_(std::move(host)) {}

AgentProcess::~AgentProcess() {
    Stop();
}

std::string AgentProcess::Address() const {
    return host_ + ":" + std::to_string(port_);
}

bool AgentProcess::Start() {
    if (Running()) return true;
    output_.clear();
    // Another test may take the port between FreeUdpPort and the agent's bind: try again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int port = FreeUdpPort(host_);
        if (port != 0 && StartOnce(port)) return true;
    }
    return false;
}

bool AgentProcess::StartOnce(int port) {
    const std::string script = SourceDir() + "/tests/agent/" + script_;
    const std::string portText = std::to_string(port);
    std::vector<std::string> args = {"bash", script, host_, portText};
    args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);

    // Its own process group, so Stop reaches the agent too; default signal handling and an
    // empty mask whatever the test process does with signals, so SIGINT stops it.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                        POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);

    pid_t pid = -1;
    int rc = posix_spawnp(&pid, "bash", &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        output_ += "cannot run bash: " + std::string(std::strerror(rc)) + "\n";
        return false;
    }
    pid_ = pid;
    outFd_ = fds[0];
    port_ = port;

    const auto deadline = Clock::now() + std::chrono::milliseconds(StartTimeoutMs);
    for (;;) {
        if (SaysReady(output_)) return true;
        pollfd p{outFd_, POLLIN, 0};
        int ready = poll(&p, 1, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            output_ += "no \"ready\" within " + std::to_string(StartTimeoutMs) + " ms\n";
            break;
        }
        char buf[512];
        ssize_t n = read(outFd_, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // the script exited before it was ready
        output_.append(buf, static_cast<std::size_t>(n));
    }
    Stop();
    return false;
}

void AgentProcess::Stop() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGINT);
    Reap(StopTimeoutMs);
    if (outFd_ >= 0) close(outFd_);
    outFd_ = -1;
    pid_ = -1;
}

void AgentProcess::Reap(int timeoutMs) {
    // Wait for the script without reaping it: while it is an unreaped zombie its process group id
    // cannot be reused, so the SIGKILL to the group below reaches only what it started.
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool exited = false;
    while (!exited) {
        siginfo_t info{};
        int rc = waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
        if (rc != 0 && errno != EINTR) break; // not our child any more
        exited = rc == 0 && info.si_pid == pid_;
        if (!exited && RemainingMs(deadline) == 0) break;
        if (!exited) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(-pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}

SimulatedRouter::SimulatedRouter(std::string ip) : AgentProcess("run-sim", std::move(ip)) {}

NetSnmpAgent::NetSnmpAgent(std::string ip) : AgentProcess("run-snmpd", std::move(ip)) {}

void NetSnmpAgent::SetIdentity(const std::string& sysDescr, const std::string& sysObjectID) {
    extraArgs_ = {sysDescr, sysObjectID};
}

SilentUdpPort::SilentUdpPort(const std::string& ip) : host_(ip) {
    fd_ = BoundUdpSocket(ip, 0, port_);
}

SilentUdpPort::~SilentUdpPort() {
    if (fd_ >= 0) close(fd_);
}

std::string SilentUdpPort::Address() const {
    return host_ + ":" + std::to_string(port_);
}

int SilentUdpPort::Received() {
    char buf[2048];
    while (fd_ >= 0 && recv(fd_, buf, sizeof buf, MSG_DONTWAIT) >= 0)
        ++received_;
    return received_;
}
