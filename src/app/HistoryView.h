// The Traffic Graph page's history views: the recorded line over a span, both line ends as the
// chart's two series, downsampled to the plot's width, with time labels that suit the span and
// the span's events marked on the time axis. The view fills a chart of its own, so the live
// traffic chart underneath is never touched.
#pragma once

#include "HistoryStore.h"

#include <QColor>
#include <QDateTime>
#include <QStringList>
#include <QVector>
#include <array>
#include <cstdint>

namespace widgets {
class TrafficChart;
struct ChartPoint;
} // namespace widgets

namespace app {

// What the Graph page shows, as Settings::GraphShow counts.
enum class GraphShow { Traffic = 0, SnrMargin, Attenuation, Rates, Errors };
inline constexpr int GraphShowCount = 5;

// The spans, as Settings::GraphSpan counts: 1 hour, 24 hours, 7, 30 and 365 days.
inline constexpr std::array<int64_t, 5> SpanSeconds = {3600, 24 * 3600, 7 * 24 * 3600,
                                                       30 * 24 * 3600, 365 * 24 * 3600};

// Labels at whole local hours, days or months in [from, to], in the span's format ("h:mm",
// "ddd h:00", "d MMM", "MMM yyyy"), at the smallest step whose labels, `slot` pixels each, fit
// into `width` pixels.
QVector<widgets::ChartPoint> TimeLabels(int64_t from, int64_t to, int span, int width, int slot);

// The colour an event is marked in.
QColor EventColour(core::history::EventKind kind);

// The event list as the Tables page shows it: newest first, the local time in the locale's short
// format, the event's name and what changed.
QStringList EventLines(const std::vector<core::history::Event>& events);

class HistoryView {
public:
    explicit HistoryView(widgets::TrafficChart& chart) : chart_(chart) {}

    // Draws `show` (not Traffic) over the `span` ending at `now` from `store`; without a store
    // (nothing recorded yet) the chart is empty.
    void Fill(const core::history::HistoryStore* store, GraphShow show, int span,
              const QDateTime& now);

private:
    widgets::TrafficChart& chart_;
};

} // namespace app
