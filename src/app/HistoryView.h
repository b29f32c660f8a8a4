// The Traffic Graph page's history views: the recorded line over a span, both line ends as the
// chart's two series, downsampled to the plot's width, with time labels that suit the span and
// the span's events marked on the time axis. The view fills a chart of its own, so the live
// traffic chart underneath is never touched. Its queries run on a thread of its own: a year's
// view takes longer to read than a frame lasts.
#pragma once

#include "core/HistoryStore.h"

#include <QColor>
#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QVector>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

namespace widgets {
class TrafficChart;
struct ChartPoint;
struct ChartMark;
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

// The events of [from, to) as marks, one per pixel column of a plot `columns` wide: events that
// share a column cannot be told apart, so they become one mark whose text counts them by kind.
QVector<widgets::ChartMark> EventMarks(const std::vector<core::history::Event>& events,
                                       int64_t from, int64_t to, int columns);

class HistoryView : public QObject {
    Q_OBJECT

public:
    // Reads the history in `fileName`, which may not exist yet.
    HistoryView(widgets::TrafficChart& chart, QString fileName);
    ~HistoryView() override;
    HistoryView(const HistoryView&) = delete;
    HistoryView& operator=(const HistoryView&) = delete;

    // Draws `show` (not Traffic) over the `span` ending at `now`, once the query is answered;
    // until then the chart keeps what it showed. A request made while one runs replaces any
    // still waiting. Without a history (nothing recorded yet) the chart is empty.
    void Fill(GraphShow show, int span, const QDateTime& now);
    // A request not yet drawn.
    [[nodiscard]] bool Pending() const { return asked_ != shown_; }

signals:
    void Filled();

private:
    struct Query {
        GraphShow show;
        int span;
        int64_t from, to;
        int buckets;
        int labelSlot; // pixels a time label takes
        uint64_t serial;
    };
    struct Answer;
    void Run();
    void Draw(const Answer& answer);

    widgets::TrafficChart& chart_;
    const QString fileName_;
    uint64_t asked_ = 0; // the window's thread only
    uint64_t shown_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Query> next_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace app
