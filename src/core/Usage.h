// The volume the WAN carried, from the rises of its octet counters between samples: what one
// sample adds, the sums per hour, day, week and month, the table of days and months, the
// allowance's period and its notices, and the CSV export. Volumes are decimal, as ISPs bill
// them. Every query is a plain function over a store, for whichever thread holds it.
#pragma once

#include "History.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace core::history {

class HistoryStore;

inline constexpr int64_t OctetsPerGB = 1'000'000'000;
// More than this many intervals without a sample is a gap.
inline constexpr int64_t GapIntervals = 5;

// What one sample adds. The 64-bit counters where both samples have them, else the 32-bit ones:
// a 32-bit fall while sysUpTime rose is a wrap and counts modulo 2^32; a fall with sysUpTime
// falling (a restart) counts as nothing. A rise across a gap is unplaced: it belongs to no hour.
struct UsageStep {
    int64_t covered = 0;             // seconds since the sample before; 0 across a gap or first
    std::optional<int64_t> down, up; // nothing: no counters to compare
    bool unplaced = false;
};
[[nodiscard]] bool HasOctets(const Sample& s);
// `before`: the previous sample's time; `counted`: the last sample before `now` with octets.
UsageStep MeasureUsage(std::optional<int64_t> before, const std::optional<Sample>& counted,
                       const Sample& now);

enum class UsageGrain { Hour, Day, Week, Month }; // weeks from Monday; days in local time

struct UsageBucket {
    int64_t start = 0, end = 0;      // [start, end), seconds since the epoch
    std::optional<int64_t> down, up; // placed octets; nothing: nothing recorded, never 0
    double hours = 0;                // hours recorded
    int64_t unplacedDown = 0, unplacedUp = 0;
    [[nodiscard]] int64_t Total() const {
        return down.value_or(0) + up.value_or(0) + unplacedDown + unplacedUp;
    }
};

// Buckets of `grain` from the one holding `from` to the one holding `to - 1`, oldest first,
// empty ones included. Hours are the store's (UTC) hours; a day takes the hours that start in
// it, which in a zone off the whole hour moves its edge by the offset's minutes.
std::vector<UsageBucket> UsageBuckets(const HistoryStore& store, int64_t from, int64_t to,
                                      UsageGrain grain);
// One bucket over [from, to), a span's total.
UsageBucket UsageSum(const HistoryStore& store, int64_t from, int64_t to);

struct UsageRow {
    QDate date;         // the day, or the month's first day
    bool month = false; // a month's row, followed by its days
    UsageBucket usage;
};
// A row per month and per day from `since` (or the first recorded day) to the last recorded
// day, newest first: each month's row, then its days.
std::vector<UsageRow> UsageTable(const HistoryStore& store, std::optional<QDate> since = {});

// Octets as a person reads them, decimal: "850.3 MB" under a GB, "12.47 GB" from one on, with
// the locale's separators.
QString VolumeText(int64_t octets, const QLocale& locale);
// The table for the Tables page: a heading, then a line per row in columns of fixed width; what
// was not recorded reads "missing", never 0.
QStringList UsageLines(const std::vector<UsageRow>& rows, const QLocale& locale);

// The allowance: UsageCapGB (0: none) that starts again on UsageCapDay of each month, or on the
// month's last day when it is shorter.
struct Allowance {
    int64_t capGB = 0;
    int capDay = 1;
};
struct AllowancePeriod {
    QDate first, next; // [first, next)
    [[nodiscard]] int64_t Start() const;
    [[nodiscard]] int64_t End() const; // local midnights, seconds since the epoch
};
AllowancePeriod PeriodOf(QDate date, int capDay);
// The octets both ways, unplaced ones included, in the period.
int64_t PeriodUsed(const HistoryStore& store, const AllowancePeriod& period);

struct UsageNotice {
    int percent = 0; // 80 or 100
    int64_t capGB = 0;
    int64_t time = 0; // the sample's
    int64_t used = 0; // octets in the period
    QDate period;     // its first day
};
// "**** Usage: 80% of the monthly allowance of 100 GB used on <long date> at <long time> ****"
QString NoticeLogLine(const UsageNotice& notice);
// After a sample at `time` is stored: the notices to give, each once per period (marked in the
// Write store, so across restarts too). When both are reached at once only 100% is told.
std::vector<UsageNotice> AllowanceNotices(HistoryStore& store, const Allowance& allowance,
                                          int64_t time);

// The table as CSV: "kind,date,down_octets,up_octets,unplaced_down_octets,unplaced_up_octets,
// hours_recorded", kind "month" (date YYYY-MM) or "day" (YYYY-MM-DD), newest first, empty
// fields for what was not recorded, CR LF. False, with the reason in `error`, when the file
// could not be written whole.
bool ExportUsageCsv(const HistoryStore& store, const QString& fileName, std::optional<QDate> since,
                    QString& error);

} // namespace core::history
