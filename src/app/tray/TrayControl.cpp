#include "app/tray/TrayControl.h"

#include "app/tray/Tray.h"
#include "core/Settings.h"

#include <QWidget>

namespace app {

TrayControl::TrayControl(QWidget& window, const core::Settings& settings, Hooks hooks)
    : window_(window), settings_(settings), hooks_(std::move(hooks)),
      logOff_(new LogOff(hooks_.sessionEnd, this)) {}

void TrayControl::AddIcon(const QIcon& icon) {
    if (tray_ == nullptr) {
        tray_ = new Tray(this);
        connect(tray_, &Tray::ActivationRequested, this, &TrayControl::BringBack);
    }
    tray_->Add(icon);
}

void TrayControl::RemoveIcon() {
    if (tray_ != nullptr) tray_->Remove();
}

bool TrayControl::IconPresent() const {
    return tray_ != nullptr && tray_->Present();
}

void TrayControl::Notify(const QString& title, const QString& text) {
    if (tray_ != nullptr) tray_->Notify(title, text);
}

void TrayControl::BringBack() {
    if (window_.isMinimized()) // the restore event
        window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void TrayControl::WindowStateChanged(Qt::WindowStates old) {
    const bool wasMinimized = old & Qt::WindowMinimized;
    if (window_.isMinimized() && !wasMinimized)
        Minimised();
    else if (!window_.isMinimized() && wasMinimized)
        Restored();
}

void TrayControl::Minimised() {
    // Hidden, the window is reached through the icon alone, so it hides only while there is one.
    // Queued, since the window system is still delivering the minimise, and only if no restore
    // came first.
    if (settings_.MinTray && IconPresent())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!window_.isMinimized()) return;
                window_.hide();
                hooks_.hideFloating(); // the tray icon alone; restoring shows both
            },
            Qt::QueuedConnection);
}

void TrayControl::Restored() {
    window_.setWindowState(window_.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (!settings_.SLDocked) hooks_.showFloating();
    window_.show();
    window_.raise();
    window_.activateWindow();
}

bool TrayControl::QueryEndSession() {
    logOff_->End(false);
    return true;
}

} // namespace app
