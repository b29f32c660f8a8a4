#include "FakeAgent.h"

#include <chrono>
#include <cstdlib>
#include <stdexcept>

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include "Process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace fake {

namespace {

using snmp::MakeObject;
namespace tag = snmp::tag;

// A walk that never ends would hang its test; past this many requests (above the walk's own
// cap) the agent falls silent so the walk fails instead.
constexpr std::size_t kMaxRequests = 12000;

std::string UnsignedContent(uint64_t v) {
    std::string out;
    do {
        out.insert(out.begin(), static_cast<char>(v & 0xFF));
        v >>= 8;
    } while (v != 0);
    if (static_cast<unsigned char>(out.front()) & 0x80) out.insert(out.begin(), '\0');
    return out;
}

// The agent's own encoder for values: unlike the client, it must send counters and time ticks.
std::string ValuePart(const std::string& text, int32_t type) {
    switch (type) {
    case tag::Null:
        return std::string("\x05\x00", 2);
    case tag::Integer:
        return MakeObject(
            snmp::EncodeInteger(static_cast<int32_t>(std::strtoll(text.c_str(), nullptr, 10))),
            type);
    case tag::Counter32:
    case tag::Gauge32:
    case tag::TimeTicks:
    case tag::Counter64:
        return MakeObject(UnsignedContent(std::strtoull(text.c_str(), nullptr, 10)), type);
    case tag::ObjectId:
        return MakeObject(snmp::OidTextToBer(text), type);
    case tag::IpAddress:
        return MakeObject(snmp::IpTextToBytes(text), type);
    default:
        return MakeObject(text, type);
    }
}

std::string Message(const std::string& community, int32_t id, int32_t errorStatus,
                    int32_t errorIndex, const std::vector<snmp::TSNMPMib>& varbinds) {
    std::string list;
    for (const auto& vb : varbinds)
        list += MakeObject(MakeObject(snmp::OidTextToBer(vb.OID), tag::ObjectId) +
                               ValuePart(vb.Value, vb.ValueType),
                           tag::Sequence);
    std::string pdu = MakeObject(snmp::EncodeInteger(id), tag::Integer) +
                      MakeObject(snmp::EncodeInteger(errorStatus), tag::Integer) +
                      MakeObject(snmp::EncodeInteger(errorIndex), tag::Integer) +
                      MakeObject(list, tag::Sequence);
    return MakeObject(MakeObject(snmp::EncodeInteger(1), tag::Integer) +
                          MakeObject(community, tag::OctetString) +
                          MakeObject(pdu, tag::GetResponse),
                      tag::Sequence);
}

// The PDU tag of a request: the codec steps into the PDU without keeping its tag.
int32_t PduTag(const std::string& datagram) {
    std::size_t pos = 0;
    snmp::ReadItem(datagram, pos); // message sequence, stepped into
    snmp::ReadItem(datagram, pos); // version
    snmp::ReadItem(datagram, pos); // community
    if (pos + 2 > datagram.size()) return -1;
    return snmp::ReadItem(datagram, pos).tag;
}

#ifdef _WIN32
// Winsock counterparts of what the POSIX build takes from Process.cpp and the C library; a
// socket handle fits an int (Windows keeps them below 2^32).
int poll(pollfd* fds, unsigned long n, int timeoutMs) {
    return WSAPoll(fds, n, timeoutMs);
}
void close(int fd) {
    closesocket(static_cast<SOCKET>(fd));
}
int BoundUdpSocket(const std::string& ip, int& port) {
    WSADATA data; // counted: one per agent is harmless
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return -1;
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    int len = sizeof addr;
    if (inet_pton(AF_INET, ip.c_str(), &addr.sin_addr) == 1 &&
        bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.sin_port);
        return static_cast<int>(s);
    }
    closesocket(s);
    return -1;
}
#endif

// A UDP socket on 127.0.0.1 and a port the system picks.
int BindLoopback(uint16_t& port) {
    int picked = 0;
    const int fd = BoundUdpSocket("127.0.0.1", picked);
    if (fd < 0) throw std::runtime_error("fake agent: cannot bind 127.0.0.1");
    port = static_cast<uint16_t>(picked);
    return fd;
}

// A reply to `req` under request id `id` whose every value is the text "forged".
std::string Forged(const snmp::TSNMPRec& req, int32_t id) {
    std::vector<snmp::TSNMPMib> out;
    for (const auto& vb : req.VarBinds())
        out.push_back({vb.OID, "forged", tag::OctetString});
    return Message(req.Community, id, 0, 0, out);
}

} // namespace

FakeAgent::FakeAgent(Behaviour behaviour) : behaviour_(behaviour) {
    uint16_t otherPort = 0;
    fd_ = BindLoopback(port_);
    otherFd_ = BindLoopback(otherPort);
    thread_ = std::thread([this] { Run(); });
}

FakeAgent::~FakeAgent() {
    stop_ = true;
    thread_.join();
    close(fd_);
    close(otherFd_);
}

std::string FakeAgent::Address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void FakeAgent::SetBehaviour(Behaviour b, std::string raw) {
    std::lock_guard lock(mutex_);
    behaviour_ = b;
    raw_ = std::move(raw);
}

void FakeAgent::Add(const std::string& oid, const std::string& value, int32_t type) {
    std::lock_guard lock(mutex_);
    mib_[Name{oid}] = Value{value, type};
}

void FakeAgent::ScriptGetNext(std::vector<snmp::TSNMPMib> answers) {
    std::lock_guard lock(mutex_);
    script_.assign(answers.begin(), answers.end());
}

void FakeAgent::ForwardTo(const std::string& agent) {
    const auto colon = agent.rfind(':');
    std::lock_guard lock(mutex_);
    upstream_.sin_family = AF_INET;
    upstream_.sin_port = htons(static_cast<uint16_t>(std::stoi(agent.substr(colon + 1))));
    inet_pton(AF_INET, agent.substr(0, colon).c_str(), &upstream_.sin_addr);
    forwarding_ = true;
}

void FakeAgent::Ignore(const std::string& oid) {
    std::lock_guard lock(mutex_);
    ignored_.insert(oid);
}

void FakeAgent::TooBigAbove(int varbinds) {
    std::lock_guard lock(mutex_);
    tooBigAbove_ = varbinds;
}

void FakeAgent::NoSuchName(const std::string& oid) {
    std::lock_guard lock(mutex_);
    noSuchName_.insert(oid);
}

std::string FakeAgent::Forward(const std::string& datagram) {
    sendto(otherFd_, datagram.data(), datagram.size(), 0,
           reinterpret_cast<const sockaddr*>(&upstream_), sizeof upstream_);
    pollfd p{};
    p.fd = otherFd_;
    p.events = POLLIN;
    std::string reply(65536, '\0');
    const ssize_t got = poll(&p, 1, 2000) > 0 ? recv(otherFd_, reply.data(), reply.size(), 0) : -1;
    reply.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return reply;
}

int FakeAgent::RequestCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(requests_.size());
}

void FakeAgent::GoSilentAfter(int answers) {
    std::lock_guard lock(mutex_);
    answersLeft_ = answers;
}

void FakeAgent::SetDelay(int milliseconds) {
    std::lock_guard lock(mutex_);
    delayMs_ = milliseconds;
}

void FakeAgent::DelayNext(int32_t pduType, int milliseconds) {
    std::lock_guard lock(mutex_);
    delayNextPdu_ = pduType;
    delayNextMs_ = milliseconds;
}

std::vector<Request> FakeAgent::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void FakeAgent::Run() {
    std::string buffer(65536, '\0');
    while (!stop_) {
        pollfd p{};
        p.fd = fd_;
        p.events = POLLIN;
        // Short slices so the destructor never waits long for the thread.
        if (poll(&p, 1, 20) <= 0) continue;
        sockaddr_in from{};
        socklen_t len = sizeof from;
        ssize_t got = recvfrom(fd_, buffer.data(), buffer.size(), 0,
                               reinterpret_cast<sockaddr*>(&from), &len);
        if (got < 0) continue;
        std::vector<std::pair<int, std::string>> out; // (socket, datagram) in sending order
        int delay = 0;
        {
            std::string datagram = buffer.substr(0, static_cast<std::size_t>(got));
            std::lock_guard lock(mutex_);
            Request r;
            snmp::TSNMPRec req;
            if (req.Decode(datagram)) {
                r.pduType = PduTag(datagram);
                r.id = req.ID;
                r.community = req.Community;
                for (const auto& vb : req.VarBinds()) {
                    r.oids.push_back(vb.OID);
                    r.values.push_back(vb.Value);
                }
            }
            requests_.push_back(r);
            if (answersLeft_ == 0 || requests_.size() > kMaxRequests) continue;
            if (answersLeft_ > 0) --answersLeft_;
            if (behaviour_ == Behaviour::Silent || r.pduType < 0) continue;
            if (!r.oids.empty() && ignored_.count(r.oids[0]) != 0) continue;
            std::string answer;
            if (r.pduType == tag::GetRequest) {
                const std::vector<snmp::TSNMPMib>& echo = req.VarBinds(); // as asked
                if (tooBigAbove_ >= 0 && r.oids.size() > static_cast<std::size_t>(tooBigAbove_))
                    answer = Message(r.community, r.id, 1, 0, echo);
                for (std::size_t i = 0; answer.empty() && i < r.oids.size(); ++i)
                    if (noSuchName_.count(r.oids[i]) != 0)
                        answer = Message(r.community, r.id, 2, static_cast<int32_t>(i + 1), echo);
            }
            if (answer.empty())
                answer = forwarding_ ? Forward(datagram) : Reply(req, r.pduType, behaviour_);
            if (answer.empty()) continue; // the agent behind did not answer either
            if (behaviour_ == Behaviour::LateFirst) out.emplace_back(fd_, Forged(req, req.ID - 1));
            if (behaviour_ == Behaviour::ForeignFirst)
                out.emplace_back(otherFd_, Forged(req, req.ID));
            if (behaviour_ == Behaviour::StrayFirst) out.emplace_back(otherFd_, "\x30");
            out.emplace_back(fd_, behaviour_ == Behaviour::Raw ? raw_ : answer);
            if (behaviour_ == Behaviour::Duplicated) out.emplace_back(fd_, answer);
            delay = delayMs_;
            if (r.pduType == delayNextPdu_) {
                delay += delayNextMs_;
                delayNextPdu_ = -1;
            }
        }
        if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        for (const auto& [fd, octets] : out)
            sendto(fd, octets.data(), octets.size(), 0, reinterpret_cast<sockaddr*>(&from),
                   sizeof from);
    }
}

std::string FakeAgent::Reply(const snmp::TSNMPRec& req, int32_t pduType, Behaviour b) {
    const std::vector<snmp::TSNMPMib>& asked = req.VarBinds();
    std::vector<snmp::TSNMPMib> out;
    int32_t id = req.ID;
    int32_t errorStatus = 0;
    int32_t errorIndex = 0;

    if (b == Behaviour::NoVarBinds) return Message(req.Community, id, 0, 0, {});
    if (b == Behaviour::ErrorStatus) {
        for (const auto& vb : asked)
            out.push_back({vb.OID, "", tag::Null});
        return Message(req.Community, id, 2, 1, out);
    }

    if (pduType == tag::GetNextRequest && !script_.empty()) {
        out.push_back(script_.front());
        script_.pop_front();
    } else {
        for (std::size_t i = 0; i < asked.size(); ++i) {
            const auto& vb = asked[i];
            Name name{vb.OID};
            if (pduType == tag::GetNextRequest) {
                auto it = mib_.upper_bound(name);
                if (it == mib_.end())
                    out.push_back({vb.OID, "", tag::EndOfMibView});
                else
                    out.push_back({it->first.text, it->second.text, it->second.type});
            } else if (pduType == tag::SetRequest) {
                auto it = mib_.find(name);
                if (it == mib_.end()) {
                    errorStatus = 17; // notWritable
                    errorIndex = static_cast<int32_t>(i + 1);
                } else {
                    it->second = Value{vb.Value, vb.ValueType};
                }
                out.push_back(vb);
            } else {
                auto it = mib_.find(name);
                if (it == mib_.end())
                    out.push_back({vb.OID, "", tag::NoSuchInstance});
                else
                    out.push_back({vb.OID, it->second.text, it->second.type});
            }
        }
    }

    if (b == Behaviour::OtherId) id += 1000;
    return Message(req.Community, id, errorStatus, errorIndex, out);
}

} // namespace fake
