#include "Command.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

bool WireCapture::Start(const std::string& host, int port, const std::string& probe, long probeId) {
    const std::string p = std::to_string(port);
    probeId_ = probeId;
    // -l: one line per message as soon as it is dissected, so Finish can count them.
    if (!tshark_.Start({"tshark", "-i", "lo", "-n", "-l", "-f", "udp port " + p, "-d",
                        "udp.port==" + p + ",snmp", "-T", "fields", "-e", "snmp.request_id", "-e",
                        "snmp.data"},
                       true))
        return false;
    const Deadline deadline = DeadlineIn(20000);
    if (!tshark_.ReadUntil(deadline,
                           [&] { return tshark_.err.find("Capturing on") != std::string::npos; }))
        return false;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &to.sin_addr);
    const auto seen = [&] {
        return tshark_.out.find(std::to_string(probeId) + "\t") != std::string::npos;
    };
    while (fd >= 0 && !seen() && RemainingMs(deadline) > 0) {
        sendto(fd, probe.data(), probe.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        tshark_.ReadUntil(DeadlineIn(200), seen);
    }
    if (fd >= 0) close(fd);
    if (!seen()) tshark_.err += "\nthe probe never showed in the capture";
    return seen();
}

std::vector<std::pair<long, int>> WireCapture::Finish(std::size_t count, int timeoutMs) {
    tshark_.ReadUntil(DeadlineIn(timeoutMs), [&] { return Messages().size() >= count; });
    tshark_.Stop(10000);
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
