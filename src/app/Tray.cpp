#include "Tray.h"

#include <QIcon>
#include <QSystemTrayIcon>

namespace app {

bool Tray::Add(const QIcon& icon) {
    // A shell restarting later does not bring the icon back; it is added once.
    if (icon_ != nullptr || !QSystemTrayIcon::isSystemTrayAvailable()) return Present();
    icon_ = new QSystemTrayIcon(icon, this);
    icon_->setToolTip(QString::fromLatin1(TrayTip));
    // Trigger is the left button; the context (right) button, double and middle clicks do
    // nothing, and there is no menu.
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) emit ActivationRequested();
    });
    icon_->show();
    return true;
}

void Tray::Remove() {
    delete icon_;
    icon_ = nullptr;
}

void Tray::Notify(const QString& title, const QString& text) {
    if (icon_ != nullptr) icon_->showMessage(title, text, QSystemTrayIcon::Information);
}

} // namespace app
