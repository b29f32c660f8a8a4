#include "RouterQuery.h"

#include <utility>

namespace core {

namespace {

bool Exchange(snmp::TSNMPSend& send, std::string_view community, std::string_view host,
              int32_t pduType, const std::string& oid, int timeout) {
    send.Query.Clear();
    send.Query.Community = std::string(community);
    send.Query.PDUType = pduType;
    send.Query.AddVarBind(oid, "", snmp::tag::Null);
    send.SetTarget(host);
    send.Timeout = timeout;
    return send.SendRequest();
}

// Error statuses a multi-object read answers by asking again.
constexpr int32_t kTooBig = 1;
constexpr int32_t kNoSuchName = 2;

bool IsException(int32_t type) {
    return type == snmp::tag::Null || type == snmp::tag::NoSuchObject ||
           type == snmp::tag::NoSuchInstance || type == snmp::tag::EndOfMibView;
}

} // namespace

RouterQuery::RouterQuery(Settings& settings, Sounds& sounds, Cursor& cursor)
    : settings_(settings), sounds_(sounds), cursor_(cursor) {}

std::string RouterQuery::Host() const {
    return settings_.IPAddress.trimmed().toStdString();
}

// Communities are octet strings; Latin-1 keeps one character per octet, as value texts do.
std::string RouterQuery::Community() const {
    return settings_.Community.toLatin1().toStdString();
}

std::string RouterQuery::Unanswered() const {
    return settings_.RawData ? std::string() : std::string("NULL");
}

bool RouterQuery::SNMPGetNew(std::string_view oidSuffix, std::string_view community,
                             std::string_view host, std::string& value, int timeout) const {
    const std::string oid = std::string(MIBPrefix) + std::string(oidSuffix);
    snmp::TSNMPSend send;
    const bool ok = Exchange(send, community, host, snmp::tag::GetRequest, oid, timeout);
    value.clear();
    if (ok) value = send.Reply.FindValue(oid);
    if (value.empty()) value = Unanswered();
    return ok;
}

void RouterQuery::Fail() {
    RouterPresent = false;
    StatusText = QStringLiteral("Cannot communicate with Corvane router at ") +
                 settings_.IPAddress +
                 QStringLiteral("\nplease check router IP address and community in options");
    if (settings_.ConBeep) sounds_.Play(Sound::Error);
}

bool RouterQuery::StillThere() {
    std::string descr;
    if (SNMPGetNew("1.1.0", Community(), Host(), descr, ShortTimeout)) return true;
    Fail();
    return false;
}

std::string RouterQuery::Get(std::string_view oidSuffix, bool keepEmpty) {
    std::string value;
    if (RouterPresent && !SNMPGetNew(oidSuffix, Community(), Host(), value, NormalTimeout))
        StillThere();
    if (!RouterPresent) value = Unanswered();
    if (keepEmpty && value == "NULL") value.clear();
    return value;
}

bool RouterQuery::GetFull(const std::string& oid, std::string& value) {
    value.clear();
    if (!RouterPresent) return false;
    snmp::TSNMPSend send;
    if (Exchange(send, Community(), Host(), snmp::tag::GetRequest, oid, DiscoveryTimeout)) {
        value = send.Reply.FindValue(oid);
        return true;
    }
    StillThere();
    return false;
}

bool RouterQuery::GetNext(std::string& oid, std::string& value) {
    value.clear();
    if (!RouterPresent) return false;
    snmp::TSNMPSend send;
    send.SetTarget(Host());
    if (snmp::GetNextStep(send, oid, Community(), value)) return true;
    StillThere();
    return false;
}

bool RouterQuery::GetMany(const std::vector<std::string>& oids,
                          std::vector<std::optional<snmp::TSNMPMib>>& values, int* requests) {
    values.assign(oids.size(), std::nullopt);
    int sent = 0;
    bool answered = true;
    snmp::TSNMPSend send;
    send.SetTarget(Host());
    send.Timeout = NormalTimeout;
    const std::string community = Community();
    // Positions into `oids` still to ask, one group per request.
    std::vector<std::vector<std::size_t>> pending(1);
    for (std::size_t i = 0; i < oids.size(); ++i)
        pending.front().push_back(i);
    while (RouterPresent && !pending.empty()) {
        const std::vector<std::size_t> group = std::move(pending.back());
        pending.pop_back();
        if (group.empty()) continue;
        snmp::TSNMPRec& q = send.Query;
        q.Clear();
        // A fresh id per request, so a late answer to the previous one is not taken for this.
        q.ID = static_cast<int32_t>(static_cast<uint32_t>(q.ID) + 1u);
        q.Community = community;
        q.PDUType = snmp::tag::GetRequest;
        for (std::size_t i : group)
            q.AddVarBind(oids[i], "", snmp::tag::Null);
        ++sent;
        if (!send.SendRequest()) {
            answered = false;
            if (!StillThere()) break;
            continue; // the router ignored these objects; they stay missing
        }
        const snmp::TSNMPRec& reply = send.Reply;
        if (reply.ErrorStatus == kTooBig && group.size() > 1) {
            const auto half = group.begin() + static_cast<std::ptrdiff_t>(group.size() / 2);
            pending.emplace_back(half, group.end());
            pending.emplace_back(group.begin(), half);
            continue;
        }
        if (reply.ErrorStatus == kNoSuchName && reply.ErrorIndex >= 1 &&
            static_cast<std::size_t>(reply.ErrorIndex) <= group.size()) {
            std::vector<std::size_t> rest = group;
            rest.erase(rest.begin() + (reply.ErrorIndex - 1));
            pending.push_back(std::move(rest));
            continue;
        }
        if (reply.ErrorStatus != 0) continue; // any other error: nothing of this group is known
        for (std::size_t k = 0; k < group.size(); ++k) {
            const std::string& oid = oids[group[k]];
            // Agents answer in the order asked; one that does not is searched.
            const snmp::TSNMPMib* found = nullptr;
            if (k < static_cast<std::size_t>(reply.VarBindCount()) && reply.VarBind(k).OID == oid)
                found = &reply.VarBind(k);
            for (int j = 0; found == nullptr && j < reply.VarBindCount(); ++j)
                if (reply.VarBind(j).OID == oid) found = &reply.VarBind(j);
            if (found != nullptr && !IsException(found->ValueType)) values[group[k]] = *found;
        }
    }
    if (requests != nullptr) *requests = sent;
    return answered && RouterPresent;
}

snmp::WalkEnd RouterQuery::Walk(std::string_view suffix, std::vector<std::string>& rows,
                                std::vector<std::string>& keys) {
    rows.clear();
    keys.clear();
    if (!RouterPresent) return snmp::WalkEnd::NoReply;
    const snmp::WalkEnd end = snmp::SNMPWalkTable(std::string(MIBPrefix) + std::string(suffix),
                                                  Community(), Host(), rows, &keys);
    if (end == snmp::WalkEnd::NoReply) StillThere();
    return end;
}

RouterQuery::SetResult RouterQuery::SetSNMPString(std::string_view oidSuffix,
                                                  const std::string& newValue,
                                                  std::string& result) {
    if (!RouterPresent) return SetResult::NotSent;
    BusyCursorScope busy(cursor_);
    const std::string oid = std::string(MIBPrefix) + std::string(oidSuffix);
    const std::string host = Host();
    const std::string community = Community();
    // A set is answered even when the agent refuses it, so only the read-back tells whether the
    // router took the value.
    if (snmp::SNMPSetValue(oid, community, host, snmp::tag::OctetString, newValue)) {
        std::string readBack;
        if (snmp::SNMPGetValue(oid, community, host, readBack)) {
            result = readBack;
            return SetResult::Done;
        }
    }
    StillThere();
    return SetResult::NoAnswer;
}

void RouterQuery::Disconnect() {
    RouterPresent = false;
    StatusText = QStringLiteral("Not connected: the router's address or community has changed.\n"
                                "Press \"Connect To Router\" in options to check ") +
                 settings_.IPAddress;
}

bool RouterQuery::CorvanePresent() {
    RouterPresent = false;
    const std::string host = Host();
    const std::string community = Community();
    std::string descr;
    if (!SNMPGetNew("1.1.0", community, host, descr, ShortTimeout)) {
        Fail();
        return false;
    }
    const bool tavix = descr.find("TAVIX") != std::string::npos;
    // Read whatever the first test found: some firmware answers with a bare description.
    std::string objectId;
    SNMPGetNew("1.2.0", community, host, objectId, NormalTimeout);
    const bool enterprise = objectId.find("40917") != std::string::npos;

    if (tavix || enterprise) {
        RouterPresent = true;
        StatusText = QString::fromLatin1(descr.data(), static_cast<qsizetype>(descr.size()));
        return true;
    }
    Fail();
    return false;
}

} // namespace core
