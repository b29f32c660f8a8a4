// net-snmp's snmpd on 127.0.0.1 with a private configuration, as a reference responder for the
// benchmarks: it serves a system group and a one-column table of 500 rows (kSubtree.1.N), and
// answers in tens of microseconds, so the client's own cost shows.
#pragma once

#include "Process.h"

#include <cstdint>
#include <string>

class SnmpdPeer {
public:
    static constexpr const char* kSubtree = "1.3.6.1.4.1.99999.1";
    static constexpr int kInstances = 500;

    SnmpdPeer() = default;
    ~SnmpdPeer();
    SnmpdPeer(const SnmpdPeer&) = delete;
    SnmpdPeer& operator=(const SnmpdPeer&) = delete;

    // Starts snmpd on a free loopback port and waits until it answers. False (with Error()) when
    // snmpd is missing or never answered.
    bool Start();
    void Stop();

    [[nodiscard]] uint16_t Port() const { return port_; }
    [[nodiscard]] std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    // Scratch directory the client tools may use as their state directory.
    [[nodiscard]] std::string StateDir() const { return dir_ + "/persist"; }
    [[nodiscard]] const std::string& Error() const { return error_; }

private:
    bool StartOnce();
    std::string dir_;
    std::string error_;
    uint16_t port_ = 0;
    ChildProcess snmpd_;
};
