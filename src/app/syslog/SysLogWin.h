// TForm2: the floating syslog window. It carries the log view while it is undocked; the syslog
// viewer moves the view and the state caption in and out and keeps its placement.
#pragma once

#include "app/syslog/SysLogView.h"

#include <QRect>
#include <QWidget>

class TForm2 : public QWidget {
    Q_OBJECT

public:
    // Owned by the main window, a window of its own; its buttons share the main window's images.
    TForm2(widgets::tImageList* buttonImages, QWidget* owner);

    [[nodiscard]] QLabel* Label13() const { return view_.Label13; }
    [[nodiscard]] const app::SysLogView& Home() const { return view_; }
    // 0 normal, 1 minimised (also when it was maximised before), 2 maximised.
    [[nodiscard]] int WindowStateNumber() const;
    void SetWindowStateNumber(int state);
    // The bounds the window has when neither maximised nor minimised, in every state: the
    // frame's top-left, as move() takes it, and the client area's size, as resize() does.
    [[nodiscard]] QRect NormalBounds() const { return normal_; }
    // Shows it normal at these bounds next time; the state is set apart.
    void PlaceNormal(const QRect& bounds);

    void tRollOverBtn1Click(); // clear
    void tRollOverBtn2Click(); // save
    void tRollOverBtn3Click(); // dock: closes the window

signals:
    // The window is closing in any way the user can: the main window docks the view.
    void FormClose();
    void ClearRequested();
    void SaveRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A move or resize while the window shows normal sets the bounds it comes back to.
    void TrackNormalBounds();

    app::SysLogView view_;
    QRect normal_;
};
