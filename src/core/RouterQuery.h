// The one place where the pages meet the router: timed single reads of MIB-II objects, writes of
// the three system strings with a read-back, and the check that the configured address answers as
// a Corvane router. Every exchange blocks the calling thread for up to its timeout.
#pragma once

#include "MIBConstants.h"
#include "Seams.h"
#include "Settings.h"
#include "Transport.h"

#include <QString>
#include <string>
#include <string_view>

namespace core {

class RouterQuery {
public:
    static constexpr std::string_view MIBPrefix = mib::MIBPrefix;
    static constexpr int ShortTimeout = snmp::ShortTimeout;
    static constexpr int NormalTimeout = snmp::NormalTimeout;

    RouterQuery(Settings& settings, Sounds& sounds, Cursor& cursor);

    // True while the last identity check found the router. Nothing that a refresh or a Set
    // button triggers may talk to the router while it is false.
    bool RouterPresent = false;

    // The identity line of the General page: the router's sysDescr after a passed check (its
    // octets taken as Latin-1), otherwise the two-line failure message. Empty before any check.
    QString StatusText;

    // One GetRequest of MIBPrefix + oidSuffix to `host` ("host" or "host:port", port 161 when
    // none). `value` receives the reply's value for exactly that OID; when it comes back empty
    // (no reply, no such varbind, noSuchObject and the like) and RawData is off, "NULL".
    // True when a reply arrived and decoded.
    bool SNMPGetNew(std::string_view oidSuffix, std::string_view community, std::string_view host,
                    std::string& value, int timeout) const;

    // SNMPGetNew with the configured community and address and NormalTimeout; returns the value.
    [[nodiscard]] std::string Get(std::string_view oidSuffix) const;

    // Writes `newValue` as an OCTET STRING and sets `result` to what the router holds afterwards
    // (an empty read-back empties it). While RouterPresent is false nothing is sent and `result`
    // is `newValue`. The busy cursor shows for the duration of the exchange.
    void SetSNMPString(std::string_view oidSuffix, const std::string& newValue,
                       std::string& result);

    // Sets RouterPresent and StatusText: passes when sysDescr contains "TAVIX" or sysObjectID
    // contains "40917". The first read waits ShortTimeout, so an absent router costs half a
    // second. Plays the error sound on failure when ConBeep is on.
    bool CorvanePresent();

    // The configured address and community as the SNMP layer takes them.
    [[nodiscard]] std::string Host() const;
    [[nodiscard]] std::string Community() const;

    [[nodiscard]] Settings& settings() const { return settings_; }
    [[nodiscard]] Sounds& sounds() const { return sounds_; }
    [[nodiscard]] Cursor& cursor() const { return cursor_; }

private:
    Settings& settings_;
    Sounds& sounds_;
    Cursor& cursor_;
};

} // namespace core
