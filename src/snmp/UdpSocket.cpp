#include "UdpSocket.h"

#include <chrono>
#include <cstring>

#ifdef _WIN32
#include <mutex>
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace snmp {

namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
constexpr NativeSocket kNoSocket = INVALID_SOCKET;

int LastOsError() {
    return WSAGetLastError();
}

void StartWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}

int PollOne(pollfd* p, int timeoutMs) {
    return WSAPoll(p, 1, timeoutMs);
}
void CloseNative(NativeSocket s) {
    closesocket(s);
}
bool Interrupted(int) {
    return false;
}
#else
using NativeSocket = int;
constexpr NativeSocket kNoSocket = -1;

int LastOsError() {
    return errno;
}
void StartWinsock() {}
int PollOne(pollfd* p, int timeoutMs) {
    return poll(p, 1, timeoutMs);
}
void CloseNative(NativeSocket s) {
    close(s);
}
bool Interrupted(int err) {
    return err == EINTR;
}
#endif

NativeSocket Native(intptr_t fd) {
    return static_cast<NativeSocket>(fd);
}

// The largest IPv4 UDP payload fits.
constexpr std::size_t kMaxDatagram = 65536;

// Copies a view into a NUL-terminated buffer for the C interfaces; names and services are short.
std::string CString(std::string_view text) {
    return std::string(text);
}

#ifdef _WIN32
constexpr int NoSuchHost = WSAHOST_NOT_FOUND;
#else
constexpr int NoSuchHost = EAI_NONAME;
#endif

} // namespace

std::string SockAddr::IpText() const {
    in_addr a{};
    a.s_addr = ip;
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &a, text, sizeof text) == nullptr) return "0.0.0.0";
    return text;
}

UdpSocket::UdpSocket() {
    StartWinsock();
}

UdpSocket::~UdpSocket() {
    Close();
}

bool UdpSocket::IsOpen() const {
    return fd_ != -1;
}

bool UdpSocket::Ensure() {
    if (IsOpen()) return true;
    NativeSocket s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == kNoSocket) {
        error_ = LastOsError();
        return false;
    }
    fd_ = static_cast<intptr_t>(s);
    error_ = 0;
    return true;
}

void UdpSocket::Close() {
    if (IsOpen()) CloseNative(Native(fd_));
    fd_ = -1;
}

bool UdpSocket::Resolve(std::string_view host, std::string_view port, SockAddr& out) {
    out = SockAddr{};
    // A dotted address needs no lookup; this keeps name services out of the common path.
    std::string h = CString(host);
    in_addr direct{};
    if (h.empty()) {
        // No host is no address: "any" would quietly mean this machine as a destination.
        error_ = NoSuchHost;
        return false;
    }
    bool numericHost = inet_pton(AF_INET, h.c_str(), &direct) == 1;

    std::string p = CString(port);
    bool numericPort = !p.empty();
    unsigned long portValue = 0;
    for (char c : p) {
        if (c < '0' || c > '9') {
            numericPort = false;
            break;
        }
        portValue = portValue * 10 + static_cast<unsigned long>(c - '0');
        if (portValue > 65535) {
            // The resolver would keep the low 16 bits: 65697 would quietly become 161.
#ifdef _WIN32
            error_ = WSATYPE_NOT_FOUND;
#else
            error_ = EAI_SERVICE;
#endif
            return false;
        }
    }

    if (numericHost && numericPort) {
        out.ip = direct.s_addr;
        out.port = static_cast<uint16_t>(portValue);
        error_ = 0;
        return true;
    }

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    if (numericHost) hints.ai_flags |= AI_NUMERICHOST;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(h.c_str(), p.empty() ? "0" : p.c_str(), &hints, &found);
    if (rc != 0 || found == nullptr) {
#ifdef _WIN32
        error_ = rc != 0 ? rc : NoSuchHost;
#else
        error_ = rc == EAI_SYSTEM ? errno : (rc != 0 ? rc : NoSuchHost);
        if (error_ == 0) error_ = NoSuchHost;
#endif
        if (found != nullptr) freeaddrinfo(found);
        return false;
    }
    for (addrinfo* ai = found; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addrlen >= sizeof(sockaddr_in)) {
            sockaddr_in sin{};
            std::memcpy(&sin, ai->ai_addr, sizeof sin);
            out.ip = sin.sin_addr.s_addr;
            out.port = ntohs(sin.sin_port);
            freeaddrinfo(found);
            error_ = 0;
            return true;
        }
    }
    freeaddrinfo(found);
    error_ = NoSuchHost;
    return false;
}

bool UdpSocket::Bind(std::string_view localAddress, std::string_view port) {
    SockAddr local;
    if (!Resolve(localAddress.empty() ? "0.0.0.0" : localAddress, port.empty() ? "0" : port, local))
        return false;
    if (!Ensure()) return false;
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = local.ip;
    sin.sin_port = htons(local.port);
    if (bind(Native(fd_), reinterpret_cast<const sockaddr*>(&sin), sizeof sin) != 0) {
        error_ = LastOsError();
        return false;
    }
    error_ = 0;
    return true;
}

uint16_t UdpSocket::LocalPort() const {
    if (!IsOpen()) return 0;
    sockaddr_in sin{};
    socklen_t len = sizeof sin;
    if (getsockname(Native(fd_), reinterpret_cast<sockaddr*>(&sin), &len) != 0) return 0;
    return ntohs(sin.sin_port);
}

bool UdpSocket::SendTo(const SockAddr& to, std::string_view datagram) {
    if (!Ensure()) return false;
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = to.ip;
    sin.sin_port = htons(to.port);
    for (;;) {
#ifdef _WIN32
        int sent = sendto(Native(fd_), datagram.data(), static_cast<int>(datagram.size()), 0,
                          reinterpret_cast<const sockaddr*>(&sin), sizeof sin);
#else
        ssize_t sent = sendto(Native(fd_), datagram.data(), datagram.size(), 0,
                              reinterpret_cast<const sockaddr*>(&sin), sizeof sin);
#endif
        if (sent >= 0) {
            error_ = 0;
            return true;
        }
        error_ = LastOsError();
        if (!Interrupted(error_)) return false;
    }
}

bool UdpSocket::WaitReadable(int timeoutMs) {
    if (!Ensure()) return false;
    using Clock = std::chrono::steady_clock;
    const bool forever = timeoutMs < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    int remaining = forever ? -1 : timeoutMs;
    for (;;) {
        pollfd p{};
        p.fd = Native(fd_);
        p.events = POLLIN;
        int rc = PollOne(&p, remaining);
        if (rc > 0) {
            error_ = 0;
            return true;
        }
        if (rc == 0) {
            error_ = SocketTimedOut;
            return false;
        }
        error_ = LastOsError();
        if (!Interrupted(error_)) return false;
        // A signal cut the wait short: wait only for what is left of the timeout.
        if (!forever) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                error_ = SocketTimedOut;
                return false;
            }
            remaining = static_cast<int>(left.count());
        }
    }
}

int UdpSocket::Pending() {
    if (!Ensure()) return 0;
#ifdef _WIN32
    u_long n = 0;
    if (ioctlsocket(Native(fd_), FIONREAD, &n) != 0) {
        error_ = LastOsError();
        return 0;
    }
#else
    int n = 0;
    if (ioctl(Native(fd_), FIONREAD, &n) != 0) {
        error_ = LastOsError();
        return 0;
    }
#endif
    error_ = 0;
    return n > 0 ? static_cast<int>(n) : 0;
}

bool UdpSocket::RecvFrom(std::string& datagram, SockAddr& from, std::size_t maxSize) {
    from = SockAddr{};
    if (!Ensure()) {
        datagram.clear();
        return false;
    }
    // One octet of room even for an empty datagram, so the call always dequeues one datagram.
    datagram.resize(maxSize > 0 ? maxSize : 1);
    sockaddr_in sin{};
    for (;;) {
        socklen_t len = sizeof sin;
#ifdef _WIN32
        int got = recvfrom(Native(fd_), datagram.data(), static_cast<int>(datagram.size()), 0,
                           reinterpret_cast<sockaddr*>(&sin), &len);
        if (got < 0 && WSAGetLastError() == WSAEMSGSIZE) got = static_cast<int>(datagram.size());
#else
        ssize_t got = recvfrom(Native(fd_), datagram.data(), datagram.size(), 0,
                               reinterpret_cast<sockaddr*>(&sin), &len);
#endif
        if (got >= 0) {
            datagram.resize(static_cast<std::size_t>(got) < datagram.size()
                                ? static_cast<std::size_t>(got)
                                : datagram.size());
            from.ip = sin.sin_addr.s_addr;
            from.port = ntohs(sin.sin_port);
            error_ = 0;
            return true;
        }
        error_ = LastOsError();
        if (!Interrupted(error_)) {
            datagram.clear();
            return false;
        }
    }
}

bool UdpSocket::Receive(std::string& datagram, SockAddr& from, int timeoutMs) {
    datagram.clear();
    from = SockAddr{};
    if (!Ensure()) return false;
    if (!scratch_) scratch_ = std::make_unique_for_overwrite<char[]>(kMaxDatagram);

#ifdef _WIN32
    if (!WaitReadable(timeoutMs)) return false;
    int flags = 0;
#else
    // A receive timeout on the socket lets one recvfrom do the wait, the size query and the
    // read; system calls dominate the cost of a loopback exchange. Timeout 0 polls instead,
    // because a zero receive timeout means "wait for ever".
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    int flags = 0;
    if (timeoutMs == 0) {
        flags = MSG_DONTWAIT;
    } else {
        const int wanted = timeoutMs < 0 ? -1 : timeoutMs;
        if (wanted != appliedTimeout_) {
            timeval tv{};
            if (wanted > 0) {
                tv.tv_sec = wanted / 1000;
                tv.tv_usec = (wanted % 1000) * 1000;
            }
            if (setsockopt(Native(fd_), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) != 0) {
                error_ = LastOsError();
                return false;
            }
            appliedTimeout_ = wanted;
        }
    }
#endif

    sockaddr_in sin{};
    for (;;) {
        socklen_t len = sizeof sin;
#ifdef _WIN32
        int got = recvfrom(Native(fd_), scratch_.get(), static_cast<int>(kMaxDatagram), flags,
                           reinterpret_cast<sockaddr*>(&sin), &len);
#else
        ssize_t got = recvfrom(Native(fd_), scratch_.get(), kMaxDatagram, flags,
                               reinterpret_cast<sockaddr*>(&sin), &len);
#endif
        if (got >= 0) {
            // An empty datagram still has a sender, so the caller can tell whose it was.
            from.ip = sin.sin_addr.s_addr;
            from.port = ntohs(sin.sin_port);
            datagram.assign(scratch_.get(), static_cast<std::size_t>(got));
            error_ = got > 0 ? 0 : SocketConnReset;
            return got > 0;
        }
        const int err = LastOsError();
#ifdef _WIN32
        error_ = err;
        return false;
#else
        if (err == EAGAIN || err == EWOULDBLOCK) {
            error_ = SocketTimedOut;
            return false;
        }
        if (err != EINTR) {
            error_ = err;
            return false;
        }
        // A signal cut the wait short: wait for what is left, then read without blocking.
        int left = -1;
        if (timeoutMs >= 0) {
            auto rest =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            left = rest.count() > 0 ? static_cast<int>(rest.count()) : 0;
        }
        if (!WaitReadable(left)) return false;
        flags = MSG_DONTWAIT;
#endif
    }
}

} // namespace snmp
