// The tray icon, minimising and restoring, the end of the user's session and the About page.
// The icon and the session's end are small classes of their own (Tray.h, SessionEnd.h, LogOff.h);
// these handlers only say what the window does about them.
#include "Artwork.h"
#include "LogOff.h"
#include "Main.h"
#include "Tray.h"

#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QUrl>
#include <QWindowStateChangeEvent>
#include <cstdio>

void TForm1::AddTrayIcon() {
    tray_ = new app::Tray(this);
    connect(tray_, &app::Tray::ActivationRequested, this, &TForm1::TrayIconCallBack);
    tray_->Add(app::artwork::ProgramIcon()); // without a tray the program runs on without one
}

void TForm1::RemoveTrayIcon() {
    if (tray_ != nullptr) tray_->Remove();
}

bool TForm1::TrayIconPresent() const {
    return tray_ != nullptr && tray_->Present();
}

void TForm1::TrayIconCallBack() {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized); // the restore event
    show();
    raise();
    activateWindow();
}

void TForm1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const bool wasMinimized =
        static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized;
    if (isMinimized() && !wasMinimized)
        AppEventsMinimize();
    else if (!isMinimized() && wasMinimized)
        ApplicationEvents1Restore();
}

void TForm1::AppEventsMinimize() {
    // Hidden, the window is reached through the icon alone, so it hides only while there is one.
    // Queued, since the window system is still delivering the minimise, and only if no restore
    // came first.
    if (settings_.MinTray && TrayIconPresent())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!isMinimized()) return;
                hide();
                sysLogViewer_->HideWindow(); // the tray icon alone; restoring shows both
            },
            Qt::QueuedConnection);
}

void TForm1::ApplicationEvents1Restore() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    sysLogViewer_->ShowFloating();
    show();
    raise();
    activateWindow();
}

bool TForm1::WMQueryEndSession() {
    logOff_->End(false);
    return true;
}

void TForm1::BuildLogOff() {
    const auto save = [this] {
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
    };
    // Start-up's steps for the floating view and the server.
    const auto resume = [this] {
        if (!settings_.SLDocked) UnDockSysLog(isVisible() && !isMinimized());
        if (settings_.SLActive) ActivateSysLog();
    };
    logOff_ = new app::LogOff({save, resume}, this);
}

void TForm1::BuildAboutPage() {
    QWidget* page = Page(app::AboutPageIndex);
    auto* picture = new QLabel(page);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(150, 56, 320, 160);
    picture->setPixmap(widgets::LoadArtwork(QString::fromLatin1(app::artwork::kAbout)));
    const QString address = QStringLiteral(LINESCOPE_HOMEPAGE);
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(address), page);
    link->setObjectName(QStringLiteral("AboutBtnWWW"));
    link->setGeometry(40, 332, 540, 24);
    link->setAlignment(Qt::AlignCenter);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setToolTip(QStringLiteral("Visit the LineScope home page"));
    connect(link, &QLabel::linkActivated, this, &TForm1::AboutBtnWWWClick);
}

void TForm1::AboutBtnWWWClick() {
    // Whether a browser opened is not looked at; there is nothing the user could do about it.
    QDesktopServices::openUrl(QUrl(QStringLiteral(LINESCOPE_HOMEPAGE)));
}
