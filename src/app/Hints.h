// Hints: the tool tips of the window's controls, set by their designer names, and a filter that
// keeps each up for HintHidePause.
#pragma once

#include <QObject>
#include <string_view>

class QWidget;

namespace app {

// How long a hint stays up before it vanishes.
inline constexpr int HintHidePause = 6000;

// Shows every tool tip of the program for HintHidePause instead of Qt's length-dependent time.
class HintFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

void SetHint(QWidget* control, std::string_view hint);
// Every control below `window` that has a hint, found by name, so that controls of every feature
// (the floating syslog window's too) are reached; one that does not exist is skipped.
void SetAllHints(QWidget& window);

} // namespace app
