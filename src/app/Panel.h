// The window's flat panels: a filled rectangle with a 2-pixel outline behind the menu buttons
// and the page contents.
#pragma once

#include <QColor>
#include <QPainter>
#include <QWidget>

namespace app {

inline const QColor WindowColour{0, 128, 192}; // also the cells' label colour
inline const QColor PanelColour{155, 154, 179};

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
