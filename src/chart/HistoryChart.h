// The line history as a chart: the recorded line over a span, both line ends as the chart's two
// series, downsampled to the plot's width, with time labels that suit the span and the span's
// events marked on the time axis. The window's history views, the report and the web pages all
// draw through here, so they show the same picture.
//
// In three steps, for a caller that reads on another thread: AskHistory on the thread that owns
// the fonts, ReadHistory on the store's thread (no fonts, no painting), ShowHistory into the
// model. FillHistoryChart does all three at once.
#pragma once

#include "chart/ChartModel.h"
#include "core/History.h"
#include "core/Usage.h"

#include <QColor>
#include <QDateTime>
#include <QSize>
#include <QVector>
#include <array>
#include <cstdint>
#include <vector>

namespace core::history {
class HistoryStore;
}

namespace chart {

// What the Graph page shows, as Settings::GraphShow counts.
enum class GraphShow { Traffic = 0, SnrMargin, Attenuation, Rates, Errors, Usage };
inline constexpr int GraphShowCount = 6;

// The spans, as Settings::GraphSpan counts: 1 hour, 24 hours, 7, 30 and 365 days.
inline constexpr std::array<int64_t, 5> SpanSeconds = {3600, 24 * 3600, 7 * 24 * 3600,
                                                       30 * 24 * 3600, 365 * 24 * 3600};

// Labels at whole local hours, days or months in [from, to], in the span's format ("h:mm",
// "ddd h:00", "d MMM", "MMM yyyy"), at the smallest step whose labels, `slot` pixels each, fit
// into `width` pixels.
QVector<ChartPoint> TimeLabels(int64_t from, int64_t to, int span, int width, int slot);

// The colour an event is marked in.
QColor EventColour(core::history::EventKind kind);

// The events of [from, to) as marks, one per pixel column of a plot `columns` wide: events that
// share a column cannot be told apart, so they become one mark whose text counts them by kind.
QVector<ChartMark> EventMarks(const std::vector<core::history::Event>& events, int64_t from,
                              int64_t to, int columns);

// One history chart to draw: `show` (not Traffic) over the span [from, to].
struct HistoryQuery {
    GraphShow show = GraphShow::SnrMargin;
    int span = 0;
    int64_t from = 0, to = 0;
    int buckets = 1;   // one per pixel of the plot: more could not be told apart
    int labelSlot = 0; // pixels a time label takes
};

// What a query read from the store, ready to show.
struct HistoryContent {
    HistoryQuery query;
    std::array<QVector<ChartPoint>, 2> points, companions;
    double top = 0; // the highest value shown
    QVector<ChartPoint> labels;
    QVector<ChartMark> marks;
    // Usage only: the bars' width in seconds, their unit, and the sum of the buckets shown.
    double barWidth = 0;
    bool inGB = false;
    core::history::UsageBucket usage;
};

// A rate axis from 0 to at least `top` with about eight steps of 1, 2 or 5 times a power of ten;
// whole steps only when `whole`.
void ScaleLeftAxis(ChartModel& model, double top, bool whole);

// The query for `show` over the `span` (0 to 4, held to it) ending at `now`, for a plot
// `plotWidth` pixels wide. Measures text: on a thread that may use fonts.
[[nodiscard]] HistoryQuery AskHistory(GraphShow show, int span, const QDateTime& now,
                                      int plotWidth);
// Reads the query's series, companions and events; `store` may be null (nothing recorded yet):
// then the chart is empty. Uses no fonts: on any thread that may use the store.
[[nodiscard]] HistoryContent ReadHistory(const core::history::HistoryStore* store,
                                         const HistoryQuery& query);
// Titles, points, units, axes, labels and marks of `content` into `model`; its look (3D, line
// widths, stairs) stays as it was.
void ShowHistory(ChartModel& model, const HistoryContent& content);

// The three at once: `model` shows `show` over `span` ending at `now` as drawn at `size`.
void FillHistoryChart(ChartModel& model, const core::history::HistoryStore* store, GraphShow show,
                      int span, QSize size, const QDateTime& now);

} // namespace chart
