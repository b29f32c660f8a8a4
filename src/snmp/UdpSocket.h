// A small IPv4 UDP socket: POSIX sockets, Winsock on Windows. Every call records an error code
// (0 on success) that the caller reads with LastError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace snmp {

inline constexpr int SocketTimedOut = 10060;  // no datagram within the timeout
inline constexpr int SocketConnReset = 10054; // readable, but nothing pending (empty datagram)

struct SockAddr {
    uint32_t ip = 0;   // network byte order
    uint16_t port = 0; // host byte order
    [[nodiscard]] std::string IpText() const;
};

class UdpSocket {
public:
    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool Bind(std::string_view localAddress, std::string_view port);
    // Resolves a dotted address or host name and a port number or service name.
    bool Resolve(std::string_view host, std::string_view port, SockAddr& out);
    bool SendTo(const SockAddr& to, std::string_view datagram);
    // Waits until readable; timeoutMs -1 waits without limit. False (LastError SocketTimedOut)
    // when the timeout passed.
    bool WaitReadable(int timeoutMs);
    // Octets pending in the next datagram (0 when none).
    int Pending();
    // Receives one datagram of at most maxSize octets.
    bool RecvFrom(std::string& datagram, SockAddr& from, std::size_t maxSize = 65536);
    // Waits up to timeoutMs (negative: no limit) for one datagram and receives it whole: the
    // wait, the pending count and the read in as few system calls as the platform allows.
    // SocketTimedOut when none came; SocketConnReset for an empty datagram, which is consumed
    // (`from` names its sender).
    bool Receive(std::string& datagram, SockAddr& from, int timeoutMs);
    void Close();

    [[nodiscard]] bool IsOpen() const;
    [[nodiscard]] int LastError() const { return error_; }
    [[nodiscard]] uint16_t LocalPort() const;

private:
    bool Ensure();
    intptr_t fd_ = -1;
    int error_ = 0;
    int appliedTimeout_ = -2;         // receive timeout set on the socket; -2: none yet
    std::unique_ptr<char[]> scratch_; // room for the largest datagram, allocated on first use
};

} // namespace snmp
