// The log view with its caption, frame and button strip, built the same way on the main window's
// SysLog page and in the floating window; only the names, captions and sizes differ.
#pragma once

#include <QString>
#include <array>

class QLabel;
class QPlainTextEdit;
class QSize;
class QWidget;

namespace widgets {
class tImageList;
class tRollOverBtn;
} // namespace widgets

namespace app {

struct SysLogView {
    QWidget* Shape23 = nullptr; // background panel
    QLabel* Label13 = nullptr;  // server state
    QWidget* Shape16 = nullptr; // frame around the view
    QWidget* Shape22 = nullptr; // button strip
    QPlainTextEdit* Memo1 = nullptr;
    std::array<widgets::tRollOverBtn*, 3> buttons{};

    // Everything undocking hides on the page: all but the caption.
    [[nodiscard]] std::array<QWidget*, 7> Group() const;
    // Places the controls in a client area of this size: the view takes what the caption
    // and the button strip leave.
    void LayOut(const QSize& area) const;
};

struct SysLogViewNames {
    std::array<const char*, 3> buttons;  // objectNames
    std::array<const char*, 3> captions; // "Clear SysLog", "Save SysLog", the third
    bool horizontalScrollBar;            // the page scrolls both ways, the floating view down
};

// Builds the controls in `parent`. `caption` is the state label when the parent has one already
// (the page's title); otherwise a Label13 is made.
SysLogView BuildSysLogView(QWidget* parent, QLabel* caption, const SysLogViewNames& names,
                           widgets::tImageList* images);

// The most lines a log view keeps; the oldest goes first.
inline constexpr int SysLogMaxLines = 5000;

} // namespace app
