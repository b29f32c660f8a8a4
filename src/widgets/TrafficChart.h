// The traffic graph as a widget: the chart model (chart::ChartModel) painted on screen, with the
// marks' tool tips and what a screen reader is told. Drawing, layout and the series' data are
// the model's; this adds the window.
#pragma once

#include "chart/ChartModel.h"

#include <QWidget>

namespace widgets {

using ChartPoint = chart::ChartPoint;
using ChartSeries = chart::ChartSeries;
using ChartMark = chart::ChartMark;

class TrafficChart : public QWidget {
    Q_OBJECT

public:
    static constexpr int Depth3D = chart::ChartModel::Depth3D;
    static constexpr double DepthMin = chart::ChartModel::DepthMin;
    static constexpr double DepthMax = chart::ChartModel::DepthMax;

    explicit TrafficChart(QWidget* parent = nullptr);

    // What the chart draws; a new model is drawn and described at once.
    [[nodiscard]] const chart::ChartModel& Model() const { return model_; }
    void SetModel(chart::ChartModel model);

    [[nodiscard]] const ChartSeries& Series(int index) const { return model_.Series(index); }
    void SetPoints(int series, QVector<ChartPoint> points);
    void SetStairs(int series, bool on);
    void SetShowValues(int series, bool on);
    void SetShowPoints(int series, bool on);
    void SetLineWidth(int series, int width);
    void SetTitle(int series, const QString& title);
    void SetCompanion(int series, QVector<ChartPoint> points);

    // The rate axis's title and the unit a screen reader is told the latest values in.
    void SetUnit(const QString& axisTitle, const QString& unit);
    // Time labels drawn level under their x instead of the points' own turned labels.
    void SetAxisLabels(QVector<ChartPoint> labels);
    [[nodiscard]] const QVector<ChartPoint>& AxisLabels() const { return model_.AxisLabels(); }
    // The labels of AxisLabels() that fit, as drawn at `size`.
    [[nodiscard]] QVector<ChartPoint> FittingAxisLabels(QSize size) const {
        return model_.FittingAxisLabels(size);
    }
    void SetMarks(QVector<ChartMark> marks);
    [[nodiscard]] const QVector<ChartMark>& Marks() const { return model_.Marks(); }
    // The plot's width in pixels at the widget's size: one pixel per value is all it can show.
    [[nodiscard]] int PlotWidth() const { return model_.PlotWidth(size()); }
    [[nodiscard]] static QFont Font() { return chart::ChartModel::Font(); }

    // The 3D view; the series' line widths are their owner's choice.
    void Set3D(bool on);
    [[nodiscard]] bool View3D() const { return model_.View3D(); }

    // Manual axes: time from min to max with step 1, rate from 0 to max.
    void SetBottomAxis(double min, double max);
    void SetLeftAxis(double max, double step);
    [[nodiscard]] double BottomMin() const { return model_.BottomMin(); }
    [[nodiscard]] double BottomMax() const { return model_.BottomMax(); }
    [[nodiscard]] double LeftMax() const { return model_.LeftMax(); }
    [[nodiscard]] double LeftStep() const { return model_.LeftStep(); }

    // The whole chart at `size` on a white-filled image.
    [[nodiscard]] QImage Render(QSize size) const { return model_.Render(size); }

    [[nodiscard]] QSize sizeHint() const override { return {600, 400}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override; // a mark's tool tip

private:
    // A look setting: repainted only when it changes.
    template <typename Value>
    void Restyle(Value current, Value wanted, void (chart::ChartModel::*set)(int, Value),
                 int series);
    void Describe() { setAccessibleDescription(model_.Description()); }

    chart::ChartModel model_;
};

} // namespace widgets
