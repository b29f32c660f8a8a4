// The traffic graph without a window: two line series over a time axis and a rate axis, drawn
// with QPainter, flat or in a pseudo-3D box with walls, as lines or stairs, with optional value
// labels and square markers. The line history's views add a dashed companion line per series,
// time labels of their own and marks on the time axis. It holds only what it is given to draw;
// the data and the axis ranges come from its owner. Qt Gui alone: it draws on a QImage, a
// QPdfWriter or a widget alike, under a QGuiApplication.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

class QPainter;

namespace chart {

struct ChartPoint {
    double x = 0;
    double y = 0;
    QString label;            // shown on the time axis, turned 90 degrees
    bool breakBefore = false; // not joined to the point before: nothing was known in between
};

struct ChartSeries {
    QString title;
    QColor colour;
    QColor markerColour; // fill of the square markers
    int lineWidth = 2;
    bool stairs = false;
    bool showValues = false;
    bool showPoints = false;
    QVector<ChartPoint> points;    // ascending x
    QVector<ChartPoint> companion; // drawn thin and dashed in the series' colour; ascending x
};

// Something that happened at x, marked under the time axis; `text` is its tool tip and part of
// the chart's description. One mark may stand for `count` events too close to tell apart.
struct ChartMark {
    double x = 0;
    QColor colour;
    QString text;
    int count = 1;
};

// Whole numbers with the locale's separators, up to three decimals otherwise ("#,##0.###").
[[nodiscard]] QString ValueText(double value);

class ChartModel {
public:
    // Depth of the 3D box in pixels, and the depth axis it stands for.
    static constexpr int Depth3D = 14;
    static constexpr double DepthMin = -0.5;
    static constexpr double DepthMax = 1.5;

    // "DownStream" in red and "UpStream" in green, 2D, time 0 to 24, rate 0 to 256 in Kbps.
    ChartModel();

    [[nodiscard]] const ChartSeries& Series(int index) const { return series_.at(index); }
    void SetPoints(int series, QVector<ChartPoint> points);
    void SetStairs(int series, bool on) { series_.at(series).stairs = on; }
    void SetShowValues(int series, bool on) { series_.at(series).showValues = on; }
    void SetShowPoints(int series, bool on) { series_.at(series).showPoints = on; }
    void SetLineWidth(int series, int width) { series_.at(series).lineWidth = width; }
    void SetTitle(int series, const QString& title) { series_.at(series).title = title; }
    void SetCompanion(int series, QVector<ChartPoint> points);
    // Bars instead of lines: each point stands for [x, x + width), the first series in its left
    // half, the second in its right half. 0: lines.
    void SetBars(double width) { barWidth_ = width; }
    [[nodiscard]] double BarWidth() const { return barWidth_; }
    // A second line in the legend, under the series' titles; empty: none.
    void SetLegendNote(const QString& note) { legendNote_ = note; }
    [[nodiscard]] const QString& LegendNote() const { return legendNote_; }

    // The rate axis's title and the unit the description gives the latest values in.
    void SetUnit(const QString& axisTitle, const QString& unit);
    // Time labels drawn level under their x instead of the points' own turned labels; one that
    // would overlap the one before it is left out. Empty: the points' labels.
    void SetAxisLabels(QVector<ChartPoint> labels) { axisLabels_ = std::move(labels); }
    [[nodiscard]] const QVector<ChartPoint>& AxisLabels() const { return axisLabels_; }
    // The labels of AxisLabels() that fit, as drawn at `size`.
    [[nodiscard]] QVector<ChartPoint> FittingAxisLabels(QSize size) const;
    void SetMarks(QVector<ChartMark> marks) { marks_ = std::move(marks); }
    [[nodiscard]] const QVector<ChartMark>& Marks() const { return marks_; }
    // The texts of the marks under `at`, as drawn at `size`.
    [[nodiscard]] QStringList MarksAt(QPoint at, QSize size) const;
    // The plot's width in pixels at `size`: one pixel per value is all it can show.
    [[nodiscard]] int PlotWidth(QSize size) const;
    // The font of the chart's texts, so an owner can measure its labels before giving them.
    [[nodiscard]] static QFont Font();

    // The 3D view; the series' line widths are their owner's choice.
    void Set3D(bool on) { view3D_ = on; }
    [[nodiscard]] bool View3D() const { return view3D_; }

    // Manual axes: time from min to max with step 1, rate from 0 to max.
    void SetBottomAxis(double min, double max);
    void SetLeftAxis(double max, double step);
    [[nodiscard]] double BottomMin() const { return bottomMin_; }
    [[nodiscard]] double BottomMax() const { return bottomMax_; }
    [[nodiscard]] double LeftMax() const { return leftMax_; }
    [[nodiscard]] double LeftStep() const { return leftStep_; }

    // The chart as a screen reader reads it: the latest rates, then the marks' texts.
    [[nodiscard]] QString Description() const;

    // The whole chart at `size`, from (0, 0) of `painter`'s device.
    void Draw(QPainter& painter, QSize size) const;
    // The whole chart at `size` on a white-filled image.
    [[nodiscard]] QImage Render(QSize size) const;

private:
    struct Canvas;
    [[nodiscard]] QRectF Front(QSize size) const;
    [[nodiscard]] double XAt(double x, const QRectF& plane) const;
    [[nodiscard]] double YAt(double y, const QRectF& plane) const;
    void DrawLegend(const Canvas& canvas) const;
    void DrawWalls(const Canvas& canvas) const;
    void DrawRateGrid(const Canvas& canvas) const;
    void DrawTimeGrid(const Canvas& canvas) const;
    void DrawAxisTitles(const Canvas& canvas) const;
    void DrawAxisLabels(const Canvas& canvas) const;
    void DrawMarks(const Canvas& canvas) const;
    void DrawPointLabels(const Canvas& canvas) const;
    void DrawSeries(const Canvas& canvas, int index) const;
    void DrawBars(const Canvas& canvas, int index) const;
    [[nodiscard]] int LegendBottom() const;
    void DrawValueLabel(const Canvas& canvas, QPointF at, double value, const QColor& colour) const;

    std::array<ChartSeries, 2> series_;
    bool view3D_ = false;
    double bottomMin_ = 0;
    double bottomMax_ = 24;
    double leftMax_ = 256;
    double leftStep_ = 16;
    QString axisTitle_ = QStringLiteral("Kbps");
    QString unit_ = QStringLiteral("kbit/s");
    QVector<ChartPoint> axisLabels_;
    QVector<ChartMark> marks_;
    double barWidth_ = 0;
    QString legendNote_;
};

} // namespace chart
