#include "Command.h"

#include "Agents.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Spawns args with stdout and stderr on pipes of their own and stdin on /dev/null; SIGINT and
// SIGPIPE at their defaults even when the test runner ignores them.
pid_t Spawn(std::vector<std::string> args, int& outFd, int& errFd) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0) return -1;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return -1;
    }
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGPIPE);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(out[1]);
    close(err[1]);
    if (rc != 0) {
        close(out[0]);
        close(err[0]);
        return -1;
    }
    outFd = out[0];
    errFd = err[0];
    return pid;
}

// Reads whatever is ready on fd into `into`; false at end of file.
bool ReadSome(int fd, std::string& into) {
    char buf[4096];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) return false;
    into.append(buf, static_cast<std::size_t>(n));
    return true;
}

// Waits up to timeoutMs for output on fd and reads it.
void Drain(int fd, std::string& into, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) > 0) ReadSome(fd, into);
}

// Reads both pipes to their end (so the child never blocks on a full one), kills the child
// when that takes longer than timeoutMs, closes the pipes and reaps it.
void Collect(pid_t pid, int outFd, int errFd, CommandResult& r, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool outOpen = true, errOpen = true;
    while ((outOpen || errOpen) && RemainingMs(deadline) > 0) {
        pollfd p[2] = {{outOpen ? outFd : -1, POLLIN, 0}, {errOpen ? errFd : -1, POLLIN, 0}};
        if (poll(p, 2, RemainingMs(deadline)) < 0 && errno != EINTR) break;
        if (outOpen && (p[0].revents & (POLLIN | POLLHUP))) outOpen = ReadSome(outFd, r.out);
        if (errOpen && (p[1].revents & (POLLIN | POLLHUP))) errOpen = ReadSome(errFd, r.err);
    }
    if (outOpen || errOpen) kill(pid, SIGKILL);
    close(outFd);
    close(errFd);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, int timeoutMs) {
    CommandResult result;
    int outFd = -1, errFd = -1;
    pid_t pid = Spawn(argv, outFd, errFd);
    if (pid < 0)
        result.err = "cannot run " + argv.at(0);
    else
        Collect(pid, outFd, errFd, result, timeoutMs);
    return result;
}

bool WireCapture::Start(const std::string& host, int port, const std::string& probe, long probeId) {
    const std::string p = std::to_string(port);
    probeId_ = probeId;
    // -l: one line per message as soon as it is dissected, so Finish can count them.
    pid_ = Spawn({"tshark", "-i", "lo", "-n", "-l", "-f", "udp port " + p, "-d",
                  "udp.port==" + p + ",snmp", "-T", "fields", "-e", "snmp.request_id", "-e",
                  "snmp.data"},
                 outFd_, errFd_);
    if (pid_ < 0) {
        tshark_.err = "cannot run tshark";
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (tshark_.err.find("Capturing on") == std::string::npos) {
        if (RemainingMs(deadline) == 0) return false;
        pollfd pfd{errFd_, POLLIN, 0};
        if (poll(&pfd, 1, RemainingMs(deadline)) > 0 && !ReadSome(errFd_, tshark_.err))
            return false;
    }
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &to.sin_addr);
    bool seen = false;
    while (fd >= 0 && !seen && RemainingMs(deadline) > 0) {
        sendto(fd, probe.data(), probe.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        Drain(outFd_, tshark_.out, 200);
        Drain(errFd_, tshark_.err, 0);
        seen = tshark_.out.find(std::to_string(probeId) + "\t") != std::string::npos;
    }
    if (fd >= 0) close(fd);
    if (!seen) tshark_.err += "\nthe probe never showed in the capture";
    return seen;
}

std::vector<std::pair<long, int>> WireCapture::Finish(std::size_t count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pid_ > 0 && Messages().size() < count && RemainingMs(deadline) > 0)
        Drain(outFd_, tshark_.out, RemainingMs(deadline));
    Stop();
    return Messages();
}

std::vector<std::pair<long, int>> WireCapture::Messages() const {
    std::vector<std::pair<long, int>> messages;
    std::istringstream in(tshark_.out);
    std::string line;
    while (std::getline(in, line)) {
        auto tab = line.find('\t');
        if (tab == std::string::npos || tab == 0) continue;
        long id = std::strtol(line.c_str(), nullptr, 10);
        if (id != probeId_) messages.emplace_back(id, std::atoi(line.c_str() + tab + 1));
    }
    return messages;
}

void WireCapture::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGINT);
    Collect(pid_, outFd_, errFd_, tshark_, 10000);
    pid_ = -1;
}
