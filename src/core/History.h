// The line history's vocabulary: what one sample of the line holds, the events two samples in a
// row can reveal, and the texts events are told with. Shared by the recorder, the store, the
// views and the export; knows nothing of SNMP transport or SQL.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace core::history {

// One recorded quantity. Line objects are read at the ADSL interface's index, as the ADSL page
// reads them; the WAN's 32-bit octets at its ifTable index, its 64-bit ones at the index of its
// ifXTable row; sysUpTime is a scalar.
enum class Index { Scalar, Adsl, Wan, WanIfx };

struct Column {
    std::string_view name; // the MIB object's name: database column and CSV heading
    std::string_view oid;  // below 1.3.6.1.2.1, without the index
    Index index;
    // A counter only grows (until the router restarts): its hourly roll-up keeps the last value
    // as its maximum, and the views show its rise per sample rather than its level.
    bool counter;
    int since = 1; // the schema version that brought the column
};

// The columns in store order. The exchange end (ATU-C) has Lols and Inits, the modem end (ATU-R)
// has neither.
enum Col : int {
    AtucCurrSnrMgn,
    AtucCurrAtn,
    AtucCurrAttainableRate,
    AtucCurrOutputPwr,
    AtucCurrStatus, // the status bitmap's first octet: 0x80 noDefect, lower bits defects
    AtucChanCurrTxRate,
    AtucPerfLofs,
    AtucPerfLoss,
    AtucPerfLols,
    AtucPerfLprs,
    AtucPerfESs,
    AtucPerfInits,
    AtucChanReceivedBlks,
    AtucChanTransmittedBlks,
    AtucChanCorrectedBlks,
    AtucChanUncorrectBlks,
    AturCurrSnrMgn,
    AturCurrAtn,
    AturCurrAttainableRate,
    AturCurrOutputPwr,
    AturCurrStatus,
    AturChanCurrTxRate,
    AturPerfLofs,
    AturPerfLoss,
    AturPerfLprs,
    AturPerfESs,
    AturChanReceivedBlks,
    AturChanTransmittedBlks,
    AturChanCorrectedBlks,
    AturChanUncorrectBlks,
    SysUpTime,     // hundredths of a second
    WanInOctets32, // for routers without the 64-bit counters; wraps at 2^32
    WanOutOctets32,
    WanInOctets,
    WanOutOctets,
    ColumnCount
};

std::span<const Column> Columns(); // ColumnCount entries, in Col order

// The status octet's noDefect bit; any other bit set is a defect.
inline constexpr int64_t NoDefect = 0x80;
[[nodiscard]] constexpr bool IsDefect(int64_t status) {
    return (status & ~NoDefect) != 0;
}

// One reading of the line. A value the router did not give (it lacks the object, or the reply
// did not carry it) is nothing, never 0.
struct Sample {
    int64_t time = 0;     // seconds since the epoch, UTC
    int64_t interval = 0; // seconds between samples when it was taken; 0: the default, 60
    std::array<std::optional<int64_t>, ColumnCount> values{};

    [[nodiscard]] const std::optional<int64_t>& operator[](Col c) const { return values[c]; }
    std::optional<int64_t>& operator[](Col c) { return values[c]; }
};

enum class EventKind : int { Resync = 1, LineDown = 2, Restart = 3, LowMargin = 4, ErrorBurst = 5 };
inline constexpr int EventKindCount = 5;

struct Event {
    int64_t time = 0; // seconds since the epoch, UTC: the sample that revealed it
    EventKind kind = EventKind::Resync;
    QString detail; // what changed, e.g. "ATU-C rate 8128 -> 6144 kbit/s, Inits 3 -> 4"
};

// "Resync", "Line down", "Router restart", "Low SNR margin", "Errored seconds burst".
QString EventName(EventKind kind);

struct Thresholds {
    int64_t snrMinTenths = 30; // a margin falling below this is an event
    int64_t esBurst = 10;      // a rise in errored seconds of at least this is an event
};

// The events `now` reveals against the sample before it, at most one of each kind, in kind
// order, each timed at now.time. A comparison needs both values; a missing one reveals nothing.
std::vector<Event> Compare(const Sample& before, const Sample& now, const Thresholds& limits);

// The event as one line of the log view and file, in the style of the syslog server's own
// announcements: "**** Line event: Resync on <long date> at <long time>: <detail> ****".
QString EventLogLine(const Event& event);

// The local time of `time` in the locale's short format, as event lists and marks give it.
QString EventTime(int64_t time);

// The event list as the Tables page shows it, in the order given: each event's time, its name
// and what changed.
QStringList EventLines(const std::vector<Event>& events);

} // namespace core::history
