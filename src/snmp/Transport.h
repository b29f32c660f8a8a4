// One SNMP request over UDP and its reply, and the plain get / set / get-next / walk functions.
// Every exchange blocks the calling thread until a datagram arrives or the timeout passes.
#pragma once

#include "Codec.h"
#include "UdpSocket.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace snmp {

inline constexpr int ShortTimeout = 500;   // ms, first read of the identity check
inline constexpr int NormalTimeout = 3000; // ms, every other page read

// Splits "host" or "host:port" into its parts; the port is `defaultPort` when none is given.
struct HostPort {
    std::string host;
    std::string port;
};
HostPort SplitHostPort(std::string_view address, std::string_view defaultPort = "161");

class TSNMPSend {
public:
    TSNMPSend();
    ~TSNMPSend();
    TSNMPSend(const TSNMPSend&) = delete;
    TSNMPSend& operator=(const TSNMPSend&) = delete;

    std::string TargetHost = "127.0.0.1";
    std::string TargetPort = "161";
    std::string LocalInterface = "0.0.0.0";
    int32_t Timeout = 5000; // ms; -1 waits without limit
    std::string Buffer;     // the last message sent, then the last datagram received
    std::string RemoteHost; // sender of the last reply
    TSNMPRec Query;
    TSNMPRec Reply;

    // Sets TargetHost and TargetPort from "host" or "host:port" (port 161 when none is given).
    void SetTarget(std::string_view address);

    // Encodes Query, sends it and waits up to Timeout for its reply: a datagram from exactly the
    // target's address and port that carries Query.ID. Other datagrams are dropped and the wait
    // goes on to the same deadline. True when the reply arrived in time and decoded into Reply;
    // a malformed datagram from the target ends the request at once as no reply (Reply empty).
    bool SendRequest();

    // Error code of the socket's last operation (0, SocketTimedOut, SocketConnReset or errno).
    [[nodiscard]] int LastError() const;

private:
    std::unique_ptr<UdpSocket> socket_;
    int error_ = 0;
    // The last resolved target, so a walk looks a host name up once rather than per step.
    std::string resolvedHost_;
    std::string resolvedPort_;
    SockAddr resolved_;
    bool haveResolved_ = false;
};

// One GetNextRequest on an existing TSNMPSend; `oid` and `value` take the reply's first varbind.
bool GetNextStep(TSNMPSend& send, std::string& oid, std::string_view community, std::string& value);

// The plain functions create their own TSNMPSend with the default 5000 ms timeout. `host` may
// carry ":port" (default 161).
bool SNMPGetValue(std::string_view oid, std::string_view community, std::string_view host,
                  std::string& value);
bool SNMPSetValue(std::string_view oid, std::string_view community, std::string_view host,
                  int32_t valueType, std::string_view value);
bool SNMPGetNextValue(std::string& oid, std::string_view community, std::string_view host,
                      std::string& value);

// How a walk ended. LeftTable is the normal end: a reply without a varbind, endOfMibView, or an
// OID outside the base. NoReply: a step got no acceptable reply. WentBackwards: the agent
// answered with an OID that does not sort after the one asked for. RowLimit: the walk took its
// cap of steps without leaving the table. In every case the rows gathered so far are kept.
enum class WalkEnd { LeftTable, NoReply, RowLimit, WentBackwards };
// Steps a walk takes before it stops with RowLimit; no table of the router comes near it.
inline constexpr std::size_t MaxWalkRows = 10000;

// One value text per row key, in the order the keys first appeared (for a table's own OID: one
// line per column and row, column by column). `keys`, when given, receives the row keys
// ("column.index" for a table's own OID) in the same order.
WalkEnd SNMPWalkTable(std::string_view baseOid, std::string_view community, std::string_view host,
                      std::vector<std::string>& rows, std::vector<std::string>* keys = nullptr);

// The walk of SNMPWalkTable on a caller's TSNMPSend (its target and timeout), stopping after
// `maxRows` steps that stayed in the table.
WalkEnd WalkTable(TSNMPSend& send, std::string_view baseOid, std::string_view community,
                  std::vector<std::string>& rows, std::vector<std::string>* keys = nullptr,
                  std::size_t maxRows = MaxWalkRows);

} // namespace snmp
