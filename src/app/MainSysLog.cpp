// The main window's syslog handlers: the server is the core's (SysLog.h), the page, the floating
// window and their lines the viewer's (syslog/SysLogViewer.h); these only delegate, and wire the
// two to the Options toggles.
#include "Main.h"
#include "app/options/OptionsPage.h"

#include <QLabel>

void TForm1::BuildSysLogPage() {
    sysLog_ = std::make_unique<core::SysLogServer>(settings_, seams_.clock, seams_.sounds,
                                                   seams_.syslogPort);
    sysLogViewer_ = std::make_unique<app::SysLogViewer>(
        *sysLog_, settings_, seams_.saveDialog, seams_.messages,
        app::SysLogViewer::Place{this, Page(app::SyslogPageIndex),
                                 findChild<QLabel*>(QStringLiteral("Label13")), imageList1_});
    // A toggle is drawn down while its setting is off, also where the program switched it off.
    connect(sysLogViewer_.get(), &app::SysLogViewer::EnableFailed, this,
            [this] { options_->ShowOption(&core::Settings::SLActive, false); });
    connect(sysLog_.get(), &core::SysLogServer::FileOutputSwitchedOff, this,
            [this] { options_->ShowOption(&core::Settings::SLFileOut, false); });
}

TForm2* TForm1::Form2() const {
    return sysLogViewer_->Window();
}
