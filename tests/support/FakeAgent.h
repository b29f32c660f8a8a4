// A scripted SNMP responder on 127.0.0.1 for the faults a real agent does not produce: silence,
// malformed frames, wrong request ids, replies from the wrong port, error replies, replies that
// would keep a walk going for ever.
// It runs one thread that answers each datagram as its behaviour says and records every request.
// In front of a real agent (ForwardTo) it passes requests on instead of answering them itself,
// so a test can silence a live simulated router mid-run and count what the program sends.
#pragma once

#include "snmp/Codec.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#endif
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fake {

enum class Behaviour {
    Serve,        // answer from the MIB: get, get-next, set
    Silent,       // never answer
    Raw,          // answer with the octets given to SetRaw
    OtherId,      // proper reply, but with another request id
    ErrorStatus,  // noSuchName, error index 1, the requested OIDs with NULL values
    NoVarBinds,   // reply with an empty varbind list
    LateFirst,    // a forged reply to the previous request id, then the proper one
    Duplicated,   // the proper reply twice
    ForeignFirst, // the proper reply forged and sent from another port, then the proper one
    StrayFirst,   // one octet from another port, then the proper reply
};

struct Request {
    int32_t pduType = -1; // PDU tag, -1 when the frame could not be read
    int32_t id = 0;
    std::string community;
    std::vector<std::string> oids;
    std::vector<std::string> values;
};

class FakeAgent {
public:
    explicit FakeAgent(Behaviour behaviour = Behaviour::Serve);
    ~FakeAgent();
    FakeAgent(const FakeAgent&) = delete;
    FakeAgent& operator=(const FakeAgent&) = delete;

    [[nodiscard]] uint16_t Port() const { return port_; }
    // "127.0.0.1:port", the form the plain functions accept as host.
    [[nodiscard]] std::string Address() const;

    // `raw`: the answer of Behaviour::Raw.
    void SetBehaviour(Behaviour b, std::string raw = {});
    // Adds or replaces one object; `value` is a value text as the codec produces it.
    void Add(const std::string& oid, const std::string& value, int32_t type = snmp::tag::Integer);
    // The next get-next requests are answered with these varbinds, one each, whatever they ask.
    void ScriptGetNext(std::vector<snmp::TSNMPMib> answers);
    // Answers only this many more requests (-1: all), then stays silent (a router that went away).
    void GoSilentAfter(int answers);
    // Holds every answer back this long (a slow agent).
    void SetDelay(int milliseconds);
    // Holds the answer to the next request of this PDU type back this long, once (a walk that
    // keeps the window busy).
    void DelayNext(int32_t pduType, int milliseconds);
    // Serve passes each request to the agent at "127.x.y.z:port" and returns its reply.
    void ForwardTo(const std::string& agent);
    // Requests whose first varbind names `oid` go unanswered (an object the router ignores).
    void Ignore(const std::string& oid);
    // Checked before serving or forwarding a get: more than `varbinds` objects (-1: no limit)
    // are answered tooBig; a request naming `oid` of NoSuchName, as a v1 agent, noSuchName with
    // its index.
    void TooBigAbove(int varbinds);
    void NoSuchName(const std::string& oid);

    [[nodiscard]] std::vector<Request> Requests() const;
    [[nodiscard]] int RequestCount() const;

private:
    struct Value {
        std::string text;
        int32_t type;
    };
    struct Name { // ordered as a walk visits OIDs, arc by arc
        std::string text;
        bool operator<(const Name& o) const { return snmp::OidGreater(o.text, text); }
    };

    void Run();
    std::string Reply(const snmp::TSNMPRec& req, int32_t pduType, Behaviour b);
    std::string Forward(const std::string& datagram);

    int fd_ = -1;
    int otherFd_ = -1; // the "other port" the hostile behaviours send from, and forwarding uses
    sockaddr_in upstream_{};
    bool forwarding_ = false;
    std::set<std::string> ignored_;
    std::set<std::string> noSuchName_;
    int tooBigAbove_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    Behaviour behaviour_ = Behaviour::Serve;
    std::map<Name, Value> mib_;
    std::deque<snmp::TSNMPMib> script_;
    std::string raw_;
    int answersLeft_ = -1; // -1: no limit
    int delayMs_ = 0;
    int32_t delayNextPdu_ = -1;
    int delayNextMs_ = 0;
    std::vector<Request> requests_;
    std::thread thread_;
};

} // namespace fake
