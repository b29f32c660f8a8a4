#include "chart/ChartModel.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace chart {

namespace {

// The line through `at` (the points' positions), lifted where a point breaks it. A point alone
// between two breaks is a short dash, so a lone reading still shows.
QPainterPath LinePath(const QVector<ChartPoint>& points, const QVector<QPointF>& at, bool stairs) {
    QPainterPath path;
    for (qsizetype i = 0; i < at.size(); ++i) {
        if (i == 0 || points[i].breakBefore) {
            // Only where breaks are drawn: the live chart's lone first point stays unseen.
            const bool alone =
                i + 1 == at.size() ? points[i].breakBefore : points[i + 1].breakBefore;
            path.moveTo(at[i] - QPointF(alone ? 1 : 0, 0));
            if (alone) path.lineTo(at[i] + QPointF(1, 0));
        } else if (stairs) {
            path.lineTo(at[i].x(), at[i - 1].y());
            path.lineTo(at[i]);
        } else {
            path.lineTo(at[i]);
        }
    }
    return path;
}

QVector<QLineF> Segments(const QPainterPath& path) {
    QVector<QLineF> lines;
    for (int i = 1; i < path.elementCount(); ++i)
        if (path.elementAt(i).isLineTo())
            lines.append(QLineF(path.elementAt(i - 1), path.elementAt(i)));
    return lines;
}

const QColor PanelColour(155, 154, 179);
const QColor BackWall(0, 128, 192);
const QColor BottomWall(0, 158, 234);
const QColor LeftWall(0, 107, 159);

constexpr int LegendHeight = 24;
constexpr int LeftMargin = 60;
constexpr int BottomMargin = 64;
constexpr int RightMargin = 14;
constexpr int LeaderLength = 8;
constexpr int MarkerSize = 7;
// More gridlines than this are not drawn: a step far below the range would only paint the wall.
constexpr int MaxGridLines = 200;
constexpr int MarkSize = 7;
constexpr int LabelGap = 12; // between two level time labels

void DrawMarker(QPainter& p, QPointF at, const ChartSeries& s) {
    p.setPen(Qt::black);
    p.setBrush(s.markerColour);
    p.drawRect(
        QRectF(at.x() - MarkerSize / 2.0, at.y() - MarkerSize / 2.0, MarkerSize, MarkerSize));
}

} // namespace

QString ValueText(double value) {
    const QLocale locale;
    if (value == std::floor(value) && std::abs(value) < 9e15)
        return locale.toString(static_cast<qlonglong>(value));
    QString text = locale.toString(value, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(locale.decimalPoint())) text.chop(locale.decimalPoint().size());
    return text;
}

QFont ChartModel::Font() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    return font;
}

ChartModel::ChartModel() {
    series_[0].title = QStringLiteral("DownStream");
    series_[0].colour = QColor(240, 0, 0);
    series_[0].markerColour = series_[0].colour;
    series_[1].title = QStringLiteral("UpStream");
    series_[1].colour = QColor(0, 240, 0);
    series_[1].markerColour = QColor(0, 255, 64);
}

void ChartModel::SetPoints(int series, QVector<ChartPoint> points) {
    series_.at(series).points = std::move(points);
}
void ChartModel::SetCompanion(int series, QVector<ChartPoint> points) {
    series_.at(series).companion = std::move(points);
}
void ChartModel::SetUnit(const QString& axisTitle, const QString& unit) {
    axisTitle_ = axisTitle;
    unit_ = unit;
}
void ChartModel::SetBottomAxis(double min, double max) {
    bottomMin_ = min;
    bottomMax_ = max;
}
void ChartModel::SetLeftAxis(double max, double step) {
    leftMax_ = max;
    leftStep_ = step;
}

QString ChartModel::Description() const {
    QStringList parts;
    for (const ChartSeries& s : series_)
        parts << (s.points.isEmpty() ? s.title + QStringLiteral(": no samples")
                                     : s.title + QStringLiteral(": ") +
                                           ValueText(s.points.back().y) + QLatin1Char(' ') + unit_);
    QString description = parts.join(QStringLiteral(", "));
    if (!legendNote_.isEmpty()) description += QStringLiteral("; ") + legendNote_;
    if (!marks_.isEmpty()) {
        QStringList marks;
        for (const ChartMark& mark : marks_)
            marks.append(mark.text);
        description += QStringLiteral("; events: ") + marks.join(QStringLiteral("; "));
    }
    return description;
}

QRectF ChartModel::Front(QSize size) const {
    const int depth = view3D_ ? Depth3D : 0;
    return QRectF(LeftMargin, LegendBottom() + 6 + depth,
                  std::max(10, size.width() - LeftMargin - RightMargin - depth),
                  std::max(10, size.height() - LegendBottom() - 6 - depth - BottomMargin));
}

int ChartModel::LegendBottom() const {
    return LegendHeight + (legendNote_.isEmpty() ? 0 : LegendHeight - 8);
}

double ChartModel::XAt(double x, const QRectF& plane) const {
    const double xSpan = bottomMax_ - bottomMin_;
    return plane.left() + (xSpan > 0 ? (x - bottomMin_) / xSpan * plane.width() : 0);
}

double ChartModel::YAt(double y, const QRectF& plane) const {
    return plane.bottom() - (leftMax_ > 0 ? y / leftMax_ * plane.height() : 0);
}

int ChartModel::PlotWidth(QSize size) const {
    return static_cast<int>(Front(size).width());
}

QVector<ChartPoint> ChartModel::FittingAxisLabels(QSize size) const {
    const QFontMetrics fm(Font());
    const QRectF front = Front(size);
    QVector<ChartPoint> fitting;
    double right = -1e9;
    for (const ChartPoint& label : axisLabels_) {
        if (label.x < bottomMin_ || label.x > bottomMax_) continue;
        const double width = fm.horizontalAdvance(label.label);
        const double left = XAt(label.x, front) - width / 2;
        if (left < right + LabelGap || left < 0 || left + width > size.width()) continue;
        right = left + width;
        fitting.append(label);
    }
    return fitting;
}

QStringList ChartModel::MarksAt(QPoint at, QSize size) const {
    const QRectF front = Front(size);
    QStringList texts;
    if (at.y() > front.bottom() - MarkSize)
        for (const ChartMark& mark : marks_)
            if (std::abs(XAt(mark.x, front) - at.x()) <= MarkSize) texts.append(mark.text);
    return texts;
}

QImage ChartModel::Render(QSize size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Draw(painter, size);
    return image;
}

// What every step of one drawing shares.
struct ChartModel::Canvas {
    QPainter& p;
    QSize size;
    QPen hairline;
    QFont font;
    QFontMetrics fm;
    int depth;
    QRectF front, back;
};

void ChartModel::Draw(QPainter& p, QSize size) const {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), size), PanelColour);
    // At a fractional scale a one-pixel line is 1.5 device pixels, which aliased drawing renders
    // 1 or 2 wide by position: the grid and frames take whole device pixels, the same everywhere.
    QPen hairline(Qt::black, std::max(1.0, std::round(p.device()->devicePixelRatioF())));
    hairline.setCosmetic(true);
    const QFont font = Font();
    p.setFont(font);
    const int depth = view3D_ ? Depth3D : 0;
    const QRectF front = Front(size);
    const Canvas canvas{
        p, size, hairline, font, QFontMetrics(font), depth, front, front.translated(depth, -depth)};
    DrawLegend(canvas);
    DrawWalls(canvas);
    DrawRateGrid(canvas);
    DrawTimeGrid(canvas);
    DrawAxisTitles(canvas);
    DrawAxisLabels(canvas);
    DrawMarks(canvas);
    DrawPointLabels(canvas);
    // The series, the first in front in 3D.
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int index = static_cast<int>(series_.size()) - 1; index >= 0; --index)
        DrawSeries(canvas, index);
}

// The two titles with their colours, centred at the top.
void ChartModel::DrawLegend(const Canvas& c) const {
    int width = 0;
    for (const ChartSeries& s : series_)
        width += 28 + c.fm.horizontalAdvance(s.title) + 10;
    const int titles = width;
    width = std::max(width, c.fm.horizontalAdvance(legendNote_) + 16);
    QRect box((c.size.width() - width) / 2, 4, width, LegendBottom() - 6);
    c.p.setPen(c.hairline);
    c.p.setBrush(Qt::white);
    c.p.drawRect(box);
    const QRect row(box.left(), box.top(), box.width(), LegendHeight - 6);
    int x = row.left() + 6 + (width - titles) / 2;
    for (const ChartSeries& s : series_) {
        if (barWidth_ > 0)
            c.p.fillRect(QRect(x + 3, row.center().y() - 5, 10, 10), s.colour);
        else {
            c.p.setPen(QPen(s.colour, 3));
            c.p.drawLine(x, row.center().y(), x + 16, row.center().y());
        }
        c.p.setPen(Qt::black);
        c.p.drawText(QRect(x + 20, row.top(), c.fm.horizontalAdvance(s.title) + 4, row.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, s.title);
        x += 28 + c.fm.horizontalAdvance(s.title) + 10;
    }
    if (!legendNote_.isEmpty())
        c.p.drawText(QRect(box.left(), row.bottom() - 2, box.width(), box.bottom() - row.bottom()),
                     Qt::AlignCenter, legendNote_);
}

// The back wall always; the left and bottom walls only in 3D.
void ChartModel::DrawWalls(const Canvas& c) const {
    const QRectF &front = c.front, &back = c.back;
    c.p.setPen(Qt::NoPen);
    if (view3D_) {
        c.p.setBrush(LeftWall);
        c.p.drawPolygon(
            QPolygonF({front.topLeft(), back.topLeft(), back.bottomLeft(), front.bottomLeft()}));
        c.p.setBrush(BottomWall);
        c.p.drawPolygon(QPolygonF(
            {front.bottomLeft(), back.bottomLeft(), back.bottomRight(), front.bottomRight()}));
    }
    c.p.setBrush(BackWall);
    c.p.drawRect(back);
}

// A line per rate step on the back wall (and across the left wall in 3D), with its value.
void ChartModel::DrawRateGrid(const Canvas& c) const {
    c.p.setPen(c.hairline);
    c.p.setBrush(Qt::NoBrush);
    const bool leftSteps = leftStep_ > 0 && leftMax_ / leftStep_ <= MaxGridLines;
    for (int i = 0; leftSteps ? i * leftStep_ <= leftMax_ : i < 2; ++i) {
        const double value = leftSteps ? i * leftStep_ : i * leftMax_;
        const double yb = YAt(value, c.back);
        c.p.setPen(c.hairline);
        c.p.drawLine(QPointF(c.back.left(), yb), QPointF(c.back.right(), yb));
        if (view3D_)
            c.p.drawLine(QPointF(c.front.left(), YAt(value, c.front)), QPointF(c.back.left(), yb));
        c.p.setPen(Qt::white);
        c.p.drawText(QRectF(0, YAt(value, c.front) - 8, c.front.left() - 6, 16),
                     Qt::AlignRight | Qt::AlignVCenter, ValueText(value));
    }
}

// A line per time unit on the back wall (and across the floor in 3D), while they can be told
// apart.
void ChartModel::DrawTimeGrid(const Canvas& c) const {
    const double xSpan = bottomMax_ - bottomMin_;
    if (!(xSpan > 0 && xSpan <= MaxGridLines)) return;
    c.p.setPen(c.hairline);
    for (double x = std::ceil(bottomMin_); x <= bottomMax_; x += 1) {
        c.p.drawLine(QPointF(XAt(x, c.back), c.back.top()),
                     QPointF(XAt(x, c.back), c.back.bottom()));
        if (view3D_)
            c.p.drawLine(QPointF(XAt(x, c.front), c.front.bottom()),
                         QPointF(XAt(x, c.back), c.back.bottom()));
    }
}

void ChartModel::DrawAxisTitles(const Canvas& c) const {
    c.p.setPen(Qt::white);
    QFont bold = c.font;
    bold.setBold(true);
    c.p.setFont(bold);
    c.p.drawText(QRectF(c.front.left(), c.size.height() - 18, c.front.width(), 16), Qt::AlignCenter,
                 QStringLiteral("Time"));
    c.p.save();
    c.p.translate(12, c.front.center().y());
    c.p.rotate(-90);
    c.p.drawText(QRectF(-40, -8, 80, 16), Qt::AlignCenter, axisTitle_);
    c.p.restore();
    c.p.setFont(c.font);
}

// The given time labels: level, each with a grid line on the back wall.
void ChartModel::DrawAxisLabels(const Canvas& c) const {
    for (const ChartPoint& label : FittingAxisLabels(c.size)) {
        c.p.setPen(c.hairline);
        c.p.drawLine(QPointF(XAt(label.x, c.back), c.back.top()),
                     QPointF(XAt(label.x, c.back), c.back.bottom()));
        c.p.setPen(Qt::white);
        c.p.drawText(QRectF(XAt(label.x, c.front) - 100, c.front.bottom() + MarkSize + 4, 200, 14),
                     Qt::AlignHCenter | Qt::AlignTop, label.label);
    }
}

// A small triangle pointing up at the time axis, under the plot, per mark in range.
void ChartModel::DrawMarks(const Canvas& c) const {
    for (const ChartMark& mark : marks_) {
        if (mark.x < bottomMin_ || mark.x > bottomMax_) continue;
        const double x = XAt(mark.x, c.front), y = c.front.bottom() + 1;
        c.p.setPen(Qt::black);
        c.p.setBrush(mark.colour);
        c.p.drawPolygon(QPolygonF({QPointF(x, y), QPointF(x - MarkSize / 2.0, y + MarkSize),
                                   QPointF(x + MarkSize / 2.0, y + MarkSize)}));
    }
}

// Without given time labels: the points' own texts, turned 90 degrees, under their x.
void ChartModel::DrawPointLabels(const Canvas& c) const {
    if (!axisLabels_.isEmpty()) return;
    const ChartSeries& labelled = series_[0].points.isEmpty() ? series_[1] : series_[0];
    for (const ChartPoint& point : labelled.points) {
        if (point.x < bottomMin_ || point.x > bottomMax_) continue;
        c.p.save();
        c.p.translate(XAt(point.x, c.front), c.front.bottom() + 4);
        c.p.rotate(-90);
        c.p.drawText(QRectF(-(BottomMargin - 24), -7, BottomMargin - 24, 14),
                     Qt::AlignRight | Qt::AlignVCenter, point.label);
        c.p.restore();
    }
}

// One series on its own plane of the depth axis: its line, its companion, then each point's
// marker and value label.
void ChartModel::DrawSeries(const Canvas& c, int index) const {
    if (barWidth_ > 0) {
        DrawBars(c, index);
        return;
    }
    const ChartSeries& s = series_[static_cast<std::size_t>(index)];
    const double z = (index - DepthMin) / (DepthMax - DepthMin);
    const QRectF plane = c.front.translated(z * c.depth, -z * c.depth);
    auto positions = [&](const QVector<ChartPoint>& points) {
        QVector<QPointF> at;
        for (const ChartPoint& point : points)
            at.append(QPointF(XAt(point.x, plane), YAt(point.y, plane)));
        return at;
    };
    const QVector<QPointF> at = positions(s.points);
    c.p.save();
    // Lines stay inside the box; value labels may reach over its top and right edges.
    c.p.setClipRect(
        QRectF(plane.left() - 1, 0, c.size.width() - plane.left() + 1, plane.bottom() + 1));
    c.p.setBrush(Qt::NoBrush);
    // Stroked segment by segment: a long zigzag (a year's margin) stroked as one outline costs
    // the rasterizer a hundred times as much. Square caps close the joins.
    c.p.setPen(QPen(s.colour, s.lineWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    c.p.drawLines(Segments(LinePath(s.points, at, s.stairs)));
    if (!s.companion.isEmpty()) {
        c.p.setPen(QPen(s.colour, 1, Qt::DashLine));
        c.p.drawPath(LinePath(s.companion, positions(s.companion), false));
    }
    // Point by point, so a label covers the markers drawn before it and not those after.
    for (int i = 0; i < at.size(); ++i) {
        if (s.showPoints) DrawMarker(c.p, at[i], s);
        if (s.showValues) DrawValueLabel(c, at[i], s.points[i].y, s.colour);
    }
    c.p.restore();
}

// On the front plane, as flat bars, with a gap of a tenth of the slot between neighbours.
void ChartModel::DrawBars(const Canvas& c, int index) const {
    const ChartSeries& s = series_[static_cast<std::size_t>(index)];
    const double half = barWidth_ / 2, pad = barWidth_ / 20;
    c.p.save();
    c.p.setClipRect(c.front.adjusted(0, -1, 1, 1));
    c.p.setPen(Qt::NoPen);
    c.p.setBrush(s.colour);
    for (const ChartPoint& point : s.points) {
        const double left = point.x + index * half + (index == 0 ? pad : 0);
        const double right = left + half - pad;
        const QRectF bar(QPointF(XAt(left, c.front), YAt(point.y, c.front)),
                         QPointF(XAt(right, c.front), YAt(0, c.front)));
        c.p.drawRect(bar.normalized());
        if (s.showValues)
            DrawValueLabel(c, QPointF(bar.center().x(), bar.top()), point.y, s.colour);
    }
    c.p.restore();
}

// The value in a pale box above the point, on a short leader line.
void ChartModel::DrawValueLabel(const Canvas& c, QPointF at, double value,
                                const QColor& colour) const {
    const QString text = ValueText(value);
    const QPointF tip(at.x(), at.y() - LeaderLength);
    c.p.setPen(QPen(colour, 1));
    c.p.drawLine(at, tip);
    const QRectF box(tip.x() - c.fm.horizontalAdvance(text) / 2.0 - 2, tip.y() - c.fm.height(),
                     c.fm.horizontalAdvance(text) + 4, c.fm.height());
    c.p.setPen(Qt::black);
    c.p.setBrush(QColor(255, 255, 225));
    c.p.drawRect(box);
    c.p.drawText(box, Qt::AlignCenter, text);
}

} // namespace chart
