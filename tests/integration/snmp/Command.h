// Helpers of the SNMP integration tests for outside programs: run one to the end and keep its
// output (net-snmp's snmpget), or keep one running beside the test (tshark watching loopback).
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

// Runs argv[0] (looked up in PATH) with `extraEnv` ("NAME=value") added to the environment,
// waits for it (killing it after timeoutMs) and returns what it printed.
CommandResult RunCommand(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnv = {}, int timeoutMs = 20000);

// A private directory, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// tshark capturing the SNMP datagrams to and from one UDP port on the loopback interface.
class WireCapture {
public:
    WireCapture() = default;
    ~WireCapture();
    WireCapture(const WireCapture&) = delete;
    WireCapture& operator=(const WireCapture&) = delete;

    // Starts tshark and waits until it captures: "Capturing on" comes before the capture
    // really runs, so `probe` (an SNMP message with request id `probeId` that the agent does not
    // answer) is sent to host:port until tshark shows it. False (see Error) when it cannot.
    bool Start(const std::string& host, int port, const std::string& probe, long probeId);
    // Waits until `count` SNMP messages were seen (at most timeoutMs), stops tshark and returns
    // each message's request id and PDU type number (0 get, 1 get-next, 2 response, 3 set) in
    // the order they crossed the wire, probes left out.
    std::vector<std::pair<long, int>> Finish(std::size_t count, int timeoutMs = 10000);
    [[nodiscard]] const std::string& Error() const { return err_; }

private:
    void Drain(int fd, std::string& into, int timeoutMs);
    void Stop();
    [[nodiscard]] std::vector<std::pair<long, int>> Messages() const;

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
    long probeId_ = -1;
};
