// The line history on disk: an SQLite database (WAL, one transaction per sample, a versioned
// schema) holding raw samples for RawDays, hourly min/avg/max roll-ups for HourlyDays, and the
// events. One object per thread: the recorder's writer holds one, the window another for its
// views, the headless export a read-only one; WAL lets them work side by side.
#pragma once

#include "History.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace core::history {

// One bucket of a view: the values of one column over [time, time + bucket width). For a
// counter column the values are its rise within the bucket (a restart's fall counts as nothing).
struct ViewPoint {
    int64_t time = 0; // the bucket's start, seconds since the epoch
    double min = 0;
    double avg = 0;
    double max = 0;
};

// One hour's sums, what the usage and the line report are built from. What nothing in the hour
// gave is nothing, never 0.
struct HourSummary {
    int64_t time = 0;                // the hour's start, seconds since the epoch
    int64_t covered = 0;             // seconds the samples in it account for, gaps excluded
    std::optional<int64_t> down, up; // WAN octets placed in the hour (in, out)
    int64_t unplacedDown = 0, unplacedUp = 0;      // rises across a gap that ended in the hour
    std::optional<int64_t> esAtuc, esAtur;         // errored seconds' rise
    std::optional<int64_t> snrMinAtuc, snrMinAtur; // lowest SNR margin, tenths of a dB
};

class HistoryStore {
public:
    static constexpr int64_t RawDays = 31;
    static constexpr int64_t HourlyDays = 731;

    enum class Mode { Write, Read };

    // $XDG_DATA_HOME/Corvane/LineScope/history.sqlite
    static QString DefaultFileName();

    HistoryStore(QString fileName, Mode mode);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the database; in Write mode creates it (and its directory) or migrates it to the
    // current schema. A file that cannot be opened or fails its check is renamed aside and, in
    // Write mode, a new one started; Problem() then says where the old one went. False when no
    // usable database could be had. A Read store never creates, migrates or moves anything.
    bool Open();
    [[nodiscard]] const QString& Problem() const { return problem_; }
    [[nodiscard]] const QString& FileName() const { return fileName_; }

    // One transaction: the sample, its events, the hourly roll-up of every hour that ended
    // before it, and the removal of what has outlived its keeping. All or nothing.
    bool Add(const Sample& sample, std::span<const Event> events);

    // The newest raw sample, if any.
    [[nodiscard]] std::optional<Sample> Last() const;

    // `column` over [from, to) in `buckets` equal buckets, oldest first; empty buckets are left
    // out. Raw samples where they are kept, hourly roll-ups before that.
    [[nodiscard]] std::vector<ViewPoint> Series(Col column, int64_t from, int64_t to,
                                                int buckets) const;
    // Events in [from, to), newest first.
    [[nodiscard]] std::vector<Event> Events(int64_t from, int64_t to) const;

    // The hours in [from, to) that hold samples, oldest first; `from` is taken to its hour.
    [[nodiscard]] std::vector<HourSummary> Hours(int64_t from, int64_t to) const;
    // The first and the last sample's time, over both tiers; nothing when there are none.
    [[nodiscard]] std::optional<std::pair<int64_t, int64_t>> Extent() const;

    // The router's identity line (sysDescr, as the General page shows it) and when it was first
    // and last seen; the last sighting is kept to the hour.
    struct Identity {
        QString line;
        int64_t first = 0, last = 0; // seconds since the epoch
    };
    // Write mode: the router showed `line` at `time`. A line other than the newest one starts a
    // row of its own. False, with the reason in Problem(), when it could not be stored.
    bool RecordIdentity(const QString& line, int64_t time);
    // The newest identity line recorded; nothing before the recorder has posted one.
    [[nodiscard]] std::optional<Identity> LastIdentity() const;

    // Write mode: marks the allowance notice `percent` of `capGB` for the period starting
    // `period` as given at `time`. True only the first time, so once holds across restarts.
    bool MarkNotice(QDate period, int percent, int64_t capGB, int64_t time);

    // Writes the CSV export: a header row, then one row per hour of the rolled-up periods and
    // one per raw sample, oldest first, times in ISO 8601 (local, with the offset). Columns:
    // time, kind ("hour" or "sample"), samples, then per column <name> (a sample's value),
    // <name>_min, <name>_avg, <name>_max (an hour's; a counter's max is its last value) and, for
    // a counter, <name>_rise (its rise in the hour, or since the sample before). Only rows from
    // `since` (local midnight) on when given. False, with the reason in `error`, when the file
    // could not be written whole.
    bool ExportCsv(const QString& fileName, std::optional<QDate> since, QString& error) const;

private:
    struct Impl;
    QString fileName_;
    Mode mode_;
    QString problem_;
    std::unique_ptr<Impl> impl_;
};

} // namespace core::history
