// The Traffic Graph page's history views: chart::HistoryChart's picture of the line history in
// a chart widget of its own, so the live traffic chart underneath is never touched. Its queries
// run on a thread of its own: a year's view takes longer to read than a frame lasts.
#pragma once

#include "chart/HistoryChart.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

namespace widgets {
class TrafficChart;
}

namespace app {

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
    void Fill(chart::GraphShow show, int span, const QDateTime& now);
    // A request not yet drawn.
    [[nodiscard]] bool Pending() const { return asked_ != shown_; }

signals:
    void Filled();

private:
    struct Request {
        chart::HistoryQuery query;
        uint64_t serial;
    };
    void Run();
    void Draw(const chart::HistoryContent& content, uint64_t serial);

    widgets::TrafficChart& chart_;
    const QString fileName_;
    uint64_t asked_ = 0; // the window's thread only
    uint64_t shown_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Request> next_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace app
