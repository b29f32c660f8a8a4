// Child processes for tests and benchmarks: each runs in a process group of its own, so stopping
// it reaches everything it started; stdin is /dev/null and what it prints is captured; it is
// stopped with SIGINT and, once the grace time is over, SIGKILL. Also the deadline and free-port
// helpers that starting one needs. Standard library and POSIX only.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

using Deadline = std::chrono::steady_clock::time_point;
Deadline DeadlineIn(int ms);
// Milliseconds left until `deadline`, never negative: the timeout for poll().
int RemainingMs(Deadline deadline);

// A UDP socket bound to ip:port (port 0: the system picks one, stored back in `port`); -1 on
// failure.
int BoundUdpSocket(const std::string& ip, int& port);
// A UDP port on `ip` (a 127.x address) that was free a moment ago; 0 when none could be found.
int FreeUdpPort(const std::string& ip = "127.0.0.1");

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Runs argv (argv[0] looked up in PATH) with SIGINT and SIGPIPE at their defaults, whatever
    // this process does with them. Its stderr joins stdout unless `separateErr`.
    bool Start(const std::vector<std::string>& argv, bool separateErr = false);
    // Collects output until `done()` holds, the output ends or the deadline passes; done()'s
    // last answer.
    bool ReadUntil(Deadline deadline, const std::function<bool()>& done);
    // Stops the group: SIGINT (unless `interrupt` is false, or the child already exited), up to
    // graceMs for the child to exit, then SIGKILL. Reaps it and collects what is left of its
    // output. The exit code; -1 when killed or never started. Idempotent.
    int Stop(int graceMs = 8000, bool interrupt = true);
    [[nodiscard]] bool Running() const { return pid_ > 0; }
    [[nodiscard]] pid_t Pid() const { return pid_; }
    // True once a started child has exited (it stays unreaped until Stop).
    [[nodiscard]] bool Exited() const;

    std::string out; // stdout, and stderr unless kept apart
    std::string err;

private:
    bool Pump(int timeoutMs);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    int exitCode_ = -1;
};
