// Outside programs beside the SNMP integration tests: RunCommand (Process.h) runs one to the end
// (net-snmp's snmpget); WireCapture keeps tshark watching loopback while the test works.
#pragma once

#include "Process.h"

#include <string>
#include <utility>
#include <vector>

// tshark capturing the SNMP datagrams to and from one UDP port on the loopback interface.
class WireCapture {
public:
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
    [[nodiscard]] std::vector<std::pair<long, int>> Messages() const;

    ChildProcess tshark_; // its lines (out) and messages (err)
    long probeId_ = -1;
};
