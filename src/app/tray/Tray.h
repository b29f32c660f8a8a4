// The notification-area icon. A small wrapper around QSystemTrayIcon that reports a left press as
// "activation requested" and ignores every other event; while the desktop offers no tray it is
// absent, and the window must then never hide itself behind it.
#pragma once

#include <QObject>

class QIcon;
class QString;
class QSystemTrayIcon;

namespace app {

inline constexpr const char* TrayTip = "Corvane LineScope";

class Tray final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Shows the icon with TrayTip; false while the desktop has no tray.
    bool Add(const QIcon& icon);
    void Remove();
    // The icon is in a tray now.
    [[nodiscard]] bool Present() const;
    // A desktop notification from the icon; nothing without one.
    void Notify(const QString& title, const QString& text);

signals:
    void ActivationRequested();

private:
    QSystemTrayIcon* icon_ = nullptr;
};

} // namespace app
