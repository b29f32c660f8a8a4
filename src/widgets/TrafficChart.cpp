#include "TrafficChart.h"

#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QToolTip>
#include <cmath>

namespace widgets {

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

// Whole numbers with the locale's separators, up to three decimals otherwise ("#,##0.###").
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

} // namespace

QFont TrafficChart::Font() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    return font;
}

TrafficChart::TrafficChart(QWidget* parent) : QWidget(parent) {
    series_[0].title = QStringLiteral("DownStream");
    series_[0].colour = QColor(240, 0, 0);
    series_[0].markerColour = series_[0].colour;
    series_[1].title = QStringLiteral("UpStream");
    series_[1].colour = QColor(0, 240, 0);
    series_[1].markerColour = QColor(0, 255, 64);
    setAccessibleName(QStringLiteral("Traffic graph"));
    Describe();
}

void TrafficChart::SetPoints(int series, QVector<ChartPoint> points) {
    series_.at(series).points = std::move(points);
    Describe();
    update();
}

void TrafficChart::SetStairs(int series, bool on) {
    if (std::exchange(series_.at(series).stairs, on) != on) update();
}
void TrafficChart::SetShowValues(int series, bool on) {
    if (std::exchange(series_.at(series).showValues, on) != on) update();
}
void TrafficChart::SetShowPoints(int series, bool on) {
    if (std::exchange(series_.at(series).showPoints, on) != on) update();
}
void TrafficChart::SetLineWidth(int series, int width) {
    if (std::exchange(series_.at(series).lineWidth, width) != width) update();
}
void TrafficChart::SetTitle(int series, const QString& title) {
    series_.at(series).title = title;
    Describe();
    update();
}
void TrafficChart::SetCompanion(int series, QVector<ChartPoint> points) {
    series_.at(series).companion = std::move(points);
    update();
}
void TrafficChart::SetUnit(const QString& axisTitle, const QString& unit) {
    axisTitle_ = axisTitle;
    unit_ = unit;
    Describe();
    update();
}
void TrafficChart::SetAxisLabels(QVector<ChartPoint> labels) {
    axisLabels_ = std::move(labels);
    update();
}
void TrafficChart::SetMarks(QVector<ChartMark> marks) {
    marks_ = std::move(marks);
    Describe();
    update();
}

void TrafficChart::Set3D(bool on) {
    if (std::exchange(view3D_, on) != on) update();
}

void TrafficChart::SetBottomAxis(double min, double max) {
    bottomMin_ = min;
    bottomMax_ = max;
    update();
}

void TrafficChart::SetLeftAxis(double max, double step) {
    leftMax_ = max;
    leftStep_ = step;
    update();
}

void TrafficChart::Describe() {
    // A screen reader reads the graph as its latest rates.
    QStringList parts;
    for (const ChartSeries& s : series_)
        parts << (s.points.isEmpty() ? s.title + QStringLiteral(": no samples")
                                     : s.title + QStringLiteral(": ") +
                                           ValueText(s.points.back().y) + QLatin1Char(' ') + unit_);
    QString description = parts.join(QStringLiteral(", "));
    if (!marks_.isEmpty()) {
        QStringList marks;
        for (const ChartMark& mark : marks_)
            marks.append(mark.text);
        description += QStringLiteral("; events: ") + marks.join(QStringLiteral("; "));
    }
    setAccessibleDescription(description);
}

QImage TrafficChart::Render(QSize size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Draw(painter, size);
    return image;
}

void TrafficChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Draw(painter, size());
}

QRectF TrafficChart::Front(QSize size) const {
    const int depth = view3D_ ? Depth3D : 0;
    return QRectF(LeftMargin, LegendHeight + 6 + depth,
                  std::max(10, size.width() - LeftMargin - RightMargin - depth),
                  std::max(10, size.height() - LegendHeight - 6 - depth - BottomMargin));
}

double TrafficChart::XAt(double x, const QRectF& plane) const {
    const double xSpan = bottomMax_ - bottomMin_;
    return plane.left() + (xSpan > 0 ? (x - bottomMin_) / xSpan * plane.width() : 0);
}

int TrafficChart::PlotWidth() const {
    return static_cast<int>(Front(size()).width());
}

QVector<ChartPoint> TrafficChart::FittingAxisLabels(QSize size) const {
    const QFontMetrics fm(TrafficChart::Font());
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

bool TrafficChart::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && !marks_.isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(e);
        const QRectF front = Front(size());
        QStringList texts;
        if (help->pos().y() > front.bottom() - MarkSize)
            for (const ChartMark& mark : marks_)
                if (std::abs(XAt(mark.x, front) - help->pos().x()) <= MarkSize)
                    texts.append(mark.text);
        if (!texts.isEmpty()) {
            QToolTip::showText(help->globalPos(), texts.join(QLatin1Char('\n')), this);
            return true;
        }
    }
    return QWidget::event(e);
}

void TrafficChart::Draw(QPainter& p, QSize size) const {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), size), PanelColour);
    // At a fractional scale a one-pixel line is 1.5 device pixels, which aliased drawing renders
    // 1 or 2 wide by position: the grid and frames take whole device pixels, the same everywhere.
    QPen hairline(Qt::black, std::max(1.0, std::round(p.device()->devicePixelRatioF())));
    hairline.setCosmetic(true);
    const QFont font = TrafficChart::Font();
    p.setFont(font);
    const QFontMetrics fm(font);

    const int depth = view3D_ ? Depth3D : 0;
    const QRectF front = Front(size);
    const QRectF back = front.translated(depth, -depth);

    // Legend: the two titles with their colours, centred at the top.
    {
        int width = 0;
        for (const ChartSeries& s : series_)
            width += 28 + fm.horizontalAdvance(s.title) + 10;
        QRect box((size.width() - width) / 2, 4, width, LegendHeight - 6);
        p.setPen(hairline);
        p.setBrush(Qt::white);
        p.drawRect(box);
        int x = box.left() + 6;
        for (const ChartSeries& s : series_) {
            p.setPen(QPen(s.colour, 3));
            p.drawLine(x, box.center().y(), x + 16, box.center().y());
            p.setPen(Qt::black);
            p.drawText(QRect(x + 20, box.top(), fm.horizontalAdvance(s.title) + 4, box.height()),
                       Qt::AlignVCenter | Qt::AlignLeft, s.title);
            x += 28 + fm.horizontalAdvance(s.title) + 10;
        }
    }

    // Walls: back always; left and bottom only in 3D.
    p.setPen(Qt::NoPen);
    if (view3D_) {
        p.setBrush(LeftWall);
        p.drawPolygon(
            QPolygonF({front.topLeft(), back.topLeft(), back.bottomLeft(), front.bottomLeft()}));
        p.setBrush(BottomWall);
        p.drawPolygon(QPolygonF(
            {front.bottomLeft(), back.bottomLeft(), back.bottomRight(), front.bottomRight()}));
    }
    p.setBrush(BackWall);
    p.drawRect(back);

    const double xSpan = bottomMax_ - bottomMin_;
    auto px = [this](double x, const QRectF& plane) { return XAt(x, plane); };
    auto py = [&](double y, const QRectF& plane) {
        return plane.bottom() - (leftMax_ > 0 ? y / leftMax_ * plane.height() : 0);
    };

    // Grid on the back wall (and across the floor and the left wall in 3D), with the rate labels.
    p.setPen(hairline);
    p.setBrush(Qt::NoBrush);
    const bool leftSteps = leftStep_ > 0 && leftMax_ / leftStep_ <= MaxGridLines;
    for (int i = 0; leftSteps ? i * leftStep_ <= leftMax_ : i < 2; ++i) {
        const double value = leftSteps ? i * leftStep_ : i * leftMax_;
        const double yb = py(value, back);
        p.setPen(hairline);
        p.drawLine(QPointF(back.left(), yb), QPointF(back.right(), yb));
        if (view3D_) p.drawLine(QPointF(front.left(), py(value, front)), QPointF(back.left(), yb));
        p.setPen(Qt::white);
        p.drawText(QRectF(0, py(value, front) - 8, front.left() - 6, 16),
                   Qt::AlignRight | Qt::AlignVCenter, ValueText(value));
    }
    if (xSpan > 0 && xSpan <= MaxGridLines) {
        p.setPen(hairline);
        for (double x = std::ceil(bottomMin_); x <= bottomMax_; x += 1) {
            p.drawLine(QPointF(px(x, back), back.top()), QPointF(px(x, back), back.bottom()));
            if (view3D_)
                p.drawLine(QPointF(px(x, front), front.bottom()),
                           QPointF(px(x, back), back.bottom()));
        }
    }

    // Axis titles.
    p.setPen(Qt::white);
    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRectF(front.left(), size.height() - 18, front.width(), 16), Qt::AlignCenter,
               QStringLiteral("Time"));
    p.save();
    p.translate(12, front.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-40, -8, 80, 16), Qt::AlignCenter, axisTitle_);
    p.restore();
    p.setFont(font);

    // Given time labels: level, each with a grid line on the back wall.
    for (const ChartPoint& label : FittingAxisLabels(size)) {
        p.setPen(hairline);
        p.drawLine(QPointF(px(label.x, back), back.top()),
                   QPointF(px(label.x, back), back.bottom()));
        p.setPen(Qt::white);
        p.drawText(QRectF(px(label.x, front) - 100, front.bottom() + MarkSize + 4, 200, 14),
                   Qt::AlignHCenter | Qt::AlignTop, label.label);
    }
    // Marks: a small triangle pointing up at the time axis, under the plot.
    for (const ChartMark& mark : marks_) {
        if (mark.x < bottomMin_ || mark.x > bottomMax_) continue;
        const double x = px(mark.x, front), y = front.bottom() + 1;
        p.setPen(Qt::black);
        p.setBrush(mark.colour);
        p.drawPolygon(QPolygonF({QPointF(x, y), QPointF(x - MarkSize / 2.0, y + MarkSize),
                                 QPointF(x + MarkSize / 2.0, y + MarkSize)}));
    }

    // Time labels: the points' own texts, turned 90 degrees, under their x.
    const ChartSeries& labelled = series_[0].points.isEmpty() ? series_[1] : series_[0];
    for (const ChartPoint& point : labelled.points) {
        if (!axisLabels_.isEmpty() || point.x < bottomMin_ || point.x > bottomMax_) continue;
        p.save();
        p.translate(px(point.x, front), front.bottom() + 4);
        p.rotate(-90);
        p.drawText(QRectF(-(BottomMargin - 24), -7, BottomMargin - 24, 14),
                   Qt::AlignRight | Qt::AlignVCenter, point.label);
        p.restore();
    }

    // The series, the first in front in 3D.
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int index = static_cast<int>(series_.size()) - 1; index >= 0; --index) {
        const ChartSeries& s = series_[static_cast<std::size_t>(index)];
        const double z = (index - DepthMin) / (DepthMax - DepthMin);
        const QRectF plane = front.translated(z * depth, -z * depth);
        QVector<QPointF> at;
        for (const ChartPoint& point : s.points)
            at.append(QPointF(px(point.x, plane), py(point.y, plane)));
        p.save();
        // Lines stay inside the box; value labels may reach over its top and right edges.
        p.setClipRect(
            QRectF(plane.left() - 1, 0, size.width() - plane.left() + 1, plane.bottom() + 1));
        p.setBrush(Qt::NoBrush);
        // Stroked segment by segment: a long zigzag (a year's margin) stroked as one outline
        // costs the rasterizer a hundred times as much. Square caps close the joins.
        p.setPen(QPen(s.colour, s.lineWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawLines(Segments(LinePath(s.points, at, s.stairs)));
        if (!s.companion.isEmpty()) {
            QVector<QPointF> companion;
            for (const ChartPoint& point : s.companion)
                companion.append(QPointF(px(point.x, plane), py(point.y, plane)));
            p.setPen(QPen(s.colour, 1, Qt::DashLine));
            p.drawPath(LinePath(s.companion, companion, false));
        }
        for (int i = 0; i < at.size(); ++i) {
            if (s.showPoints) {
                p.setPen(Qt::black);
                p.setBrush(s.markerColour);
                p.drawRect(QRectF(at[i].x() - MarkerSize / 2.0, at[i].y() - MarkerSize / 2.0,
                                  MarkerSize, MarkerSize));
            }
            if (s.showValues) {
                const QString text = ValueText(s.points[i].y);
                const QPointF tip(at[i].x(), at[i].y() - LeaderLength);
                p.setPen(QPen(s.colour, 1));
                p.drawLine(at[i], tip);
                const QRectF box(tip.x() - fm.horizontalAdvance(text) / 2.0 - 2,
                                 tip.y() - fm.height(), fm.horizontalAdvance(text) + 4,
                                 fm.height());
                p.setPen(Qt::black);
                p.setBrush(QColor(255, 255, 225));
                p.drawRect(box);
                p.drawText(box, Qt::AlignCenter, text);
            }
        }
        p.restore();
    }
}

} // namespace widgets
