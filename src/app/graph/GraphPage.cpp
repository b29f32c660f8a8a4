#include "app/graph/GraphPage.h"

#include "app/Dialogs.h"
#include "app/graph/AllowanceDialog.h"
#include "app/graph/HistoryView.h"
#include "app/pages/PageLayout.h"
#include "core/HistoryStore.h"
#include "core/Seams.h"
#include "core/Settings.h"
#include "report/LineReport.h"
#include "widgets/TrafficChart.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QStackedWidget>
#include <QTimer>
#include <limits>
#include <span>

namespace app {

namespace {

struct TickItem {
    const char* name;
    const char* caption;
    bool core::Settings::*setting;
};
const TickItem TickItems[] = {
    {"N3DChart1", "3D Chart", &core::Settings::Graph3D},
    {"StairChart1", "Stair Chart", &core::Settings::GraphStair},
    {"ShowValues1", "Show Values", &core::Settings::GraphInValue},
    {"ShowPoints1", "Show Points", &core::Settings::GraphInPoint},
    {"ShowValues2", "Show Values", &core::Settings::GraphOutValue},
    {"ShowPoints2", "Show Points", &core::Settings::GraphOutPoint},
};

// A radio item: its tag is its place in the group, `value` the setting it selects.
struct RadioItem {
    const char* name;
    const char* caption;
    int value;
};
const RadioItem IntervalItems[] = {
    {"NoRefresh1", "No Refresh", 0},   {"N1Second1", "1 Second", 1},
    {"N5Second1", "5 Second", 5},      {"N10Second1", "10 Second", 10},
    {"N30Second1", "30 Second", 30},   {"N1Minute1", "1 Minute", 60},
    {"N5Minute1", "5 Minute", 300},    {"N10Minute1", "10 Minute", 600},
    {"N30Minute1", "30 Minute", 1800},
};
const RadioItem ScaleItems[] = {
    {"NDwnStream1", "DownStream", 0}, {"N64Kbit1", "64 Kbit", 64},
    {"N128Kbit1", "128 Kbit", 128},   {"N256Kbit1", "256 Kbit", 256},
    {"N512KBit1", "512 Kbit", 512},   {"N1536KBit1", "1536 Kbit", 1536},
};
const RadioItem ShowItems[] = {
    {"ShowTraffic1", "Traffic (live)", 0},  {"ShowSnrMargin1", "SNR margin", 1},
    {"ShowAttenuation1", "Attenuation", 2}, {"ShowRates1", "Sync and attainable rate", 3},
    {"ShowErrors1", "Errors", 4},           {"ShowUsage1", "Usage", 5},
};
const RadioItem SpanItems[] = {
    {"Span1Hour1", "1 hour", 0},   {"Span24Hours1", "24 hours", 1}, {"Span7Days1", "7 days", 2},
    {"Span30Days1", "30 days", 3}, {"Span1Year1", "1 year", 4},
};

QVector<widgets::ChartPoint> SeriesPoints(const core::SampleWindow& window, bool in) {
    QVector<widgets::ChartPoint> points;
    for (const core::TrafficPoint& p : window.Points())
        points.append({static_cast<double>(p.x), static_cast<double>(in ? p.in : p.out), p.label});
    return points;
}

} // namespace

GraphPage::GraphPage(Window window, core::Settings& settings, core::RouterQuery& query,
                     const core::Statistics& stats)
    : QObject(&window.frame), window_(std::move(window)), settings_(settings),
      sampler_(query, stats, window_.clock) {
    BuildCharts(*window_.pages.widget(GraphsPageIndex));
    BuildMenu();
    for (widgets::TrafficChart* chart : {chart1_, historyChart_}) {
        chart->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(chart, &QWidget::customContextMenuRequested, this,
                [this, chart](const QPoint& at) { popupMenu1_->popup(chart->mapToGlobal(at)); });
    }
    // Shown again, a history view is brought up to date.
    connect(&window_.pages, &QStackedWidget::currentChanged, this, [this](int page) {
        if (page == GraphsPageIndex && settings_.GraphShow != 0) ShowGraphView();
    });
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    connect(timer2_, &QTimer::timeout, this, &GraphPage::Sample);
}

GraphPage::~GraphPage() = default;

void GraphPage::BuildCharts(QWidget& page) {
    chart1_ = new widgets::TrafficChart(&page);
    chart1_->setObjectName(QStringLiteral("Chart1"));
    chart1_->setGeometry(10, 38, 600, 418);
    chart1_->setToolTip(QStringLiteral("Right click for graph options"));
    chart1_->setContextMenuPolicy(Qt::CustomContextMenu);
    historyChart_ = new widgets::TrafficChart(&page);
    historyChart_->setObjectName(QStringLiteral("HistoryChart"));
    historyChart_->setGeometry(chart1_->geometry());
    historyChart_->setToolTip(chart1_->toolTip());
    historyChart_->setAccessibleName(QStringLiteral("Line history graph"));
    historyChart_->hide();
    historyView_ = std::make_unique<HistoryView>(*historyChart_,
                                                 core::history::HistoryStore::DefaultFileName());
}

void GraphPage::BuildMenu() {
    popupMenu1_ = new QMenu(&window_.frame);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    auto tick = [this](QMenu* menu, const TickItem& item) {
        QAction* action = menu->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, action] { TickItemClicked(action); });
    };
    auto radio = [this](QMenu* menu, std::span<const RadioItem> items,
                        void (GraphPage::*handler)(QAction*)) {
        auto* group = new QActionGroup(menu);
        for (std::size_t i = 0; i < items.size(); ++i) {
            QAction* action = menu->addAction(QString::fromLatin1(items[i].caption));
            action->setObjectName(QString::fromLatin1(items[i].name));
            action->setCheckable(true);
            action->setData(static_cast<int>(i)); // the tag
            group->addAction(action);
            connect(action, &QAction::triggered, this,
                    [this, action, handler] { (this->*handler)(action); });
        }
    };
    auto submenu = [this](const char* caption, const char* name) {
        QMenu* menu = popupMenu1_->addMenu(QString::fromLatin1(caption));
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    tick(popupMenu1_, TickItems[0]);
    tick(popupMenu1_, TickItems[1]);
    popupMenu1_->addSeparator();
    radio(submenu("Refresh Interval", "RefreshInterval1"), IntervalItems,
          &GraphPage::IntervalItemClicked);
    radio(submenu("Graph Scale", "GraphScale1"), ScaleItems, &GraphPage::ScaleItemClicked);
    popupMenu1_->addSeparator();
    QMenu* down = submenu("DownStream", "DownStream1");
    tick(down, TickItems[2]);
    tick(down, TickItems[3]);
    QMenu* up = submenu("UpStream", "UpStream1");
    tick(up, TickItems[4]);
    tick(up, TickItems[5]);
    popupMenu1_->addSeparator();
    radio(submenu("Show", "Show1"), ShowItems, &GraphPage::ShowItemClicked);
    radio(submenu("Span", "Span1"), SpanItems, &GraphPage::SpanItemClicked);
    QAction* exportHistory = popupMenu1_->addAction(QStringLiteral("Export history as CSV\u2026"));
    exportHistory->setObjectName(QStringLiteral("ExportHistory1"));
    connect(exportHistory, &QAction::triggered, this, &GraphPage::ExportHistory);
    QAction* report = popupMenu1_->addAction(QStringLiteral("Line report\u2026"));
    report->setObjectName(QStringLiteral("LineReport1"));
    connect(report, &QAction::triggered, this, &GraphPage::LineReport);
    QAction* allowance = popupMenu1_->addAction(QStringLiteral("Monthly allowance\u2026"));
    allowance->setObjectName(QStringLiteral("MonthlyAllowance1"));
    connect(allowance, &QAction::triggered, this, &GraphPage::EditAllowance);
    QAction* notify = popupMenu1_->addAction(QStringLiteral("Notify line events"));
    notify->setObjectName(QStringLiteral("NotifyEvents1"));
    notify->setCheckable(true);
    connect(notify, &QAction::triggered, this, [this, notify] { NotifyEventsClicked(notify); });
}

QAction* GraphPage::MenuItem(const char* name) const {
    return popupMenu1_->findChild<QAction*>(QString::fromLatin1(name));
}

void GraphPage::ApplyLook() {
    chart1_->Set3D(settings_.Graph3D);
    for (int series = 0; series < 2; ++series) {
        chart1_->SetLineWidth(series, settings_.Graph3D ? 1 : 2);
        chart1_->SetStairs(series, settings_.GraphStair);
    }
    chart1_->SetShowValues(0, settings_.GraphInValue);
    chart1_->SetShowPoints(0, settings_.GraphInPoint);
    chart1_->SetShowValues(1, settings_.GraphOutValue);
    chart1_->SetShowPoints(1, settings_.GraphOutPoint);
}

void GraphPage::TickItemClicked(QAction* item) {
    for (const TickItem& tick : TickItems)
        if (item->objectName() == QLatin1String(tick.name))
            settings_.*tick.setting = item->isChecked();
    ApplyLook();
}

void GraphPage::IntervalItemClicked(QAction* item) {
    item->setChecked(true);
    settings_.GraphRefreshInt = IntervalItems[item->data().toInt()].value;
    StartSampling();
}

void GraphPage::ScaleItemClicked(QAction* item) {
    item->setChecked(true);
    settings_.GraphScale = ScaleItems[item->data().toInt()].value;
    SetScale();
}

void GraphPage::RestoreState() {
    for (const TickItem& item : TickItems)
        MenuItem(item.name)->setChecked(settings_.*item.setting);
    ApplyLook();
    // A stored value that no item offers ticks none, and is used all the same.
    auto tickValue = [this](std::span<const RadioItem> items, int value) {
        for (const RadioItem& item : items)
            MenuItem(item.name)->setChecked(item.value == value);
    };
    tickValue(IntervalItems, settings_.GraphRefreshInt);
    tickValue(ScaleItems, settings_.GraphScale);
    tickValue(ShowItems, settings_.GraphShow);
    tickValue(SpanItems, settings_.GraphSpan);
    MenuItem("NotifyEvents1")->setChecked(settings_.HistoryNotify);
    SetScale();
    StartSampling();
    ShowGraphView();
}

void GraphPage::ShowItemClicked(QAction* item) {
    item->setChecked(true);
    settings_.GraphShow = ShowItems[item->data().toInt()].value;
    ShowGraphView();
}

void GraphPage::SpanItemClicked(QAction* item) {
    item->setChecked(true);
    settings_.GraphSpan = SpanItems[item->data().toInt()].value;
    ShowGraphView();
}

void GraphPage::NotifyEventsClicked(QAction* item) {
    settings_.HistoryNotify = item->isChecked();
}

void GraphPage::ShowGraphView() {
    // A stored value no item offers shows the live traffic.
    const int show = settings_.GraphShow;
    const bool history = show > 0 && show < chart::GraphShowCount;
    for (const RadioItem& item : SpanItems)
        MenuItem(item.name)->setEnabled(history);
    if (history)
        historyView_->Fill(static_cast<chart::GraphShow>(show), settings_.GraphSpan,
                           window_.clock.Now());
    historyChart_->setVisible(history);
    chart1_->setVisible(!history);
}

void GraphPage::HistoryChanged() {
    if (settings_.GraphShow != 0 && window_.pages.currentIndex() == GraphsPageIndex)
        ShowGraphView();
}

void GraphPage::ExportHistory() {
    const std::optional<QString> path = window_.saveDialog.Execute(
        &window_.frame, QStringLiteral("Please choose filename and path for the CSV file"),
        QStringLiteral("LineHistory"), {3, QStringLiteral("csv")});
    if (!path) return;
    QString error = QStringLiteral("No line history has been recorded yet.");
    bool written = false;
    {
        // A year of history takes a moment to write.
        core::BusyCursorScope busy(window_.cursor);
        const core::history::HistoryStore* store = window_.history();
        written = store != nullptr && store->ExportCsv(*path, std::nullopt, error);
    }
    if (!written) window_.messages.Error(&window_.frame, error);
}

void GraphPage::LineReport() {
    const std::optional<QString> path = window_.saveDialog.Execute(
        &window_.frame, QStringLiteral("Please choose filename and path for the line report"),
        QStringLiteral("LineReport"), {4, QStringLiteral("pdf")});
    if (!path) return;
    QString error;
    bool written = false;
    {
        core::BusyCursorScope busy(window_.cursor);
        // Before anything is recorded the report says the history is empty: a store that is
        // not open reads as one.
        const core::history::HistoryStore unopened(core::history::HistoryStore::DefaultFileName(),
                                                   core::history::HistoryStore::Mode::Read);
        const core::history::HistoryStore* store = window_.history();
        written = report::LineReport::Write(*path, store != nullptr ? *store : unopened,
                                            report::DefaultDays, window_.clock.Now(), error);
    }
    if (!written) window_.messages.Error(&window_.frame, error);
}

void GraphPage::EditAllowance() {
    if (AllowanceDialog::Edit(&window_.frame, settings_) && !window_.saveSettings())
        window_.messages.Error(&window_.frame, QStringLiteral("The settings could not be saved."));
}

void GraphPage::StartSampling() {
    timer2_->stop();
    // Held to what a millisecond timer interval can express.
    const int seconds = std::min(settings_.GraphRefreshInt, std::numeric_limits<int>::max() / 1000);
    if (sampler_.Start(seconds)) {
        timer2_->setInterval(seconds * 1000);
        timer2_->start();
    }
}

void GraphPage::Sample() {
    sampler_.Tick();
    chart1_->SetPoints(0, SeriesPoints(sampler_.Window(), true));
    FollowNewest(*chart1_, static_cast<int>(chart1_->Series(0).points.size()) - 1);
    chart1_->SetPoints(1, SeriesPoints(sampler_.Window(), false));
}

void GraphPage::FollowNewest(widgets::TrafficChart& chart, int valueIndex) {
    // The maximum first, then the minimum.
    const double newest = chart.Series(0).points.at(valueIndex).x;
    chart.SetBottomAxis(chart.BottomMin(), newest);
    chart.SetBottomAxis(newest - 24, newest);
}

void GraphPage::SetScale() {
    const int scale = sampler_.Scale(settings_.GraphScale);
    chart1_->SetLeftAxis(scale, scale / 16);
}

void GraphPage::Clear() {
    sampler_.Clear();
    chart1_->SetPoints(0, {});
    chart1_->SetPoints(1, {});
}

void GraphPage::Save() {
    const std::optional<QString> path = window_.saveDialog.Execute(
        &window_.frame, QStringLiteral("Please choose filename and path for BMP file"),
        QStringLiteral("TrafficGraph"), {1, QStringLiteral("bmp")});
    if (!path) return;
    const widgets::TrafficChart* shown = historyChart_->isHidden() ? chart1_ : historyChart_;
    if (!shown->Render(shown->size()).save(*path, "BMP"))
        window_.messages.Error(&window_.frame,
                               QStringLiteral("Cannot create file \"%1\".").arg(*path));
}

} // namespace app
