// The window's life in the notification area: the icon, minimising to it with MinTray, coming
// back from it, and the end of the user's session (LogOff), which leaves the icon to the shell.
#pragma once

#include "app/tray/LogOff.h"

#include <QObject>
#include <functional>

class QIcon;
class QString;
class QWidget;

namespace core {
struct Settings;
}

namespace app {

class Tray;

class TrayControl final : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        std::function<void()> hideFloating; // the floating syslog window, with the main one
        std::function<void()> showFloating; // shown and raised, when it floats
        LogOff::Steps sessionEnd;
    };
    TrayControl(QWidget& window, const core::Settings& settings, Hooks hooks);

    // Without a tray the program runs on without an icon.
    void AddIcon(const QIcon& icon);
    void RemoveIcon();
    [[nodiscard]] bool IconPresent() const;
    // A desktop notification from the icon; nothing without one.
    void Notify(const QString& title, const QString& text);

    // TrayIconCallBack: a left press on the icon brings the window back and to the front.
    void BringBack();
    // AppEventsMinimize: with MinTray, only the icon is left.
    void Minimised();
    // ApplicationEvents1Restore.
    void Restored();
    // The window's state changed from `old`: a minimise or a restore.
    void WindowStateChanged(Qt::WindowStates old);
    // WMQueryEndSession: saves as the close does, but keeps the icon and goes on running, since
    // the log-off may yet be cancelled. Always true: the program never refuses a log-off.
    bool QueryEndSession();
    [[nodiscard]] LogOff& SessionEnd() const { return *logOff_; }

private:
    QWidget& window_;
    const core::Settings& settings_;
    Hooks hooks_;
    Tray* tray_ = nullptr;
    LogOff* logOff_;
};

} // namespace app
