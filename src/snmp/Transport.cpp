#include "Transport.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>
#include <utility>

namespace snmp {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A reply that came in after an earlier request of this socket had timed out is still queued.
// It cannot answer the request about to be sent. The request id alone does not tell it apart:
// a caller that reuses its TSNMPSend for gets sends the same id each time, and a late reply
// taken for the next one would put one object's value in another's place.
void DiscardStale(UdpSocket& sock) {
    std::string stale;
    SockAddr from;
    for (int i = 0; i < 64; ++i) {
        if (!sock.Receive(stale, from, 0) && sock.LastError() != SocketConnReset) break;
    }
}

} // namespace

HostPort SplitHostPort(std::string_view address, std::string_view defaultPort) {
    std::string_view text = Trim(address);
    std::size_t colon = text.rfind(':');
    // More than one colon is no IPv4 "host:port"; leave it whole for the resolver to refuse.
    if (colon == std::string_view::npos || text.substr(0, colon).find(':') != std::string::npos)
        return {std::string(text), std::string(defaultPort)};
    std::string_view host = Trim(text.substr(0, colon));
    std::string_view port = Trim(text.substr(colon + 1));
    return {std::string(host), std::string(port.empty() ? defaultPort : port)};
}

TSNMPSend::TSNMPSend() {
    Query.Clear();
    Reply.Clear();
}

TSNMPSend::~TSNMPSend() = default;

void TSNMPSend::SetTarget(std::string_view address) {
    HostPort hp = SplitHostPort(address);
    TargetHost = std::move(hp.host);
    TargetPort = std::move(hp.port);
}

int TSNMPSend::LastError() const {
    return error_;
}

bool TSNMPSend::SendRequest() {
    Reply.Clear();
    Buffer = Query.Encode();

    const bool reused = socket_ != nullptr;
    if (!socket_) {
        auto fresh = std::make_unique<UdpSocket>();
        // Bound to any address and a system-chosen port, the socket needs no bind call: the
        // first send binds it so. That saves a system call on every one-shot request.
        const bool anyAddress = LocalInterface.empty() || LocalInterface == "0.0.0.0";
        if (!anyAddress && !fresh->Bind(LocalInterface, "0")) {
            // No socket is kept, so the next request tries to bind again.
            error_ = fresh->LastError();
            return false;
        }
        socket_ = std::move(fresh);
    }
    UdpSocket& sock = *socket_;

    if (!haveResolved_ || resolvedHost_ != TargetHost || resolvedPort_ != TargetPort) {
        haveResolved_ = false;
        if (!sock.Resolve(TargetHost, TargetPort, resolved_)) {
            error_ = sock.LastError();
            return false;
        }
        resolvedHost_ = TargetHost;
        resolvedPort_ = TargetPort;
        haveResolved_ = true;
    }

    if (reused) DiscardStale(sock);

    RemoteHost = "0.0.0.0";
    if (!sock.SendTo(resolved_, Buffer)) {
        error_ = sock.LastError();
        return false;
    }
    Buffer.clear();

    // One deadline for the whole request: a dropped datagram does not buy the agent more time.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(Timeout, 0));
    std::string datagram;
    SockAddr from;
    for (bool first = true;; first = false) {
        int waitMs = -1;
        if (Timeout >= 0) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            // Past the deadline only the first look (a timeout of 0) still takes what is queued.
            if (left <= 0 && !first) {
                error_ = SocketTimedOut;
                return false;
            }
            waitMs = static_cast<int>(std::max<decltype(left)>(left, 0));
        }
        const bool got = sock.Receive(datagram, from, waitMs);
        if (!got && sock.LastError() != SocketConnReset) {
            error_ = sock.LastError();
            return false;
        }
        // Anyone else's datagram, a stray octet from another port included, is no answer.
        if (from.ip != resolved_.ip || from.port != resolved_.port) continue;

        error_ = got ? 0 : SocketConnReset;
        if (!got || !Reply.Decode(datagram)) {
            // Malformed from the agent itself: it will not answer better, so stop waiting.
            Buffer = std::move(datagram);
            RemoteHost = from.IpText();
            return false;
        }
        // A late or repeated answer to an earlier request of this socket.
        if (Reply.ID != Query.ID) {
            Reply.Clear();
            continue;
        }
        Buffer = std::move(datagram);
        RemoteHost = from.IpText();
        return true;
    }
}

bool GetNextStep(TSNMPSend& send, std::string& oid, std::string_view community,
                 std::string& value) {
    TSNMPRec& q = send.Query;
    q.Clear();
    // Wraps instead of overflowing after 2^31 steps; the agent sees just another id.
    q.ID = static_cast<int32_t>(static_cast<uint32_t>(q.ID) + 1u);
    q.Community = std::string(community);
    q.PDUType = tag::GetNextRequest;
    q.AddVarBind(oid, "", tag::Null);
    bool ok = send.SendRequest();
    value.clear();
    if (ok && send.Reply.VarBindCount() > 0) {
        const TSNMPMib& first = send.Reply.VarBind(0);
        oid = first.OID;
        value = first.Value;
    }
    return ok;
}

bool SNMPGetValue(std::string_view oid, std::string_view community, std::string_view host,
                  std::string& value) {
    TSNMPSend send;
    send.Query.Clear();
    send.Query.Community = std::string(community);
    send.Query.PDUType = tag::GetRequest;
    send.Query.AddVarBind(oid, "", tag::Null);
    send.SetTarget(host);
    bool ok = send.SendRequest();
    value.clear();
    if (ok) value = send.Reply.FindValue(oid);
    return ok;
}

bool SNMPSetValue(std::string_view oid, std::string_view community, std::string_view host,
                  int32_t valueType, std::string_view value) {
    TSNMPSend send;
    send.Query.Clear();
    send.Query.Community = std::string(community);
    send.Query.PDUType = tag::SetRequest;
    send.Query.AddVarBind(oid, value, valueType);
    send.SetTarget(host);
    return send.SendRequest();
}

bool SNMPGetNextValue(std::string& oid, std::string_view community, std::string_view host,
                      std::string& value) {
    TSNMPSend send;
    send.SetTarget(host);
    return GetNextStep(send, oid, community, value);
}

WalkEnd WalkTable(TSNMPSend& send, std::string_view baseOid, std::string_view community,
                  std::vector<std::string>& rows, std::vector<std::string>* keys,
                  std::size_t maxRows) {
    rows.clear();
    if (keys != nullptr) keys->clear();
    std::unordered_map<std::string, std::size_t> rowOfKey;
    const std::string base(baseOid);
    const std::string baseDot = base + ".";

    std::string oid = base;
    std::string requested;
    std::string value;
    for (std::size_t step = 0;; ++step) {
        // An agent that keeps handing out new rows (a table without end, or one fed faster than
        // it is read) would otherwise hold the caller's thread for good.
        if (step == maxRows) return WalkEnd::RowLimit;
        requested = oid;
        if (!GetNextStep(send, oid, community, value)) return WalkEnd::NoReply;

        if (send.Reply.VarBindCount() == 0) return WalkEnd::LeftTable;
        if (send.Reply.VarBind(0).ValueType == tag::EndOfMibView) return WalkEnd::LeftTable;
        // An answer that does not move forward would repeat steps for ever.
        if (!OidGreater(oid, requested)) return WalkEnd::WentBackwards;

        // A plain text test: a base of x.4.2 also takes x.4.20.*, as the pages expect.
        if (oid.compare(0, base.size(), base) != 0) return WalkEnd::LeftTable;

        std::size_t at = oid.find(baseDot);
        std::string_view rest = at == std::string::npos
                                    ? std::string_view(oid).substr(base.size())
                                    : std::string_view(oid).substr(at + baseDot.size());
        std::size_t dot = rest.find('.');
        std::string key(dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1));

        auto [it, added] = rowOfKey.try_emplace(key, rows.size());
        if (added) {
            rows.emplace_back();
            if (keys != nullptr) keys->push_back(key);
        }
        std::string& row = rows[it->second];
        if (!row.empty()) row += ',';
        row += value;
    }
}

WalkEnd SNMPWalkTable(std::string_view baseOid, std::string_view community, std::string_view host,
                      std::vector<std::string>& rows, std::vector<std::string>* keys) {
    TSNMPSend send;
    send.SetTarget(host);
    return WalkTable(send, baseOid, community, rows, keys);
}

} // namespace snmp
