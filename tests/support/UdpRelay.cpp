#include "UdpRelay.h"

#include "Codec.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in Loopback(const std::string& host, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &a.sin_addr);
    return a;
}

} // namespace

UdpRelay::UdpRelay(const std::string& agent) {
    const auto colon = agent.rfind(':');
    const sockaddr_in to = Loopback(agent.substr(0, colon), std::stoi(agent.substr(colon + 1)));
    sockaddr_in here = Loopback("127.0.0.1", 0);
    client_ = socket(AF_INET, SOCK_DGRAM, 0);
    upstream_ = socket(AF_INET, SOCK_DGRAM, 0);
    socklen_t len = sizeof here;
    if (client_ < 0 || upstream_ < 0 ||
        bind(client_, reinterpret_cast<sockaddr*>(&here), sizeof here) != 0 ||
        getsockname(client_, reinterpret_cast<sockaddr*>(&here), &len) != 0 ||
        connect(upstream_, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0)
        throw std::runtime_error("UdpRelay: no socket on 127.0.0.1");
    port_ = ntohs(here.sin_port);
    thread_ = std::thread([this] { Run(); });
}

UdpRelay::~UdpRelay() {
    stop_ = true;
    thread_.join();
    close(client_);
    close(upstream_);
}

std::string UdpRelay::Address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void UdpRelay::Ignore(const std::string& oid) {
    std::lock_guard lock(mutex_);
    ignored_.insert(oid);
}

void UdpRelay::Run() {
    sockaddr_in sender{};
    char buffer[65536];
    pollfd fds[2] = {{client_, POLLIN, 0}, {upstream_, POLLIN, 0}};
    while (!stop_) {
        if (poll(fds, 2, 50) <= 0) continue;
        if (fds[0].revents & POLLIN) {
            socklen_t len = sizeof sender;
            const ssize_t n = recvfrom(client_, buffer, sizeof buffer, 0,
                                       reinterpret_cast<sockaddr*>(&sender), &len);
            if (n < 0) continue;
            const int seen = requests_++;
            const int limit = limit_;
            bool pass = limit < 0 || seen < limit;
            snmp::TSNMPRec request;
            if (pass && request.Decode(std::string_view(buffer, static_cast<size_t>(n))) &&
                request.VarBindCount() > 0) {
                std::lock_guard lock(mutex_);
                pass = ignored_.count(request.VarBind(0).OID) == 0;
            }
            if (pass) send(upstream_, buffer, static_cast<size_t>(n), 0);
        }
        if (fds[1].revents & POLLIN) {
            const ssize_t n = recv(upstream_, buffer, sizeof buffer, 0);
            // Requests are one at a time, so the reply belongs to the latest sender.
            if (n >= 0)
                sendto(client_, buffer, static_cast<size_t>(n), 0,
                       reinterpret_cast<const sockaddr*>(&sender), sizeof sender);
        }
    }
}
