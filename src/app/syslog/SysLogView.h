// The log view's two homes, the main window's SysLog page and the floating window: a caption,
// a frame and a button strip, built the same way in both; only the names, captions and sizes
// differ. The one view itself and the lines it shows belong to SysLogPanel, which moves it
// between the homes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <deque>

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
    std::array<widgets::tRollOverBtn*, 3> buttons{};
    bool horizontalScrollBar = false; // for the view while it is here

    // Everything undocking hides on the page but the caption and the view, which moves away.
    [[nodiscard]] std::array<QWidget*, 6> Group() const;
    // Places the controls in a client area of this size: the view, when it is here, takes what
    // the caption and the button strip leave.
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

// The most lines the log keeps; the oldest goes first.
inline constexpr int SysLogMaxLines = 5000;

// The log's lines as received and the one view ("Memo1") that shows them, one line of the view
// per line whatever its characters. Moving the view, rather than copying its text, keeps docking
// from changing a byte; Save writes the lines kept here, as the log file gets them.
class SysLogPanel {
public:
    explicit SysLogPanel(const SysLogView& home);

    [[nodiscard]] QPlainTextEdit* View() const { return view_; }
    // The view goes into the frame of `home`, with the home's scroll bars.
    void MoveTo(const SysLogView& home);
    // With `later`, the line is shown at the next Flush, so a batch is one append.
    void Add(const QString& line, bool later);
    void Flush();
    void Clear();
    // Every line with CR LF, each as the log file holds it.
    [[nodiscard]] QByteArray FileBytes() const;

private:
    QPlainTextEdit* view_;
    std::deque<QString> lines_; // at most SysLogMaxLines, the same the view shows
    QStringList pending_;       // shown texts not in the view yet
};

} // namespace app
