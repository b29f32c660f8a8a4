// The traffic graph's side of the main window: the chart on the Graph page, its popup menu of view
// options, the sampling timer and the Clear and Save buttons. The counter reads, the rate
// arithmetic and the window of points are the core's TrafficSampler; these stay short delegations.
// The menu also picks the line history's views (HistoryView), which are drawn on a chart of their
// own in the live chart's place, so the live one samples on untouched underneath.
#include "app/graph/HistoryView.h"
#include "Main.h"
#include "widgets/RollOverBtn.h"
#include "widgets/TrafficChart.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QStackedWidget>
#include <QTimer>
#include <limits>

namespace {

struct TickItem {
    const char* name;
    const char* caption;
    bool core::Settings::*setting;
    void (TForm1::*handler)(QAction*);
};
const TickItem TickItems[] = {
    {"N3DChart1", "3D Chart", &core::Settings::Graph3D, &TForm1::N3DChart1Click},
    {"StairChart1", "Stair Chart", &core::Settings::GraphStair, &TForm1::StairChart1Click},
    {"ShowValues1", "Show Values", &core::Settings::GraphInValue, &TForm1::ShowValues1Click},
    {"ShowPoints1", "Show Points", &core::Settings::GraphInPoint, &TForm1::ShowPoints1Click},
    {"ShowValues2", "Show Values", &core::Settings::GraphOutValue, &TForm1::ShowValues2Click},
    {"ShowPoints2", "Show Points", &core::Settings::GraphOutPoint, &TForm1::ShowPoints2Click},
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
    {"ShowErrors1", "Errors", 4},
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

void TForm1::BuildGraphPage() {
    chart1_ = new widgets::TrafficChart(Page(app::GraphsPageIndex));
    chart1_->setObjectName(QStringLiteral("Chart1"));
    chart1_->setGeometry(10, 38, 600, 418);
    chart1_->setToolTip(QStringLiteral("Right click for graph options"));
    chart1_->setContextMenuPolicy(Qt::CustomContextMenu);

    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    auto tick = [this](QMenu* menu, const TickItem& item) {
        QAction* action = menu->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this,
                [this, action, handler = item.handler] { (this->*handler)(action); });
    };
    auto radio = [this](QMenu* menu, std::span<const RadioItem> items,
                        void (TForm1::*handler)(QAction*)) {
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
    tick(popupMenu1_, TickItems[0]);
    tick(popupMenu1_, TickItems[1]);
    popupMenu1_->addSeparator();
    QMenu* interval = popupMenu1_->addMenu(QStringLiteral("Refresh Interval"));
    interval->setObjectName(QStringLiteral("RefreshInterval1"));
    radio(interval, IntervalItems, &TForm1::NoRefresh1Click);
    QMenu* scale = popupMenu1_->addMenu(QStringLiteral("Graph Scale"));
    scale->setObjectName(QStringLiteral("GraphScale1"));
    radio(scale, ScaleItems, &TForm1::NDwnStream1Click);
    popupMenu1_->addSeparator();
    QMenu* down = popupMenu1_->addMenu(QStringLiteral("DownStream"));
    down->setObjectName(QStringLiteral("DownStream1"));
    tick(down, TickItems[2]);
    tick(down, TickItems[3]);
    QMenu* up = popupMenu1_->addMenu(QStringLiteral("UpStream"));
    up->setObjectName(QStringLiteral("UpStream1"));
    tick(up, TickItems[4]);
    tick(up, TickItems[5]);
    popupMenu1_->addSeparator();
    QMenu* show = popupMenu1_->addMenu(QStringLiteral("Show"));
    show->setObjectName(QStringLiteral("Show1"));
    radio(show, ShowItems, &TForm1::ShowTraffic1Click);
    QMenu* span = popupMenu1_->addMenu(QStringLiteral("Span"));
    span->setObjectName(QStringLiteral("Span1"));
    radio(span, SpanItems, &TForm1::Span1Hour1Click);
    QAction* exportHistory = popupMenu1_->addAction(QStringLiteral("Export history as CSV\u2026"));
    exportHistory->setObjectName(QStringLiteral("ExportHistory1"));
    connect(exportHistory, &QAction::triggered, this, &TForm1::ExportHistory1Click);
    QAction* notify = popupMenu1_->addAction(QStringLiteral("Notify line events"));
    notify->setObjectName(QStringLiteral("NotifyEvents1"));
    notify->setCheckable(true);
    connect(notify, &QAction::triggered, this, [this, notify] { NotifyEvents1Click(notify); });

    historyChart_ = new widgets::TrafficChart(Page(app::GraphsPageIndex));
    historyChart_->setObjectName(QStringLiteral("HistoryChart"));
    historyChart_->setGeometry(chart1_->geometry());
    historyChart_->setToolTip(chart1_->toolTip());
    historyChart_->setAccessibleName(QStringLiteral("Line history graph"));
    historyChart_->hide();
    historyView_ = std::make_unique<app::HistoryView>(
        *historyChart_, core::history::HistoryStore::DefaultFileName());
    for (widgets::TrafficChart* chart : {chart1_, historyChart_}) {
        chart->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(chart, &QWidget::customContextMenuRequested, this,
                [this, chart](const QPoint& at) { popupMenu1_->popup(chart->mapToGlobal(at)); });
    }
    // Shown again, a history view is brought up to date.
    connect(pageControl_, &QStackedWidget::currentChanged, this, [this](int page) {
        if (page == app::GraphsPageIndex && settings_.GraphShow != 0) ShowGraphView();
    });

    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    connect(timer2_, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(Button("GraphBtnClear"), &widgets::tRollOverBtn::clicked, this,
            &TForm1::GraphBtnClearClick);
    connect(Button("GraphsBtnSave"), &widgets::tRollOverBtn::clicked, this,
            &TForm1::GraphsBtnSaveClick);
}

QAction* TForm1::GraphMenuItem(const char* name) const {
    return popupMenu1_->findChild<QAction*>(QString::fromLatin1(name));
}

void TForm1::ApplyGraphView() {
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

void TForm1::GraphTickClick(QAction* sender) {
    for (const TickItem& item : TickItems)
        if (sender->objectName() == QLatin1String(item.name))
            settings_.*item.setting = sender->isChecked();
    ApplyGraphView();
}

void TForm1::N3DChart1Click(QAction* sender) {
    GraphTickClick(sender);
}
void TForm1::StairChart1Click(QAction* sender) {
    GraphTickClick(sender);
}
void TForm1::ShowValues1Click(QAction* sender) {
    GraphTickClick(sender);
}
void TForm1::ShowPoints1Click(QAction* sender) {
    GraphTickClick(sender);
}
void TForm1::ShowValues2Click(QAction* sender) {
    GraphTickClick(sender);
}
void TForm1::ShowPoints2Click(QAction* sender) {
    GraphTickClick(sender);
}

void TForm1::NoRefresh1Click(QAction* sender) {
    sender->setChecked(true);
    settings_.GraphRefreshInt = IntervalItems[sender->data().toInt()].value;
    StartGraph();
}

void TForm1::NDwnStream1Click(QAction* sender) {
    sender->setChecked(true);
    settings_.GraphScale = ScaleItems[sender->data().toInt()].value;
    SetGraphScale();
}

void TForm1::RestoreGraphState() {
    for (const TickItem& item : TickItems)
        GraphMenuItem(item.name)->setChecked(settings_.*item.setting);
    ApplyGraphView();
    // A stored value that no item offers ticks none, and is used all the same.
    auto tickValue = [this](std::span<const RadioItem> items, int value) {
        for (const RadioItem& item : items)
            GraphMenuItem(item.name)->setChecked(item.value == value);
    };
    tickValue(IntervalItems, settings_.GraphRefreshInt);
    tickValue(ScaleItems, settings_.GraphScale);
    tickValue(ShowItems, settings_.GraphShow);
    tickValue(SpanItems, settings_.GraphSpan);
    GraphMenuItem("NotifyEvents1")->setChecked(settings_.HistoryNotify);
    SetGraphScale();
    StartGraph();
    ShowGraphView();
}

void TForm1::ShowTraffic1Click(QAction* sender) {
    sender->setChecked(true);
    settings_.GraphShow = ShowItems[sender->data().toInt()].value;
    ShowGraphView();
}

void TForm1::Span1Hour1Click(QAction* sender) {
    sender->setChecked(true);
    settings_.GraphSpan = SpanItems[sender->data().toInt()].value;
    ShowGraphView();
}

void TForm1::NotifyEvents1Click(QAction* sender) {
    settings_.HistoryNotify = sender->isChecked();
}

const core::history::HistoryStore* TForm1::History() {
    // Read-only: the recorder creates the file; until it has, every look tries again.
    if (!historyStore_) {
        auto store = std::make_unique<core::history::HistoryStore>(
            core::history::HistoryStore::DefaultFileName(),
            core::history::HistoryStore::Mode::Read);
        if (store->Open()) historyStore_ = std::move(store);
    }
    return historyStore_.get();
}

void TForm1::ShowGraphView() {
    // A stored value no item offers shows the live traffic.
    const int show = settings_.GraphShow;
    const bool history = show > 0 && show < chart::GraphShowCount;
    for (const RadioItem& item : SpanItems)
        GraphMenuItem(item.name)->setEnabled(history);
    if (history)
        historyView_->Fill(static_cast<chart::GraphShow>(show), settings_.GraphSpan,
                           seams_.clock.Now());
    historyChart_->setVisible(history);
    chart1_->setVisible(!history);
}

void TForm1::HistoryChanged() {
    if (settings_.GraphShow != 0 && ActivePage() == app::GraphsPageIndex) ShowGraphView();
    if (eventsShown_) ShowEventLines();
}

void TForm1::ExportHistory1Click() {
    const std::optional<QString> path = SaveDialog1().Execute(
        this, QStringLiteral("Please choose filename and path for the CSV file"),
        QStringLiteral("LineHistory"), {3, QStringLiteral("csv")});
    if (!path) return;
    QString error = QStringLiteral("No line history has been recorded yet.");
    bool written = false;
    {
        // A year of history takes a moment to write.
        core::BusyCursorScope busy(seams_.cursor);
        const core::history::HistoryStore* store = History();
        written = store != nullptr && store->ExportCsv(*path, std::nullopt, error);
    }
    if (!written) seams_.messages.Error(this, error);
}

void TForm1::StartGraph() {
    timer2_->stop();
    // Held to what a millisecond timer interval can express.
    const int seconds = std::min(settings_.GraphRefreshInt, std::numeric_limits<int>::max() / 1000);
    if (sampler_.Start(seconds)) {
        timer2_->setInterval(seconds * 1000);
        timer2_->start();
    }
}

void TForm1::Timer2Timer() {
    sampler_.Tick();
    chart1_->SetPoints(0, SeriesPoints(sampler_.Window(), true));
    Series1AfterAdd(chart1_, static_cast<int>(chart1_->Series(0).points.size()) - 1);
    chart1_->SetPoints(1, SeriesPoints(sampler_.Window(), false));
}

void TForm1::Series1AfterAdd(widgets::TrafficChart* sender, int valueIndex) {
    // The newest point at the right edge with the 24 before it: the maximum first.
    const double newest = sender->Series(0).points.at(valueIndex).x;
    sender->SetBottomAxis(sender->BottomMin(), newest);
    sender->SetBottomAxis(newest - 24, newest);
}

void TForm1::SetGraphScale() {
    const int scale = sampler_.Scale(settings_.GraphScale);
    chart1_->SetLeftAxis(scale, scale / 16);
}

void TForm1::GraphBtnClearClick() {
    sampler_.Clear();
    chart1_->SetPoints(0, {});
    chart1_->SetPoints(1, {});
}

void TForm1::GraphsBtnSaveClick() {
    const std::optional<QString> path =
        SaveDialog1().Execute(this, QStringLiteral("Please choose filename and path for BMP file"),
                              QStringLiteral("TrafficGraph"), {1, QStringLiteral("bmp")});
    if (!path) return;
    const widgets::TrafficChart* shown = historyChart_->isHidden() ? chart1_ : historyChart_;
    if (!shown->Render(shown->size()).save(*path, "BMP"))
        seams_.messages.Error(this, QStringLiteral("Cannot create file \"%1\".").arg(*path));
}
