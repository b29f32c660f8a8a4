// The Traffic Graph page: the live chart `Chart1` with its sampler and timer `Timer2`, its popup
// menu `PopupMenu1` of view options, the Clear and Save actions, and the line history's views
// (HistoryView), drawn on a chart of their own in the live chart's place, so the live one samples
// on untouched underneath. The counter reads, the rate arithmetic and the window of points are the
// core's TrafficSampler.
#pragma once

#include "core/TrafficSampler.h"

#include <QObject>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QStackedWidget;
class QTimer;
class QWidget;

namespace core {
class Cursor;
struct Settings;
} // namespace core

namespace core::history {
class HistoryStore;
}

namespace widgets {
class TrafficChart;
}

namespace app {

class HistoryView;
class MessageBoxes;
class SaveDialog;

class GraphPage final : public QObject {
    Q_OBJECT

public:
    // What the page uses of the window: its frame (the menu's and the dialogs' parent), its page
    // stack (the page shown), the side effects, and the history for the export (null until one
    // has been recorded).
    struct Window {
        QWidget& frame;
        QStackedWidget& pages;
        core::Clock& clock;
        core::Cursor& cursor;
        MessageBoxes& messages;
        SaveDialog& saveDialog;
        std::function<const core::history::HistoryStore*()> history;
        std::function<bool()> saveSettings; // false when they could not be written
    };
    GraphPage(Window window, core::Settings& settings, core::RouterQuery& query,
              const core::Statistics& stats);
    ~GraphPage() override;

    // The settings' look, intervals, scale, view and span on the chart and the menu, then the
    // scale, the sampler and the view.
    void RestoreState();
    // Stops the sampler and, when sampling is on and the router is there, primes and starts it.
    void StartSampling();
    // One sample: a point on each series, the time axis following the newest.
    void Sample();
    // The newest point of `chart`'s first series at the right edge with the 24 before it.
    static void FollowNewest(widgets::TrafficChart& chart, int valueIndex);
    // The rate axis from GraphScale (0: the line's downstream rate).
    void SetScale();
    void Clear();
    void Save();
    // A sample has been written: an open history view follows.
    void HistoryChanged();

    // The menu's handlers, each given the clicked item.
    void TickItemClicked(QAction* item);     // 3D, stairs, values and points
    void IntervalItemClicked(QAction* item); // every Refresh Interval item
    void ScaleItemClicked(QAction* item);    // every Graph Scale item
    void ShowItemClicked(QAction* item);     // every Show item: live traffic or a history view
    void SpanItemClicked(QAction* item);     // every Span item
    void ExportHistory();
    // The PDF for the ISP's help desk over the last report::DefaultDays days.
    void LineReport();
    // UsageCapGB and UsageCapDay in their dialog; saved once accepted.
    void EditAllowance();
    void NotifyEventsClicked(QAction* item);

    [[nodiscard]] widgets::TrafficChart* Chart1() const { return chart1_; }
    [[nodiscard]] widgets::TrafficChart* HistoryChart() const { return historyChart_; }
    [[nodiscard]] HistoryView* HistoryViewer() const { return historyView_.get(); }
    [[nodiscard]] QTimer* Timer2() const { return timer2_; }
    [[nodiscard]] QMenu* PopupMenu1() const { return popupMenu1_; }
    // A popup menu item by its name ("N3DChart1", "N5Second1"); nullptr when there is none.
    [[nodiscard]] QAction* MenuItem(const char* name) const;

private:
    void BuildCharts(QWidget& page);
    void BuildMenu();
    void ApplyLook();     // the live chart's look from the Graph settings
    void ShowGraphView(); // the live chart or the history view GraphShow picks

    Window window_;
    core::Settings& settings_;
    core::TrafficSampler sampler_;
    widgets::TrafficChart* chart1_ = nullptr;
    widgets::TrafficChart* historyChart_ = nullptr; // in chart1_'s place while a history view is
    std::unique_ptr<HistoryView> historyView_;
    QMenu* popupMenu1_ = nullptr;
    QTimer* timer2_ = nullptr;
};

} // namespace app
