// TForm2: the floating syslog window. It carries the log view while it is undocked; the main
// window moves the lines and the state caption in and out and keeps its placement.
#pragma once

#include "SysLogView.h"

#include <QWidget>

class TForm2 : public QWidget {
    Q_OBJECT

public:
    // Owned by the main window, a window of its own; its buttons share the main window's images.
    TForm2(widgets::tImageList* buttonImages, QWidget* owner);

    [[nodiscard]] QLabel* Label13() const { return view_.Label13; }
    [[nodiscard]] QPlainTextEdit* Memo1() const { return view_.Memo1; }
    // 0 normal, 1 minimised, 2 maximised.
    [[nodiscard]] int WindowStateNumber() const;
    void SetWindowStateNumber(int state);

    void tRollOverBtn1Click(); // clear
    void tRollOverBtn2Click(); // save
    void tRollOverBtn3Click(); // dock: closes the window

signals:
    // The window is closing in any way the user can: the main window docks the view.
    void FormClose();
    void SaveRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    app::SysLogView view_;
};
