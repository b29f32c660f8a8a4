// tRazCell: the two-part value cell of every data page. A label part on the left (String1) and a
// value part on the right (String2) meet at the x position Seperator; each part has its own font,
// fill colour and alignment, and both share one outline pen.
//
// Geometry (w the pen width, at least 1 as Qt draws width 0 one pixel wide; cell width W,
// height H; right and bottom edges exclusive):
//   left part   [1, Seperator)     x [1, H)   outline of width w drawn inside the part
//   right part  [Seperator - w, W) x [1, H)   so its outline overlaps the left part's right edge
//   label text  [4, Seperator - 4)           x [1, H)
//   value text  [Seperator - w + 4, W - 4)   x [1, H)
// Row 0 and column 0 show the widget's background colour. Every paint renders the whole cell
// into one off-screen image and copies it in one piece, and the background is never erased on
// its own: with 161 cells refreshed in bulk this keeps them free of flicker.
#pragma once

#include <QColor>
#include <QFont>
#include <QPen>
#include <QRect>
#include <QString>
#include <QWidget>

namespace widgets {

// Horizontal text alignment of a cell part; the numbers are the stored values.
enum class Alignment { Left = 0, Right = 1, Centre = 2 };

class tRazCell : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString String1 READ String1 WRITE SetString1)
    Q_PROPERTY(QString String2 READ String2 WRITE SetString2)
    Q_PROPERTY(QFont Font1 READ Font1 WRITE SetFont1)
    Q_PROPERTY(QFont Font2 READ Font2 WRITE SetFont2)
    Q_PROPERTY(QColor FontColor1 READ FontColor1 WRITE SetFontColor1)
    Q_PROPERTY(QColor FontColor2 READ FontColor2 WRITE SetFontColor2)
    Q_PROPERTY(QColor FillColor1 READ FillColor1 WRITE SetFillColor1)
    Q_PROPERTY(QColor FillColor2 READ FillColor2 WRITE SetFillColor2)
    Q_PROPERTY(QPen Pen READ Pen WRITE SetPen)
    Q_PROPERTY(int Seperator READ Seperator WRITE SetSeperator)
    Q_PROPERTY(int Alignment1 READ Alignment1Value WRITE SetAlignment1Value)
    Q_PROPERTY(int Alignment2 READ Alignment2Value WRITE SetAlignment2Value)

public:
    explicit tRazCell(QWidget* parent = nullptr);
    ~tRazCell() override;

    [[nodiscard]] const QString& String1() const { return string1_; }
    [[nodiscard]] const QString& String2() const { return string2_; }
    [[nodiscard]] const QFont& Font1() const { return font1_; }
    [[nodiscard]] const QFont& Font2() const { return font2_; }
    // Text colours go with the fonts (QFont has none); an invalid colour, the default, means the
    // palette's window-text colour.
    [[nodiscard]] QColor FontColor1() const { return fontColor1_; }
    [[nodiscard]] QColor FontColor2() const { return fontColor2_; }
    [[nodiscard]] QColor FillColor1() const { return fillColor1_; }
    [[nodiscard]] QColor FillColor2() const { return fillColor2_; }
    [[nodiscard]] const QPen& Pen() const { return pen_; }
    [[nodiscard]] int Seperator() const { return seperator_; }
    [[nodiscard]] Alignment Alignment1() const { return alignment1_; }
    [[nodiscard]] Alignment Alignment2() const { return alignment2_; }

    // These repaint only when the value differs from the stored one.
    void SetString1(const QString& text);
    void SetString2(const QString& text);
    void SetFillColor1(const QColor& color);
    void SetFillColor2(const QColor& color);
    void SetSeperator(int x);
    void SetAlignment1(Alignment alignment);
    void SetAlignment2(Alignment alignment);
    // These copy the given attributes into the cell's own object and always repaint.
    void SetFont1(const QFont& font);
    void SetFont2(const QFont& font);
    void SetFontColor1(const QColor& color);
    void SetFontColor2(const QColor& color);
    void SetPen(const QPen& pen);

    // The rectangles the texts are drawn in, for the current size, Seperator and pen.
    [[nodiscard]] QRect labelPartRect() const;
    [[nodiscard]] QRect valuePartRect() const;
    [[nodiscard]] QRect labelTextRect() const;
    [[nodiscard]] QRect valueTextRect() const;

    // The value as drawn: cut with an ellipsis when wider than its text box. While it is cut,
    // the tooltip shows the whole value above the hint the owner gave, and assistive technology
    // reads the whole value as the description.
    [[nodiscard]] QString ShownValue() const;
    [[nodiscard]] bool IsValueElided() const { return ShownValue() != string2_; }
    // The hint as the owner set it with setToolTip, without the value.
    [[nodiscard]] const QString& Hint() const { return hint_; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Stored alignment numbers for the property system; values outside 0..2 read as left.
    [[nodiscard]] int Alignment1Value() const { return static_cast<int>(alignment1_); }
    [[nodiscard]] int Alignment2Value() const { return static_cast<int>(alignment2_); }
    void SetAlignment1Value(int value);
    void SetAlignment2Value(int value);
    void StyleChanged();
    void UpdateToolTip();

    QString string1_;
    QString string2_;
    QFont font1_;
    QFont font2_;
    QColor fontColor1_;
    QColor fontColor2_;
    QColor fillColor1_{0, 128, 192};
    QColor fillColor2_{Qt::white};
    QPen pen_;
    int seperator_ = 64;
    Alignment alignment1_ = Alignment::Left;
    Alignment alignment2_ = Alignment::Left;
    QString hint_;
    bool composingToolTip_ = false;
};

} // namespace widgets
