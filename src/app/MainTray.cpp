// The tray icon, minimising and restoring, and the end of the user's session, run by
// app::TrayControl; here the window says what is saved when the session ends, and what starts
// again when the log-off turns out to be cancelled.
#include "Artwork.h"
#include "Main.h"
#include "app/tray/TrayControl.h"

#include <QDir>
#include <QWindowStateChangeEvent>
#include <cstdio>

void TForm1::BuildTray() {
    tray_ = std::make_unique<app::TrayControl>(
        *this, settings_,
        app::TrayControl::Hooks{
            [this] { sysLogViewer_->HideWindow(); },
            [this] { sysLogViewer_->ShowFloating(); },
            {[this] { SaveForSessionEnd(); }, [this] { ResumeAfterSessionEnd(); }}});
}

void TForm1::SaveForSessionEnd() {
    if (!settings_.SLDocked) SaveSysLogWindowPlacement();
    settings_.WinX = x();
    settings_.WinY = y();
    // The closing line before the settings; no dialog opens now, so a file error goes to
    // standard error and changes no setting.
    if (settings_.SLActive) DeactivateSyslog();
    // No message box: nobody may be left to close it, and the session waits for no one.
    if (!store_.WriteOptionsToReg(settings_))
        fprintf(stderr, "linescope: the settings could not be saved to %s\n",
                qPrintable(QDir::toNativeSeparators(store_.FileName())));
    // The view and its lines go back to the page with the window gone; SLDocked stays as
    // saved, and should the log-off be cancelled the view floats again.
    if (!settings_.SLDocked) {
        DockSysLog();
        settings_.SLDocked = false;
    }
    DestroySysLogWindow();
}

// Start-up's steps for the floating view and the server.
void TForm1::ResumeAfterSessionEnd() {
    if (!settings_.SLDocked) UnDockSysLog(isVisible() && !isMinimized());
    if (settings_.SLActive) ActivateSysLog();
}

void TForm1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && tray_ != nullptr)
        tray_->WindowStateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState());
}
