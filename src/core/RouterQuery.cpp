#include "RouterQuery.h"

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
