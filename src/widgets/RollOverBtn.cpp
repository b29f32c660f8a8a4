#include "RollOverBtn.h"

#include "Accessibility.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace widgets {

tRollOverBtn::tRollOverBtn(QWidget* parent) : QWidget(parent) {
    InstallAccessibility();
    // Whatever lies under the button shows through where its image is transparent or missing.
    setAttribute(Qt::WA_NoSystemBackground);
    resize(128, 32);
}

tRollOverBtn::~tRollOverBtn() {
    disconnect(imagesConnection_);
}

void tRollOverBtn::SetCaption(const QString& caption) {
    const bool renamed = caption != caption_;
    caption_ = caption;
    update();
    if (renamed) {
        updateGeometry();
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void tRollOverBtn::SetButtonDown(bool down) {
    const bool toggled = down != buttonDown_;
    buttonDown_ = down;
    update();
    if (toggled) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void tRollOverBtn::SetFont(const QFont& font) {
    font_ = font;
    StyleChanged();
}

void tRollOverBtn::SetFontColor(const QColor& color) {
    fontColor_ = color;
    StyleChanged();
}

void tRollOverBtn::StyleChanged() {
    updateGeometry();
    update();
}

void tRollOverBtn::SetImages(tImageList* images) {
    disconnect(imagesConnection_);
    imagesConnection_ = {};
    images_ = images;
    if (images) {
        // Connected per list, and checked again on arrival: a list that was replaced must not
        // repaint this button any more.
        imagesConnection_ = connect(images, &tImageList::changed, this, [this, images] {
            if (images_ == images) ImagesChanged();
        });
    }
    updateGeometry();
    update();
}

void tRollOverBtn::ImagesChanged() {
    updateGeometry();
    update();
}

int tRollOverBtn::CurrentImageIndex() const {
    if (buttonDown_) return tImageList::Down;
    if (hover_) return pressed_ ? tImageList::Down : tImageList::Over;
    return tImageList::Normal;
}

void tRollOverBtn::Click() {
    emit clicked();
}

void tRollOverBtn::SetCheckBox(bool checkedWhenDown) {
    checkBox_ = true;
    downChecked_ = checkedWhenDown;
}

void tRollOverBtn::SetLabel(QWidget* label) {
    label_ = label;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

QSize tRollOverBtn::sizeHint() const {
    if (images_ && images_->Count() > 0) {
        const QSize size = images_->ImageSize();
        if (!size.isEmpty()) return size;
    }
    const QFontMetrics metrics(font_);
    return {std::max(128, metrics.horizontalAdvance(caption_) + 8),
            std::max(32, metrics.height() + 4)};
}

void tRollOverBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (images_) {
        const QPixmap image = images_->Image(CurrentImageIndex());
        if (!image.isNull()) painter.drawPixmap(QPoint(0, 0), image);
    }
    if (caption_.isEmpty()) return;
    painter.setFont(font_);
    painter.setPen(fontColor_.isValid() ? fontColor_ : palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, caption_);
}

void tRollOverBtn::SetHover(bool hover) {
    if (hover == hover_) return;
    hover_ = hover;
    update();
}

void tRollOverBtn::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    update();
    hover_ = true;
}

void tRollOverBtn::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    update();
    hover_ = false;
}

void tRollOverBtn::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    update();
    pressed_ = true;
    // The press itself proves the mouse is over the button, even if no enter event came first
    // (the button appeared under a resting mouse).
    hover_ = true;
}

void tRollOverBtn::mouseMoveEvent(QMouseEvent* event) {
    // Qt holds back leave and enter events while a button is held (the press grabs the mouse),
    // so the hover flag follows the position instead: off the button shows the normal image,
    // back on shows the down image again.
    if (pressed_) {
        SetHover(rect().contains(event->position().toPoint()));
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void tRollOverBtn::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    const bool inside = rect().contains(event->position().toPoint());
    if (inside) {
        // A click handler may delete the button; touch nothing of it afterwards in that case.
        const QPointer<tRollOverBtn> alive(this);
        emit clicked();
        if (!alive) return;
    }
    update();
    pressed_ = false;
    hover_ = inside;
}

void tRollOverBtn::hideEvent(QHideEvent* event) {
    // A hidden button gets no leave or release; shown again it must not look hovered or held.
    hover_ = false;
    pressed_ = false;
    QWidget::hideEvent(event);
}

} // namespace widgets
