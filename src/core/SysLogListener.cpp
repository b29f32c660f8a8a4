#include "SysLogListener.h"

#include "SysLogLine.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace core {

namespace {

// Datagrams taken from the socket per system call.
constexpr int Batch = 64;
// Asked of the kernel; without privileges it grants at most net.core.rmem_max.
constexpr int WantedReceiveBuffer = 16 << 20;

} // namespace

std::string SysLogDatagram::AddressText() const {
    in_addr in{};
    in.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &in, text, sizeof text);
    return text;
}

SysLogListener::SysLogListener(uint16_t port, std::size_t maxQueuedBytes)
    : port_(port), maxBytes_(maxQueuedBytes) {}

SysLogListener::~SysLogListener() {
    Stop();
}

bool SysLogListener::Start(std::string& error) {
    if (Running()) return true;
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_ANY);
    sin.sin_port = htons(port_);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&sin), sizeof sin) != 0 ||
        ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::strerror(errno);
        Stop();
        return false;
    }
    socklen_t len = sizeof sin;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sin), &len);
    localPort_ = ntohs(sin.sin_port);
    // A larger queue where privileges allow, else as large as the host lets anyone have.
    const int want = WantedReceiveBuffer;
#ifdef SO_RCVBUFFORCE
    if (::setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &want, sizeof want) != 0)
#endif
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &want, sizeof want);
    len = sizeof rcvbuf_;
    ::getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &rcvbuf_, &len);
#ifdef SO_RXQ_OVFL
    // The kernel then tells, with each datagram, how many it dropped before queueing it.
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
#endif
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void SysLogListener::Stop() {
    if (thread_.joinable()) {
        stop_ = true;
        const char byte = 0;
        [[maybe_unused]] const auto written = ::write(wake_[1], &byte, 1);
        thread_.join();
    }
    for (int* fd : {&fd_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void SysLogListener::Run() {
    std::vector<char> buffers(static_cast<std::size_t>(Batch) * SysLogBufferSize);
    constexpr std::size_t ControlSize = CMSG_SPACE(sizeof(uint32_t));
    std::vector<char> controls(static_cast<std::size_t>(Batch) * ControlSize);
    mmsghdr messages[Batch];
    iovec vectors[Batch];
    sockaddr_in senders[Batch];
    uint32_t kernelDrops = 0; // the socket's drop count as last reported
    std::deque<SysLogDatagram> batch;
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    while (!stop_) {
        if (::poll(fds, 2, WaitSliceMs) <= 0 || (fds[1].revents & POLLIN) != 0) continue;
        for (int i = 0; i < Batch; ++i) {
            vectors[i] = {buffers.data() + static_cast<std::size_t>(i) * SysLogBufferSize,
                          SysLogBufferSize};
            messages[i].msg_hdr = {};
            messages[i].msg_hdr.msg_name = &senders[i];
            messages[i].msg_hdr.msg_namelen = sizeof senders[i];
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
            messages[i].msg_hdr.msg_control = controls.data() + i * ControlSize;
            messages[i].msg_hdr.msg_controllen = ControlSize;
        }
        // A receive error is not fatal: the next wait tries again.
        const int got = ::recvmmsg(fd_, messages, Batch, MSG_DONTWAIT, nullptr);
        if (got <= 0) continue;
        uint64_t lost = 0;
        for (int i = 0; i < got; ++i) {
            msghdr& header = messages[i].msg_hdr;
            for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
#ifdef SO_RXQ_OVFL
                if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL) {
                    uint32_t drops = 0;
                    std::memcpy(&drops, CMSG_DATA(c), sizeof drops);
                    lost += static_cast<uint32_t>(drops - kernelDrops);
                    kernelDrops = drops;
                }
#endif
            }
            SysLogDatagram& d = batch.emplace_back();
            // A longer datagram arrives cut at the buffer's size (MSG_TRUNC).
            d.bytes.assign(static_cast<const char*>(vectors[i].iov_base),
                           std::min<std::size_t>(messages[i].msg_len, SysLogBufferSize));
            d.address = senders[i].sin_addr.s_addr;
            d.port = ntohs(senders[i].sin_port);
            d.lostBefore = lost;
            lost = 0;
        }
        Push(batch);
    }
}

void SysLogListener::Push(std::deque<SysLogDatagram>& batch) {
    bool tell = false;
    {
        std::lock_guard lock(mutex_);
        for (SysLogDatagram& d : batch) {
            const std::size_t cost = d.bytes.size() + EntryOverhead;
            if (queuedBytes_ + cost > maxBytes_) {
                pendingLoss_ += d.lostBefore + 1;
                continue;
            }
            d.lostBefore += pendingLoss_;
            pendingLoss_ = 0;
            queuedBytes_ += cost;
            queue_.push_back(std::move(d));
        }
        if ((!queue_.empty() || pendingLoss_ > 0) && !notified_) tell = notified_ = true;
    }
    batch.clear();
    if (tell && notify_) notify_();
}

bool SysLogListener::Take(SysLogDatagram& out) {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) {
        if (pendingLoss_ == 0) {
            notified_ = false;
            return false;
        }
        out = SysLogDatagram{};
        out.lossOnly = true;
        out.lostBefore = pendingLoss_;
        pendingLoss_ = 0;
        return true;
    }
    out = std::move(queue_.front());
    queue_.pop_front();
    queuedBytes_ -= out.bytes.size() + EntryOverhead;
    return true;
}

std::size_t SysLogListener::Queued() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

} // namespace core
