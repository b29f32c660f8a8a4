// The traffic graph's side of the main window: the chart on the Graph page, its popup menu of view
// options, the sampling timer and the Clear and Save buttons. The counter reads, the rate
// arithmetic and the window of points are the core's TrafficSampler; these stay short delegations.
#include "Main.h"
#include "RollOverBtn.h"
#include "TrafficChart.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
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
    connect(chart1_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenu1_->popup(chart1_->mapToGlobal(at)); });

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
    SetGraphScale();
    StartGraph();
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
    const int seconds = timer2_->interval() / 1000;
    sampler_.Tick(seconds);
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
    if (!chart1_->Render(chart1_->size()).save(*path, "BMP"))
        seams_.messages.Error(this, QStringLiteral("Cannot create file \"%1\".").arg(*path));
}
