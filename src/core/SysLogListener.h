// The syslog listener: a UDP socket on all IPv4 addresses and a thread that drains it into a
// bounded queue as fast as the datagrams come, so a burst never waits in the kernel's small
// receive queue while the user-interface thread is busy. The user-interface thread takes the
// datagrams one at a time, in arrival order. What is lost (our queue full, or the kernel's queue
// overflowing before the thread got to it) is counted and handed over in order with the rest.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace core {

struct SysLogDatagram {
    std::string bytes;    // at most SysLogBufferSize
    uint32_t address = 0; // sender, network byte order
    uint16_t port = 0;    // sender
    [[nodiscard]] std::string AddressText() const;
    uint64_t lostBefore = 0; // datagrams lost between the previous one taken and this one
    bool lossOnly = false;   // no datagram: only a loss that nothing has followed yet
};

class SysLogListener {
public:
    // Waits for datagrams in slices of this length, so a stop request is seen within one.
    static constexpr int WaitSliceMs = 1000;
    // Room for a burst of 150,000 router-sized datagrams. Each counts its bytes plus what its
    // entry and its allocation cost, so the bound is on memory, not just on payload.
    static constexpr std::size_t EntryOverhead = 128;
    static constexpr std::size_t DefaultQueueBytes = std::size_t{32} << 20;

    explicit SysLogListener(uint16_t port, std::size_t maxQueuedBytes = DefaultQueueBytes);
    ~SysLogListener();
    SysLogListener(const SysLogListener&) = delete;
    SysLogListener& operator=(const SysLogListener&) = delete;

    // Binds the port on all IPv4 addresses and starts the thread. False, with the system's
    // reason in `error`, when the port is taken or not permitted.
    bool Start(std::string& error);
    // Stops the thread and closes the socket. What is queued stays to be taken.
    void Stop();
    [[nodiscard]] bool Running() const { return thread_.joinable(); }
    [[nodiscard]] uint16_t Port() const { return port_; } // the one asked for
    // The bound port (the one asked for, or the system's choice for 0).
    [[nodiscard]] uint16_t LocalPort() const { return localPort_; }
    // The receive buffer the kernel granted, in bytes.
    [[nodiscard]] int ReceiveBufferBytes() const { return rcvbuf_; }

    // Called on the listener thread when datagrams arrive and nobody has been told yet; told
    // again only after Take found the queue empty.
    void SetNotify(std::function<void()> notify) { notify_ = std::move(notify); }
    // The next datagram, or a trailing loss; false when there is nothing.
    bool Take(SysLogDatagram& out);
    [[nodiscard]] std::size_t Queued() const;

private:
    void Run();
    void Push(std::deque<SysLogDatagram>& batch);

    uint16_t port_;
    uint16_t localPort_ = 0;
    std::size_t maxBytes_;
    int fd_ = -1;
    int wake_[2] = {-1, -1};
    int rcvbuf_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::function<void()> notify_;

    mutable std::mutex mutex_;
    std::deque<SysLogDatagram> queue_;
    std::size_t queuedBytes_ = 0;
    uint64_t pendingLoss_ = 0; // lost after the last queued datagram
    bool notified_ = false;
};

} // namespace core
