#include "app/tray/Tray.h"

#include <QGuiApplication>
#include <QIcon>
#include <QSystemTrayIcon>

namespace app {

bool Tray::Add(const QIcon& icon) {
    // On X11 Qt docks a shown icon as soon as a tray appears (a panel that starts after the
    // program, or restarts); elsewhere a desktop without a tray now gets none.
    const bool waits = QGuiApplication::platformName() == QLatin1String("xcb");
    if (icon_ != nullptr || (!QSystemTrayIcon::isSystemTrayAvailable() && !waits)) return Present();
    icon_ = new QSystemTrayIcon(icon, this);
    icon_->setToolTip(QString::fromLatin1(TrayTip));
    // Trigger is the left button; the context (right) button, double and middle clicks do
    // nothing, and there is no menu.
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) emit ActivationRequested();
    });
    icon_->show();
    return Present();
}

bool Tray::Present() const {
    return icon_ != nullptr && QSystemTrayIcon::isSystemTrayAvailable();
}

void Tray::Remove() {
    delete icon_;
    icon_ = nullptr;
}

void Tray::Notify(const QString& title, const QString& text) {
    if (icon_ != nullptr) icon_->showMessage(title, text, QSystemTrayIcon::Information);
}

} // namespace app
