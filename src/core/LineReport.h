// The line report's data: rules of thumb that judge a line's numbers, and one row per day of
// what the line went through. No drawing; the window lays it out.
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace core::history {

class HistoryStore;

enum class Measure { SnrMargin, Attenuation, DailyResyncs };

// One band of a measure: values below `limit` (or up to it, when `inclusive`) that no earlier
// band of the measure took get `verdict`. dB in tenths, as the history keeps them.
struct RuleOfThumb {
    Measure measure;
    int64_t limit;
    bool inclusive;
    const char* verdict; // empty: nothing to say
};
std::span<const RuleOfThumb> RulesOfThumb(); // by measure, bands in rising order
QString Verdict(Measure measure, int64_t value);

// One day. What was not recorded is nothing, never 0: the event counts are there when the day
// holds samples or events.
struct LineDay {
    QDate date;
    std::optional<int> resyncs, drops, restarts;
    std::optional<int64_t> esAtuc, esAtur;         // errored seconds at each end
    std::optional<int64_t> snrMinAtuc, snrMinAtur; // lowest SNR margin, tenths of a dB
    double hours = 0;                              // hours recorded
    QString note;                                  // the resyncs' verdict ("unstable") or empty
};
// Days [first, last], oldest first.
std::vector<LineDay> LineReportDays(const HistoryStore& store, QDate first, QDate last);

} // namespace core::history
