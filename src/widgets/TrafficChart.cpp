#include "widgets/TrafficChart.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace widgets {

TrafficChart::TrafficChart(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Traffic graph"));
    Describe();
}

void TrafficChart::SetModel(chart::ChartModel model) {
    model_ = std::move(model);
    Describe();
    update();
}

void TrafficChart::SetPoints(int series, QVector<ChartPoint> points) {
    model_.SetPoints(series, std::move(points));
    Describe();
    update();
}

template <typename Value>
void TrafficChart::Restyle(Value current, Value wanted, void (chart::ChartModel::*set)(int, Value),
                           int series) {
    if (current == wanted) return;
    (model_.*set)(series, wanted);
    update();
}

void TrafficChart::SetStairs(int series, bool on) {
    Restyle(Series(series).stairs, on, &chart::ChartModel::SetStairs, series);
}
void TrafficChart::SetShowValues(int series, bool on) {
    Restyle(Series(series).showValues, on, &chart::ChartModel::SetShowValues, series);
}
void TrafficChart::SetShowPoints(int series, bool on) {
    Restyle(Series(series).showPoints, on, &chart::ChartModel::SetShowPoints, series);
}
void TrafficChart::SetLineWidth(int series, int width) {
    Restyle(Series(series).lineWidth, width, &chart::ChartModel::SetLineWidth, series);
}
void TrafficChart::SetTitle(int series, const QString& title) {
    model_.SetTitle(series, title);
    Describe();
    update();
}
void TrafficChart::SetCompanion(int series, QVector<ChartPoint> points) {
    model_.SetCompanion(series, std::move(points));
    update();
}
void TrafficChart::SetUnit(const QString& axisTitle, const QString& unit) {
    model_.SetUnit(axisTitle, unit);
    Describe();
    update();
}
void TrafficChart::SetAxisLabels(QVector<ChartPoint> labels) {
    model_.SetAxisLabels(std::move(labels));
    update();
}
void TrafficChart::SetMarks(QVector<ChartMark> marks) {
    model_.SetMarks(std::move(marks));
    Describe();
    update();
}
void TrafficChart::Set3D(bool on) {
    if (model_.View3D() == on) return;
    model_.Set3D(on);
    update();
}
void TrafficChart::SetBottomAxis(double min, double max) {
    model_.SetBottomAxis(min, max);
    update();
}
void TrafficChart::SetLeftAxis(double max, double step) {
    model_.SetLeftAxis(max, step);
    update();
}

void TrafficChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    model_.Draw(painter, size());
}

bool TrafficChart::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && !model_.Marks().isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(e);
        const QStringList texts = model_.MarksAt(help->pos(), size());
        if (!texts.isEmpty()) {
            QToolTip::showText(help->globalPos(), texts.join(QLatin1Char('\n')), this);
            return true;
        }
    }
    return QWidget::event(e);
}

} // namespace widgets
