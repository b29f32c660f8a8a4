#include "Process.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Reads what poll found on fd into `into`; closes fd at end of file.
void ReadReady(const pollfd& p, int& fd, std::string& into) {
    if (fd < 0 || !(p.revents & (POLLIN | POLLHUP | POLLERR))) return;
    char buf[4096];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
        into.append(buf, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
        close(fd);
        fd = -1;
    }
}

} // namespace

Deadline DeadlineIn(int ms) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

int RemainingMs(Deadline deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

int BoundUdpSocket(const std::string& ip, int& port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, ip.c_str(), &addr.sin_addr) != 1) return -1;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    socklen_t len = sizeof addr;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.sin_port);
        return fd;
    }
    if (fd >= 0) close(fd);
    return -1;
}

int FreeUdpPort(const std::string& ip) {
    int port = 0;
    const int fd = BoundUdpSocket(ip, port);
    if (fd < 0) return 0;
    close(fd);
    return port;
}

bool ChildProcess::Start(const std::vector<std::string>& argv, bool separateErr) {
    Stop();
    out.clear();
    err.clear();
    int o[2], e[2] = {-1, -1};
    if (pipe2(o, O_CLOEXEC) != 0) return false;
    if (separateErr && pipe2(e, O_CLOEXEC) != 0) {
        close(o[0]);
        close(o[1]);
        return false;
    }
    std::vector<std::string> args = argv;
    std::vector<char*> cargs;
    for (auto& a : args)
        cargs.push_back(a.data());
    cargs.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, o[1], 1);
    posix_spawn_file_actions_adddup2(&actions, separateErr ? e[1] : o[1], 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                        POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD})
        sigaddset(&defaults, sig);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    const int rc = posix_spawnp(&pid_, cargs[0], &actions, &attr, cargs.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(o[1]);
    if (separateErr) close(e[1]);
    outFd_ = o[0];
    errFd_ = e[0];
    if (rc == 0) return true;
    pid_ = -1;
    Stop();
    err = "cannot run " + argv.at(0);
    return false;
}

bool ChildProcess::Pump(int timeoutMs) {
    if (outFd_ < 0 && errFd_ < 0) return false;
    pollfd p[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (poll(p, 2, timeoutMs) > 0) {
        ReadReady(p[0], outFd_, out);
        ReadReady(p[1], errFd_, err);
    }
    return outFd_ >= 0 || errFd_ >= 0;
}

bool ChildProcess::ReadUntil(Deadline deadline, const std::function<bool()>& done) {
    while (!done())
        if (RemainingMs(deadline) == 0 || !Pump(RemainingMs(deadline))) return done();
    return true;
}

bool ChildProcess::Exited() const {
    if (pid_ <= 0) return false;
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid_;
}

int ChildProcess::Stop(int graceMs, bool interrupt) {
    if (pid_ > 0) {
        if (interrupt && !Exited()) kill(-pid_, SIGINT);
        const Deadline deadline = DeadlineIn(graceMs);
        while (!Exited() && RemainingMs(deadline) > 0)
            Pump(std::min(20, RemainingMs(deadline)));
        // The child is not reaped yet, so its group id cannot have been reused: this reaches only
        // what it started.
        kill(-pid_, SIGKILL);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        pid_ = -1;
        ReadUntil(DeadlineIn(1000), [] { return false; });
    }
    for (int* fd : {&outFd_, &errFd_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    return exitCode_;
}
