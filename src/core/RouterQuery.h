// The one place where the pages meet the router: timed single reads of MIB-II objects, table walks,
// writes of the three system strings with a read-back, and the check that the configured address
// answers as a Corvane router. Every exchange blocks the calling thread for up to its timeout.
//
// A router that stops answering costs one timeout and one short probe, once: a request that gets
// no acceptable reply is followed by the identity check's sysDescr read. If that is answered too
// the router merely ignored one object; if not, the router is lost (RouterPresent false, the
// failure text, the error sound) and nothing more is sent until the next identity check passes.
#pragma once

#include "Seams.h"
#include "Settings.h"
#include "mib/MIBConstants.h"
#include "snmp/Transport.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

class RouterQuery {
public:
    static constexpr std::string_view MIBPrefix = mib::MIBPrefix;
    static constexpr int ShortTimeout = snmp::ShortTimeout;
    static constexpr int NormalTimeout = snmp::NormalTimeout;
    // Discovery and walks keep the transport's default.
    static constexpr int DiscoveryTimeout = 5000;

    RouterQuery(Settings& settings, Sounds& sounds, Cursor& cursor);

    // True while the router checked last is answering. Nothing that a refresh or a Set button
    // triggers talks to the router while it is false.
    bool RouterPresent = false;

    // The identity line of the General page: the router's sysDescr after a passed check (its
    // octets taken as Latin-1), otherwise why the router is not shown. Empty before any check.
    QString StatusText;

    // One GetRequest of MIBPrefix + oidSuffix to `host` ("host" or "host:port", port 161 when
    // none). `value` receives the reply's value for exactly that OID; when it comes back empty
    // (no reply, no such varbind, noSuchObject and the like) and RawData is off, "NULL".
    // True when an acceptable reply arrived. No probe: the identity check's own read.
    bool SNMPGetNew(std::string_view oidSuffix, std::string_view community, std::string_view host,
                    std::string& value, int timeout) const;

    // A page read of MIBPrefix + oidSuffix with NormalTimeout, under the lost-router rule. While
    // the router is absent nothing is sent and the value reads as unanswered. `keepEmpty` gives
    // the value as the router holds it (an unanswered one empty too), for texts a user edits.
    [[nodiscard]] std::string Get(std::string_view oidSuffix, bool keepEmpty = false);
    // A read of a full OID, or a GetNext (`oid` takes the answer's OID), with DiscoveryTimeout
    // under the same rule. False when nothing acceptable came back.
    bool GetFull(const std::string& oid, std::string& value);
    bool GetNext(std::string& oid, std::string& value);
    // Reads many full OIDs at once under the same rule, with NormalTimeout: one GetRequest
    // carrying them all. A tooBig reply splits the request in halves (a single object still too
    // big is missing); a noSuchName reply drops the object it points at and asks again without
    // it. values[i] receives the varbind of oids[i], nothing when the router lacks it (an
    // exception value, NULL) or the request carrying it went unanswered. `requests`, when
    // given, receives how many requests were sent. False when any request got no acceptable
    // reply; the probe that follows has then decided whether the router is lost.
    bool GetMany(const std::vector<std::string>& oids,
                 std::vector<std::optional<snmp::TSNMPMib>>& values, int* requests = nullptr);
    // Walks the table or column MIBPrefix + suffix under the same rule (a step without an answer
    // ends the walk). Nothing is sent while the router is absent (NoReply).
    snmp::WalkEnd Walk(std::string_view suffix, std::vector<std::string>& rows,
                       std::vector<std::string>& keys);

    enum class SetResult { Done, NotSent, NoAnswer };
    // Writes `newValue` as an OCTET STRING and sets `result` to what the router holds afterwards
    // (an empty read-back empties it). NotSent while the router is absent; NoAnswer when the set
    // or its read-back got no reply, and `result` is then untouched. Busy cursor meanwhile.
    SetResult SetSNMPString(std::string_view oidSuffix, const std::string& newValue,
                            std::string& result);

    // Sets RouterPresent and StatusText: passes when sysDescr contains "TAVIX" or sysObjectID
    // contains "40917". The first read waits ShortTimeout, so an absent router costs half a
    // second. Plays the error sound on failure when ConBeep is on.
    bool CorvanePresent();

    // Ends the session with the checked router without a check: the address or community the
    // requests would go to is no longer the one that was checked.
    void Disconnect();

    // The configured address and community as the SNMP layer takes them.
    [[nodiscard]] std::string Host() const;
    [[nodiscard]] std::string Community() const;

    [[nodiscard]] Settings& settings() const { return settings_; }
    [[nodiscard]] Sounds& sounds() const { return sounds_; }
    [[nodiscard]] Cursor& cursor() const { return cursor_; }

private:
    // After a request without an answer: true when the router still answers the probe; else
    // the router is lost.
    bool StillThere();
    void Fail();
    [[nodiscard]] std::string Unanswered() const;

    Settings& settings_;
    Sounds& sounds_;
    Cursor& cursor_;
};

} // namespace core
