// A UDP relay on 127.0.0.1 in front of a real agent: it counts the requests that reach it and
// can stop passing them on, all of them or those naming one object, so a test can turn a live
// simulated router silent mid-run and bound what the program sends.
#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>

class UdpRelay {
public:
    // `agent` is "127.x.y.z:port".
    explicit UdpRelay(const std::string& agent);
    ~UdpRelay();
    UdpRelay(const UdpRelay&) = delete;
    UdpRelay& operator=(const UdpRelay&) = delete;

    // "127.0.0.1:port", where the program is to send.
    [[nodiscard]] std::string Address() const;
    // Requests received so far, passed on or not.
    [[nodiscard]] int Requests() const { return requests_; }
    // Passes on only the first `count` requests in all (counted from the start); -1 for all.
    void AnswerOnly(int count) { limit_ = count; }
    // Passes on nothing from now on, or everything again.
    void Silence(bool silent) { limit_ = silent ? requests_.load() : -1; }
    // Requests whose first varbind names `oid` are dropped (an object the agent ignores).
    void Ignore(const std::string& oid);

private:
    void Run();

    int client_ = -1;   // where the program's requests arrive
    int upstream_ = -1; // connected to the agent
    int port_ = 0;
    std::atomic<int> requests_{0};
    std::atomic<int> limit_{-1};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::set<std::string> ignored_;
    std::thread thread_;
};
