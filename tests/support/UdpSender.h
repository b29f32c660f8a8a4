// A plain UDP sender on 127.0.0.1, the simplest syslog client there is.
#pragma once

#include "Process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

struct UdpSender {
    int port = 0; // the sender's own, chosen by the system
    int fd = BoundUdpSocket("127.0.0.1", port);
    UdpSender() = default;
    UdpSender(const UdpSender&) = delete;
    UdpSender& operator=(const UdpSender&) = delete;
    ~UdpSender() { ::close(fd); }
    void Send(uint16_t to, std::string_view bytes) const {
        sockaddr_in sin{};
        sin.sin_family = AF_INET;
        sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sin.sin_port = htons(to);
        ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&sin), sizeof sin);
    }
};
