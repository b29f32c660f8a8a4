// The traffic graph's data side: reading the WAN octet counters, turning two readings into a rate
// in kbit/s, and the window of the last 25 samples. The chart only draws what this holds.
#pragma once

#include "RouterQuery.h"
#include "Statistics.h"

#include <QString>
#include <QTime>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// A counter text's leading integer (blanks, an optional sign, digits), held to the signed 64-bit
// range; nothing when the text has no leading digits (an unanswered read).
std::optional<int64_t> CounterReading(std::string_view text);
// kbit/s (1 kbit = 1000 bits) from an octet delta over the time between its two readings,
// truncating; 0 when no time passed.
int64_t RateKbps(int64_t octets, std::chrono::milliseconds elapsed);
// The time axis label: "a/p h:nn:ss" without the marker, so " 3:04:05" at 15:04:05.
QString SampleLabel(const QTime& time);

struct TrafficPoint {
    int64_t x = 0;
    int64_t in = 0;  // kbit/s
    int64_t out = 0; // kbit/s
    QString label;
};

// The last Size samples of both directions, oldest first.
class SampleWindow {
public:
    static constexpr int Size = 25;
    void Add(TrafficPoint point);
    void Clear() { points_.clear(); }
    [[nodiscard]] const std::deque<TrafficPoint>& Points() const { return points_; }

private:
    std::deque<TrafficPoint> points_;
};

class TrafficSampler {
public:
    static constexpr int FallbackScale = 1536;

    TrafficSampler(RouterQuery& query, const Statistics& stats, Clock& clock);

    // Primes the remembered readings when sampling is on (interval of at least 1 s) and the router
    // is present; false when sampling stays off and the readings are left alone. An unanswered
    // read leaves no reading: the next answered one becomes the base.
    bool Start(int intervalSeconds);
    // One sample: two reads, two rates over the time that passed since the remembered readings
    // (a blocked window delays a tick, and the delayed one must not show the traffic of several
    // intervals as one), one point at GraphSampleCount, which then moves on.
    const TrafficPoint& Tick();
    // The rate axis maximum for a GraphScale setting: the setting itself, or for 0 the
    // downstream line rate in kbit/s, FallbackScale when that cannot be read or is below 1.
    [[nodiscard]] int Scale(int graphScale);
    // Removes the points; the count and the readings stay, so sampling continues where it was.
    void Clear() { window_.Clear(); }

    [[nodiscard]] const SampleWindow& Window() const { return window_; }
    [[nodiscard]] int64_t GraphSampleCount() const { return sampleCount_; }
    [[nodiscard]] std::optional<int64_t> PrevInOctets() const { return Octets(prevIn_); }
    [[nodiscard]] std::optional<int64_t> PrevOutOctets() const { return Octets(prevOut_); }

private:
    struct Reading {
        int64_t octets = 0;
        std::string source; // the counter's OID suffix: 32 or 64 bits, and which interface
        std::chrono::steady_clock::time_point at;
    };
    static std::optional<int64_t> Octets(const std::optional<Reading>& r) {
        return r ? std::optional(r->octets) : std::nullopt;
    }
    // A counter read; nothing when unanswered. Sends nothing while the router is absent.
    std::optional<Reading> Read(bool in);
    // The rate since `base`, which moves to the reading. A reading with nothing to measure from
    // (no base yet, another counter than the base's, or a lower one: a restarted router, a
    // wrapped 32-bit counter) plots 0 and becomes the base; an unanswered one plots 0 and keeps
    // the base.
    static int64_t Step(std::optional<Reading> reading, std::optional<Reading>& base);

    RouterQuery& query_;
    const Statistics& stats_;
    Clock& clock_;
    SampleWindow window_;
    int64_t sampleCount_ = 0;
    std::optional<Reading> prevIn_;
    std::optional<Reading> prevOut_;
};

} // namespace core
