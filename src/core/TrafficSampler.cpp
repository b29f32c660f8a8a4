#include "TrafficSampler.h"

#include "Codec.h"

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

int64_t RateKbps(int64_t octets, int intervalSeconds) {
    if (intervalSeconds < 1) return 0;
    // Only a counter that jumps by more than an exabyte could overflow the * 8; it is held.
    constexpr int64_t limit = std::numeric_limits<int64_t>::max() / 8;
    return (octets > limit ? limit : octets) * 8 / intervalSeconds / 1000;
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

std::optional<int64_t> TrafficSampler::Read(bool in) {
    // Decided at every read: the General page's fetch may have found the 64-bit counters gone.
    const std::string suffix = stats_.UseHCCounters
                                   ? (in ? "31.1.1.1.6." : "31.1.1.1.10.") + stats_.WanIfxIndex
                                   : (in ? "2.2.1.10." : "2.2.1.16.") + stats_.WanIfIndex;
    return CounterReading(query_.Get(suffix));
}

bool TrafficSampler::Start(int intervalSeconds) {
    if (intervalSeconds < 1 || !query_.RouterPresent) return false;
    prevIn_ = Read(true).value_or(0);
    prevOut_ = Read(false).value_or(0);
    return true;
}

int64_t TrafficSampler::Step(std::optional<int64_t> reading, int64_t& previous,
                             int intervalSeconds) {
    if (!reading) return 0;
    if (*reading < previous) {
        previous = *reading;
        return 0;
    }
    const int64_t rate = RateKbps(*reading - previous, intervalSeconds);
    previous = *reading;
    return rate;
}

const TrafficPoint& TrafficSampler::Tick(int intervalSeconds) {
    const std::optional<int64_t> in = Read(true);
    const std::optional<int64_t> out = Read(false);
    TrafficPoint point;
    point.x = sampleCount_++;
    point.out = Step(out, prevOut_, intervalSeconds);
    point.in = Step(in, prevIn_, intervalSeconds);
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
