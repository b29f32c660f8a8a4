#include "RazCell.h"

#include "Accessibility.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace widgets {

namespace {

// Keeps geometry arithmetic far from int overflow whatever Seperator or pen width is stored;
// widgets are never wider than QWIDGETSIZE_MAX (2^24 - 1), so clamping changes nothing visible.
constexpr int kGeometryLimit = 1 << 26;

int Clamped(int v) {
    return std::clamp(v, -kGeometryLimit, kGeometryLimit);
}

// A rectangle from its left/top and exclusive right/bottom edges; empty when they cross.
QRect Span(int left, int top, int right, int bottom) {
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

// Qt's width 0 is a one-pixel cosmetic pen; the outline is never thinner than that.
int OutlineWidth(const QPen& pen) {
    return Clamped(std::max(1, pen.width()));
}

Qt::Alignment HorizontalFlag(Alignment alignment) {
    switch (alignment) {
    case Alignment::Right:
        return Qt::AlignRight;
    case Alignment::Centre:
        return Qt::AlignHCenter;
    case Alignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

Alignment AlignmentFromValue(int value) {
    switch (value) {
    case 1:
        return Alignment::Right;
    case 2:
        return Alignment::Centre;
    default:
        return Alignment::Left;
    }
}

// Fills a part and draws its outline inside it, so neighbouring parts can share an outline by
// overlapping by exactly the outline width.
void DrawPart(QPainter& painter, const QRect& part, const QColor& fill, const QPen& pen) {
    if (part.isEmpty()) return;
    if (pen.style() == Qt::NoPen) {
        painter.fillRect(part, fill);
        return;
    }
    const int w = OutlineWidth(pen);
    if (pen.style() == Qt::SolidLine) {
        painter.fillRect(part, pen.brush());
        const QRect inner = part.adjusted(w, w, -w, -w);
        if (!inner.isEmpty()) painter.fillRect(inner, fill);
        return;
    }
    // Patterned outlines: stroke along the middle of the inside band.
    painter.fillRect(part, fill);
    QPen outline(pen);
    outline.setWidth(w);
    outline.setJoinStyle(Qt::MiterJoin);
    const qreal half = w / 2.0;
    painter.save();
    painter.setClipRect(part);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(part).adjusted(half, half, -half, -half));
    painter.restore();
}

void DrawCellText(QPainter& painter, const QRect& box, const QFont& font, const QColor& color,
                  const QString& text, Alignment alignment) {
    if (box.isEmpty() || text.isEmpty()) return;
    painter.save();
    painter.setClipRect(box);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(box, HorizontalFlag(alignment) | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter.restore();
}

} // namespace

tRazCell::tRazCell(QWidget* parent) : QWidget(parent) {
    InstallAccessibility();
    // Every paint covers the whole cell from the off-screen image, so Qt need not clear it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(128, 32);
}

tRazCell::~tRazCell() = default;

void tRazCell::SetString1(const QString& text) {
    if (text == string1_) return;
    string1_ = text;
    update();
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void tRazCell::SetString2(const QString& text) {
    if (text == string2_) return;
    string2_ = text;
    update();
    UpdateToolTip();
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void tRazCell::SetFillColor1(const QColor& color) {
    if (color == fillColor1_) return;
    fillColor1_ = color;
    update();
}

void tRazCell::SetFillColor2(const QColor& color) {
    if (color == fillColor2_) return;
    fillColor2_ = color;
    update();
}

void tRazCell::SetSeperator(int x) {
    if (x == seperator_) return;
    seperator_ = x;
    update();
    UpdateToolTip();
}

void tRazCell::SetAlignment1(Alignment alignment) {
    if (alignment == alignment1_) return;
    alignment1_ = alignment;
    update();
}

void tRazCell::SetAlignment2(Alignment alignment) {
    if (alignment == alignment2_) return;
    alignment2_ = alignment;
    update();
}

void tRazCell::SetAlignment1Value(int value) {
    SetAlignment1(AlignmentFromValue(value));
}
void tRazCell::SetAlignment2Value(int value) {
    SetAlignment2(AlignmentFromValue(value));
}

void tRazCell::SetFont1(const QFont& font) {
    font1_ = font;
    StyleChanged();
}

void tRazCell::SetFont2(const QFont& font) {
    font2_ = font;
    StyleChanged();
}

void tRazCell::SetFontColor1(const QColor& color) {
    fontColor1_ = color;
    StyleChanged();
}

void tRazCell::SetFontColor2(const QColor& color) {
    fontColor2_ = color;
    StyleChanged();
}

void tRazCell::SetPen(const QPen& pen) {
    pen_ = pen;
    StyleChanged();
}

void tRazCell::StyleChanged() {
    UpdateToolTip();
    updateGeometry();
    update();
}

QRect tRazCell::labelPartRect() const {
    return Span(1, 1, Clamped(seperator_), height());
}

QRect tRazCell::valuePartRect() const {
    return Span(Clamped(seperator_) - OutlineWidth(pen_), 1, width(), height());
}

QRect tRazCell::labelTextRect() const {
    return Span(4, 1, Clamped(seperator_) - 4, height());
}

QRect tRazCell::valueTextRect() const {
    return Span(Clamped(seperator_) - OutlineWidth(pen_) + 4, 1, width() - 4, height());
}

QString tRazCell::ShownValue() const {
    return QFontMetrics(font2_).elidedText(string2_, Qt::ElideRight,
                                           std::max(0, valueTextRect().width()));
}

void tRazCell::UpdateToolTip() {
    const QString value = IsValueElided() ? string2_ : QString();
    const QString tip =
        value.isEmpty() || hint_.isEmpty() ? value + hint_ : value + QStringLiteral("\n\n") + hint_;
    if (tip == toolTip()) return;
    composingToolTip_ = true;
    setToolTip(tip);
    composingToolTip_ = false;
}

bool tRazCell::event(QEvent* event) {
    // The owner's setToolTip sets the hint; the tooltip itself is composed from it.
    if (event->type() == QEvent::ToolTipChange && !composingToolTip_) {
        hint_ = toolTip();
        UpdateToolTip();
    }
    return QWidget::event(event);
}

void tRazCell::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateToolTip();
}

QSize tRazCell::sizeHint() const {
    const QFontMetrics m1(font1_);
    const QFontMetrics m2(font2_);
    const int valueStart = Clamped(seperator_) - OutlineWidth(pen_) + 4;
    const int w = std::max(128, valueStart + m2.horizontalAdvance(string2_) + 4);
    const int h = std::max(32, std::max(m1.height(), m2.height()) + 2 * OutlineWidth(pen_) + 2);
    return {std::min(w, QWIDGETSIZE_MAX), std::min(h, QWIDGETSIZE_MAX)};
}

void tRazCell::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    if (image.isNull()) return;
    image.setDevicePixelRatio(ratio);

    const QColor windowText = palette().color(QPalette::WindowText);
    {
        QPainter painter(&image);
        // The band left of and above the left part belongs to whatever the cell sits on.
        painter.fillRect(QRect(QPoint(0, 0), size()), palette().color(backgroundRole()));
        DrawPart(painter, labelPartRect(), fillColor1_, pen_);
        DrawCellText(painter, labelTextRect(), font1_,
                     fontColor1_.isValid() ? fontColor1_ : windowText, string1_, alignment1_);
        DrawPart(painter, valuePartRect(), fillColor2_, pen_);
        DrawCellText(painter, valueTextRect(), font2_,
                     fontColor2_.isValid() ? fontColor2_ : windowText, ShownValue(), alignment2_);
    }
    QPainter screen(this);
    screen.drawImage(QPoint(0, 0), image);
}

} // namespace widgets
