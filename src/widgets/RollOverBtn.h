// tRollOverBtn: a flat image button. It draws one of three images of a tImageList (normal,
// mouse over, down) with a centred caption over it and raises clicked() like a push button. It
// has no toggle logic: its owner shows a selection by setting ButtonDown.
//
// The button paints no background of its own (the image is expected to cover it), so it sits
// on its parent's surface like a windowless control.
#pragma once

#include "ImageList.h"

#include <QColor>
#include <QFont>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace widgets {

class tRollOverBtn : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QFont Font READ Font WRITE SetFont)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(bool ButtonDown READ ButtonDown WRITE SetButtonDown)

public:
    explicit tRollOverBtn(QWidget* parent = nullptr);
    ~tRollOverBtn() override;

    [[nodiscard]] const QString& Caption() const { return caption_; }
    [[nodiscard]] tImageList* Images() const { return images_; }
    [[nodiscard]] const QFont& Font() const { return font_; }
    // The caption's colour (QFont has none); invalid, the default, means window text.
    [[nodiscard]] QColor FontColor() const { return fontColor_; }
    [[nodiscard]] bool ButtonDown() const { return buttonDown_; }

    // Both store and repaint even when the value is unchanged: group selection reassigns every
    // button of a group and expects each to redraw.
    void SetCaption(const QString& caption);
    void SetButtonDown(bool down);
    // Copies the font's attributes into the button's own font and repaints.
    void SetFont(const QFont& font);
    void SetFontColor(const QColor& color);
    // Not owned; nullptr means no images (only the caption is drawn). The button follows the
    // list's changed() signal until another list is assigned or the list is destroyed.
    void SetImages(tImageList* images);

    // The image index the next paint draws: Down when ButtonDown, else Down while held with
    // the mouse over the button, Over while the mouse is over it, Normal otherwise.
    [[nodiscard]] int CurrentImageIndex() const;
    [[nodiscard]] bool IsHovered() const { return hover_; }
    [[nodiscard]] bool IsPressed() const { return pressed_; }

    // Raises clicked() as a left click released over the button would (used by the
    // accessibility Press action).
    void Click();

    // For assistive technology the button is a push button whose ButtonDown reads as checked
    // (a group's selection) unless made an on/off check box here: then it is checked while
    // ButtonDown equals checkedWhenDown, as a toggle drawn down for "off" needs false.
    void SetCheckBox(bool checkedWhenDown);
    [[nodiscard]] bool IsCheckBox() const { return checkBox_; }
    // The state assistive technology is told: ButtonDown, inverted for a check box drawn down
    // while off.
    [[nodiscard]] bool IsChecked() const {
        return checkBox_ ? buttonDown_ == downChecked_ : buttonDown_;
    }
    // A blank-captioned button is named by the control beside it: its accessible name becomes
    // the button's name and its hint the button's description, read whenever asked. Not owned;
    // forgotten when it is destroyed.
    void SetLabel(QWidget* label);
    [[nodiscard]] QWidget* Label() const { return label_; }

    [[nodiscard]] QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void StyleChanged();
    void ImagesChanged();
    void SetHover(bool hover);

    QString caption_ = QStringLiteral("tRollOverBtn");
    QPointer<tImageList> images_;
    QMetaObject::Connection imagesConnection_;
    QFont font_;
    QColor fontColor_;
    QPointer<QWidget> label_;
    bool buttonDown_ = false;
    bool checkBox_ = false;
    bool downChecked_ = true;
    bool hover_ = false;
    bool pressed_ = false;
};

} // namespace widgets
