// Real SNMP agents on loopback for tests: the simulated R62GX router (snmpsim serving
// tests/agent/data) and net-snmp's snmpd (tests/agent/snmpd.conf.in).
//
// Each agent runs its tests/agent/run-* script as a ChildProcess on a free UDP port of a 127.x
// address and is stopped (with everything the script started) when the object is stopped or
// destroyed. The scripts are found through LINESCOPE_SOURCE_DIR, which every registered test
// gets, or else the source tree this library was built from.
#pragma once

#include "Process.h"

#include <string>
#include <utility>

// One run-* script and the agent it starts.
class AgentProcess {
public:
    virtual ~AgentProcess() = default;

    // Starts the agent and waits until it answers (at most StartTimeoutMs). True when it runs;
    // also true when it was already running. A port taken by someone else between choosing and
    // binding it is retried with another one.
    bool Start();
    // SIGINT to the agent's process group, SIGKILL after StopTimeoutMs. Idempotent.
    void Stop() { process_.Stop(StopTimeoutMs); }

    [[nodiscard]] bool Running() const { return process_.Running(); }
    // "127.0.0.1:PORT", the address form TSNMPSend and the settings accept.
    [[nodiscard]] std::string Address() const { return host_ + ":" + std::to_string(port_); }
    [[nodiscard]] int Port() const { return port_; } // 0 until started
    // What the start script printed, for a failure message when Start returns false.
    [[nodiscard]] const std::string& Output() const { return process_.out; }

    static constexpr int StartTimeoutMs = 15000;
    static constexpr int StopTimeoutMs = 8000;

protected:
    AgentProcess(std::string script, std::string host)
        : script_(std::move(script)), host_(std::move(host)) {}

private:
    ChildProcess process_;
    std::string script_;
    std::string host_;
    int port_ = 0;
};

// snmpsim serving the simulated Corvane R62GX (tests/agent/README.md lists its data). It has no
// read-only/read-write split: every community named by a data file reads and writes.
class SimulatedRouter : public AgentProcess {
public:
    explicit SimulatedRouter(std::string ip = "127.0.0.1") : AgentProcess("run-sim", ip) {}

    static constexpr const char* Community = "public";

    // The moving line: the same router, whose sysUpTime and ADSL line objects step through a
    // scenario (README.md lists each step). The steps play by the clock, 15 s each, until
    // SelectStep picks one for every community and test of this agent.
    static constexpr const char* MovingCommunity = "moving";
    static constexpr int MovingSteps = 12;
    // Steps worth naming; the others are normal line states in between.
    static constexpr int StepNormal = 0;    // the public line, both ends noDefect
    static constexpr int StepLowMargin = 5; // ATU-C margin 2.7 dB, ATU-C ESs +15
    static constexpr int StepLineDown = 6;  // lossOfSignal, line values absent
    static constexpr int StepResync = 7;    // noDefect, lower rates, ATU-C Inits +1
    static constexpr int StepRestart = 10;  // sysUpTime back to 45 s, counters from 0

    // Holds the moving line at `step` (0 .. MovingSteps-1) until the next call. True when the
    // agent confirmed the step.
    [[nodiscard]] bool SelectStep(int step) const;
};

// One simulated router per test program, started on first use (snmpsim takes about a second to
// start); nullptr when it would not start. Stopped when the program exits.
SimulatedRouter* SharedSimulatedRouter();

// net-snmp's snmpd, for the error replies of a standard agent (noAccess, notWritable,
// noSuchObject). Its sysDescr holds "TAVIX" and its sysObjectID is 1.3.6.1.4.1.40917.1.
class NetSnmpAgent : public AgentProcess {
public:
    explicit NetSnmpAgent(std::string ip = "127.0.0.1") : AgentProcess("run-snmpd", ip) {}

    static constexpr const char* ReadCommunity = "public";   // reads only
    static constexpr const char* WriteCommunity = "private"; // reads and writes
};

// The source tree: LINESCOPE_SOURCE_DIR, else the tree this library was built from.
std::string SourceDir();
