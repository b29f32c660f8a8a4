// The window's flat panels: a filled rectangle with a 2-pixel outline behind the menu buttons
// and the page contents.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QWidget>

namespace app {

inline const QColor WindowColour{0, 128, 192}; // also the cells' label colour
inline const QColor PanelColour{155, 154, 179};

// The window's fonts by their design names, sized in pixels as a 96 dpi screen shows their point
// sizes (8 point: 11 pixels), so the cells' texts fit whatever dpi the screen reports. Where the
// design faces are missing, stand-ins narrow enough for the values the cells were laid out for
// ("R62GX-0A050C01" in 89 pixels): DejaVu Sans Condensed for "MS Sans Serif", and Arial's metric
// twin Liberation Sans for "Arial" (scripts/install-deps installs both).
inline QFont DesignFont(const QString& family, int pointSize, bool bold = false) {
    QFont font(family);
    font.setPixelSize(qRound(pointSize * 96 / 72.0));
    font.setBold(bold);
    const QString condensed = QStringLiteral("DejaVu Sans Condensed");
    if (family == QLatin1String("Arial"))
        font.setFamilies({family, QStringLiteral("Liberation Sans"), condensed});
    else
        font.setFamilies({family, QStringLiteral("Microsoft Sans Serif"), condensed});
    return font;
}
inline QFont SansSerifFont(bool bold = false) {
    return DesignFont(QStringLiteral("MS Sans Serif"), 8, bold);
}
inline QFont ArialFont(int pointSize, bool bold = false) {
    return DesignFont(QStringLiteral("Arial"), pointSize, bold);
}
// The same with a character height in pixels, as the page titles and headings are given.
inline QFont PixelFont(const QString& family, int pixels, bool bold = false, bool italic = false) {
    QFont font = DesignFont(family, 8, bold);
    font.setPixelSize(pixels);
    font.setItalic(italic);
    return font;
}

class Panel final : public QWidget {
public:
    explicit Panel(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), PanelColour);
        // The pen straddles the path, so inset by one pixel to keep both pixels inside.
        painter.setPen(QPen(Qt::black, 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};

} // namespace app
