#include "TrafficSampler.h"

#include "snmp/Codec.h"

#include <limits>

namespace core {

std::optional<int64_t> CounterReading(std::string_view text) {
    // A reading is a value text with a number at its front; any other (an unanswered "NULL")
    // is no reading at all, where the leading-integer reader would say 0.
    std::size_t at = text.find_first_not_of(" \t");
    if (at != std::string_view::npos && (text[at] == '+' || text[at] == '-')) ++at;
    if (at >= text.size() || text[at] < '0' || text[at] > '9') return std::nullopt;
    return snmp::LeadingInteger(text);
}

int64_t RateKbps(int64_t octets, std::chrono::milliseconds elapsed) {
    if (elapsed.count() < 1) return 0;
    // Only a counter that jumps by more than an exabyte could overflow the * 8; it is held.
    constexpr int64_t limit = std::numeric_limits<int64_t>::max() / 8;
    // Bits per millisecond are kbit/s.
    return (octets > limit ? limit : octets) * 8 / elapsed.count();
}

QString SampleLabel(const QTime& time) {
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral(" %1:%2:%3")
        .arg(hour)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}

void SampleWindow::Add(TrafficPoint point) {
    points_.push_back(std::move(point));
    if (static_cast<int>(points_.size()) > Size) points_.pop_front();
}

TrafficSampler::TrafficSampler(RouterQuery& query, const Statistics& stats, Clock& clock)
    : query_(query), stats_(stats), clock_(clock) {}

std::optional<TrafficSampler::Reading> TrafficSampler::Read(bool in) {
    // Decided at every read: the General page's fetch may have found the 64-bit counters gone.
    std::string suffix = stats_.UseHCCounters
                             ? (in ? "31.1.1.1.6." : "31.1.1.1.10.") + stats_.WanIfxIndex
                             : (in ? "2.2.1.10." : "2.2.1.16.") + stats_.WanIfIndex;
    const std::optional<int64_t> octets = CounterReading(query_.Get(suffix));
    // Stamped when the reply is in: the agent read its counter a round trip's half before.
    if (!octets) return std::nullopt;
    return Reading{*octets, std::move(suffix), clock_.Monotonic()};
}

bool TrafficSampler::Start(int intervalSeconds) {
    if (intervalSeconds < 1 || !query_.RouterPresent) return false;
    prevIn_ = Read(true);
    prevOut_ = Read(false);
    return true;
}

int64_t TrafficSampler::Step(std::optional<Reading> reading, std::optional<Reading>& base) {
    if (!reading) return 0;
    const bool measurable =
        base && base->source == reading->source && reading->octets >= base->octets;
    const int64_t rate = measurable
                             ? RateKbps(reading->octets - base->octets,
                                        std::chrono::duration_cast<std::chrono::milliseconds>(
                                            reading->at - base->at))
                             : 0;
    base = std::move(reading);
    return rate;
}

const TrafficPoint& TrafficSampler::Tick() {
    std::optional<Reading> in = Read(true);
    std::optional<Reading> out = Read(false);
    TrafficPoint point;
    point.x = sampleCount_++;
    point.out = Step(std::move(out), prevOut_);
    point.in = Step(std::move(in), prevIn_);
    point.label = SampleLabel(clock_.Now().time());
    window_.Add(std::move(point));
    return window_.Points().back();
}

int TrafficSampler::Scale(int graphScale) {
    if (graphScale != 0) return graphScale;
    if (!query_.RouterPresent) return FallbackScale;
    // The exchange end's transmit rate is the downstream rate, in bit/s.
    const std::optional<int64_t> rate =
        CounterReading(query_.Get("10.94.1.1.4.1.2." + stats_.AdslIfIndex));
    const int64_t kbps = rate && *rate >= std::numeric_limits<int32_t>::min() &&
                                 *rate <= std::numeric_limits<int32_t>::max()
                             ? *rate / 1000
                             : 0;
    return kbps != 0 ? static_cast<int>(kbps) : FallbackScale;
}

} // namespace core
