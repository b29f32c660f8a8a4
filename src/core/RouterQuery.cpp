#include "RouterQuery.h"

#include "Transport.h"

namespace core {

RouterQuery::RouterQuery(Settings& settings, Sounds& sounds, Cursor& cursor)
    : settings_(settings), sounds_(sounds), cursor_(cursor) {}

std::string RouterQuery::Host() const {
    return settings_.IPAddress.trimmed().toStdString();
}

// Communities are octet strings; Latin-1 keeps one character per octet, as value texts do.
std::string RouterQuery::Community() const {
    return settings_.Community.toLatin1().toStdString();
}

bool RouterQuery::SNMPGetNew(std::string_view oidSuffix, std::string_view community,
                             std::string_view host, std::string& value, int timeout) const {
    const std::string oid = std::string(MIBPrefix) + std::string(oidSuffix);
    snmp::TSNMPSend send;
    send.Query.Clear();
    send.Query.Community = std::string(community);
    send.Query.PDUType = snmp::tag::GetRequest;
    send.Query.AddVarBind(oid, "", snmp::tag::Null);
    send.SetTarget(host);
    send.Timeout = timeout;
    const bool ok = send.SendRequest();
    value.clear();
    if (ok) value = send.Reply.FindValue(oid);
    if (value.empty() && !settings_.RawData) value = "NULL";
    return ok;
}

std::string RouterQuery::Get(std::string_view oidSuffix) const {
    std::string value;
    SNMPGetNew(oidSuffix, Community(), Host(), value, NormalTimeout);
    return value;
}

void RouterQuery::SetSNMPString(std::string_view oidSuffix, const std::string& newValue,
                                std::string& result) {
    result = newValue;
    if (!RouterPresent) return;
    BusyCursorScope busy(cursor_);
    const std::string oid = std::string(MIBPrefix) + std::string(oidSuffix);
    const std::string host = Host();
    const std::string community = Community();
    // A set is answered even when the agent refuses it, so only the read-back tells whether the
    // router took the value.
    if (snmp::SNMPSetValue(oid, community, host, snmp::tag::OctetString, newValue)) {
        std::string readBack;
        snmp::SNMPGetValue(oid, community, host, readBack);
        result = readBack;
    }
}

bool RouterQuery::CorvanePresent() {
    RouterPresent = false;
    const QString address = settings_.IPAddress;
    StatusText = QStringLiteral("Cannot communicate with Corvane router at ") + address +
                 QStringLiteral("\nplease check router IP address and community in options");

    const std::string host = Host();
    const std::string community = Community();
    std::string descr;
    if (!SNMPGetNew("1.1.0", community, host, descr, ShortTimeout)) {
        if (settings_.ConBeep) sounds_.Play(Sound::Error);
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
    if (settings_.ConBeep) sounds_.Play(Sound::Error);
    return false;
}

} // namespace core
