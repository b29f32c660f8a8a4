// Outside programs beside the SNMP integration tests: run one to the end and keep its output
// (net-snmp's snmpget), or keep one running while the test works (tshark watching loopback).
#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

struct CommandResult {
    int exitCode = -1; // -1 when it could not run or was killed
    std::string out;
    std::string err;
};

// Runs argv[0] (looked up in PATH), killing it after timeoutMs, and returns what it printed.
// Prefix with "env NAME=value" for a changed environment.
CommandResult RunCommand(const std::vector<std::string>& argv, int timeoutMs = 20000);

// tshark capturing the SNMP datagrams to and from one UDP port on the loopback interface.
class WireCapture {
public:
    WireCapture() = default;
    ~WireCapture() { Stop(); }
    WireCapture(const WireCapture&) = delete;
    WireCapture& operator=(const WireCapture&) = delete;

    // "Capturing on" comes before the capture really runs, so `probe` (an SNMP message with
    // request id `probeId` that the agent does not answer) is sent to host:port until tshark
    // shows it. False (see Error) when it cannot.
    bool Start(const std::string& host, int port, const std::string& probe, long probeId);
    // Waits for `count` messages (at most timeoutMs), stops tshark and returns each message's
    // request id and PDU type number (0 get, 1 get-next, 2 response, 3 set) in wire order,
    // probes left out.
    std::vector<std::pair<long, int>> Finish(std::size_t count, int timeoutMs = 10000);
    [[nodiscard]] const std::string& Error() const { return tshark_.err; }

private:
    void Stop();
    [[nodiscard]] std::vector<std::pair<long, int>> Messages() const;

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    CommandResult tshark_; // its lines (out) and messages (err)
    long probeId_ = -1;
};
