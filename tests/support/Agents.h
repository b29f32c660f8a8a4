// Real SNMP agents on loopback for tests: the simulated R62GX router (snmpsim serving
// tests/agent/data) and net-snmp's snmpd (tests/agent/snmpd.conf.in).
//
// Each agent runs its tests/agent/run-* script as a child process in a process group of its own
// on a free UDP port of a 127.x address, and is stopped (with everything the script started) when
// the object is stopped or destroyed. The scripts are found through LINESCOPE_SOURCE_DIR, which
// every registered test gets, or else the source tree this library was built from.
//
// Standard library and POSIX only, so GoogleTest and QtTest tests can both use it.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// One run-* script and the agent it starts.
class AgentProcess {
public:
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;
    virtual ~AgentProcess();

    // Starts the agent and waits until it answers (at most StartTimeoutMs). True when it runs;
    // also true when it was already running. A port taken by someone else between choosing and
    // binding it is retried with another one.
    bool Start();
    // Stops the agent: SIGINT to its process group, SIGKILL after StopTimeoutMs. Idempotent.
    void Stop();

    [[nodiscard]] bool Running() const { return pid_ > 0; }
    // "127.0.0.1:PORT", the address form TSNMPSend and the settings accept.
    [[nodiscard]] std::string Address() const;
    [[nodiscard]] std::string Host() const { return host_; }
    // 0 until started.
    [[nodiscard]] int Port() const { return port_; }
    // What the start script printed, for a failure message when Start returns false.
    [[nodiscard]] const std::string& Output() const { return output_; }

    static constexpr int StartTimeoutMs = 15000;
    static constexpr int StopTimeoutMs = 8000;

protected:
    AgentProcess(std::string script, std::string host);
    // Arguments after ADDRESS and PORT.
    std::vector<std::string> extraArgs_;

private:
    bool StartOnce(int port);
    void Reap(int timeoutMs);

    std::string script_;
    std::string host_;
    int port_ = 0;
    pid_t pid_ = -1; // the script, leader of the agent's process group
    int outFd_ = -1; // read end of the script's stdout and stderr
    std::string output_;
};

// snmpsim serving the simulated Corvane R62GX (tests/agent/README.md lists its data). It has no
// read-only/read-write split: every community named by a data file reads and writes.
class SimulatedRouter : public AgentProcess {
public:
    explicit SimulatedRouter(std::string ip = "127.0.0.1");

    static constexpr const char* Community = "public";
    // The program's default community, a second name for the same data.
    static constexpr const char* DefaultCommunity = "lanterns";
};

// net-snmp's snmpd, for the error replies of a standard agent (noAccess, notWritable,
// noSuchObject). Its sysDescr holds "TAVIX" and its sysObjectID is 1.3.6.1.4.1.40917.1 unless
// SetIdentity changes them before Start.
// One simulated router per test program, started on first use (snmpsim takes about a second to
// start); nullptr when it would not start. Stopped when the program exits.
SimulatedRouter* SharedSimulatedRouter();

class NetSnmpAgent : public AgentProcess {
public:
    explicit NetSnmpAgent(std::string ip = "127.0.0.1");

    static constexpr const char* ReadCommunity = "public";   // reads only
    static constexpr const char* WriteCommunity = "private"; // reads and writes

    // Replaces sysDescr and sysObjectID ("." form, e.g. ".1.3.6.1.4.1.8072.3.2.10").
    void SetIdentity(const std::string& sysDescr, const std::string& sysObjectID);
};

// A UDP port on a loopback address that nobody else can bind and that never answers: a router
// that is switched off. Held until destruction.
class SilentUdpPort {
public:
    explicit SilentUdpPort(const std::string& ip = "127.0.0.1");
    ~SilentUdpPort();
    SilentUdpPort(const SilentUdpPort&) = delete;
    SilentUdpPort& operator=(const SilentUdpPort&) = delete;

    [[nodiscard]] int Port() const { return port_; }
    [[nodiscard]] std::string Address() const;
    // Datagrams that arrived so far (read without answering them).
    int Received();

private:
    std::string host_;
    int fd_ = -1;
    int port_ = 0;
    int received_ = 0;
};

// A UDP port on `ip` that was free a moment ago (bound to port 0, read back, released); 0 when
// none could be found.
// Milliseconds left until `deadline`, never negative: the timeout for poll().
int RemainingMs(std::chrono::steady_clock::time_point deadline);

int FreeUdpPort(const std::string& ip = "127.0.0.1");

// The source tree: LINESCOPE_SOURCE_DIR, else the tree this library was built from.
std::string SourceDir();
