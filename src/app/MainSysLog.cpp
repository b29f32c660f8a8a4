// The syslog side of the main window: the SysLog page's log view, the floating window it can move
// into, and the handlers that switch the server and write its lines. The server itself, the line
// rules and the log file are in the core (SysLog.h); these stay short delegations.
#include "Main.h"
#include "SysLogWin.h"
#include "app/options/OptionsPage.h"
#include "core/SysLog.h"
#include "widgets/ImageList.h"
#include "widgets/RollOverBtn.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <cstdio>

namespace {

const QString DisabledCaption = QStringLiteral("SysLog Server (Disabled)");
const QString SaveTitle = QStringLiteral("Please choose filename and path for SysLog file");

} // namespace

void TForm1::BuildSysLogPage() {
    sysLog_ = std::make_unique<core::SysLogServer>(settings_, seams_.clock, seams_.sounds,
                                                   seams_.syslogPort);
    connect(sysLog_.get(), &core::SysLogServer::Line, this,
            [this](const QString& line) { AddSysLogEntry(line, true, true); });
    connect(sysLog_.get(), &core::SysLogServer::BatchDone, this, [this] { sysLogPanel_->Flush(); });

    sysLogPage_ = app::BuildSysLogView(Page(app::SyslogPageIndex),
                                       findChild<QLabel*>(QStringLiteral("Label13")),
                                       {{"SysLogBtnClear", "SysLogBtnSave", "SysLogBtnUnDock"},
                                        {"Clear SysLog", "Save SysLog", "UnDock SysLog"},
                                        true},
                                       imageList1_);
    sysLogPage_.LayOut(QSize(620, 502));
    sysLogPanel_ = std::make_unique<app::SysLogPanel>(sysLogPage_);
    connect(sysLogPage_.buttons[0], &widgets::tRollOverBtn::clicked, this,
            &TForm1::SysLogBtnClearClick);
    connect(sysLogPage_.buttons[1], &widgets::tRollOverBtn::clicked, this,
            &TForm1::SysLogBtnSaveClick);
    connect(sysLogPage_.buttons[2], &widgets::tRollOverBtn::clicked, this,
            &TForm1::SysLogBtnUnDockClick);
}

void TForm1::CreateSysLogWindow() {
    form2_ = new TForm2(imageList1_, this);
    connect(form2_, &TForm2::FormClose, this, &TForm1::DockSysLog);
    connect(form2_, &TForm2::ClearRequested, this, [this] { sysLogPanel_->Clear(); });
    connect(form2_, &TForm2::SaveRequested, this, [this] { SaveSysLogLines(form2_); });
}

void TForm1::UnDockSysLog(bool show) {
    if (form2_ == nullptr) CreateSysLogWindow(); // gone with the end of a session that went on
    for (QWidget* control : sysLogPage_.Group())
        control->hide();
    form2_->Label13()->setText(sysLogPage_.Label13->text());
    sysLogPage_.Label13->setText(QStringLiteral("SysLog Server (Undocked)"));
    sysLogPanel_->MoveTo(form2_->Home());
    // Placed from the settings at every undock, so the saved place is the one shown.
    QRect placed(settings_.SLFloatX, settings_.SLFloatY, settings_.SLFloatW, settings_.SLFloatH);
    // A place on a screen that is gone would leave the window where nobody can reach it.
    const auto screens = QGuiApplication::screens();
    const bool visible = std::any_of(screens.begin(), screens.end(), [&placed](QScreen* s) {
        return s->availableGeometry().intersects(placed);
    });
    if (!visible && QGuiApplication::primaryScreen() != nullptr)
        placed.moveTopLeft(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    form2_->PlaceNormal(placed);
    form2_->SetWindowStateNumber(settings_.SLFloatState);
    if (show) form2_->show();
}

void TForm1::SysLogBtnUnDockClick() {
    settings_.SLDocked = false;
    UnDockSysLog(true);
}

void TForm1::SaveSysLogWindowPlacement() {
    settings_.SLFloatState = form2_->WindowStateNumber();
    // The normal bounds whatever the state, measured as the next undock places them.
    const QRect bounds = form2_->NormalBounds();
    settings_.SLFloatX = bounds.x();
    settings_.SLFloatY = bounds.y();
    settings_.SLFloatW = bounds.width();
    settings_.SLFloatH = bounds.height();
}

void TForm1::DockSysLog() {
    if (settings_.SLDocked) return; // closed while docked already: nothing to move
    for (QWidget* control : sysLogPage_.Group())
        control->show();
    SaveSysLogWindowPlacement();
    settings_.SLDocked = true;
    sysLogPage_.Label13->setText(form2_->Label13()->text());
    sysLogPanel_->MoveTo(sysLogPage_);
}

void TForm1::DestroySysLogWindow() {
    // The view and its lines outlive the window, for a session that goes on.
    if (form2_ != nullptr && sysLogPanel_->View()->parentWidget() == form2_)
        sysLogPanel_->MoveTo(sysLogPage_);
    delete form2_;
    form2_ = nullptr;
}

bool TForm1::ActivateSysLog() {
    QString error;
    if (!sysLog_->Enable(error)) {
        // Off for this run; whether SLActive follows is the caller's choice.
        options_->ShowOption(&core::Settings::SLActive, false);
        seams_.messages.Error(this, error);
        return false;
    }
    SetSysLogCaption(QStringLiteral("SysLog Server (Enabled)"));
    AddSysLogEntry(core::SysLogAnnouncement(true, seams_.clock.Now()), true, true);
    return true;
}

void TForm1::DeactivateSyslog() {
    if (!sysLog_->Active()) return; // never started: there is nothing to announce
    sysLog_->Disable();             // what was received before is written before the closing line
    SetSysLogCaption(DisabledCaption);
    AddSysLogEntry(core::SysLogAnnouncement(false, seams_.clock.Now()), true, true);
}

void TForm1::SetSysLogCaption(const QString& caption) {
    (settings_.SLDocked || form2_ == nullptr ? sysLogPage_.Label13 : form2_->Label13())
        ->setText(caption);
}

void TForm1::AddSysLogEntry(const QString& line, bool showIt, bool toFile) {
    if (showIt) sysLogPanel_->Add(line, sysLog_->InBatch());
    if (!toFile || !settings_.SLFileOut) return;
    while (!sysLog_->WriteToFile(line)) {
        sysLogPanel_->Flush(); // the line is in the view before anyone is asked
        const std::optional<QString> path = SaveDialog1().Execute(
            this,
            QStringLiteral("SysLog filename or path invalid, pleasechoose a new filename or path"),
            QStringLiteral("SysLog"));
        if (!path && app::Modal::SessionEnding()) {
            // Not the user's cancel: nobody is left to ask, and file output stays as it was.
            fprintf(stderr, "linescope: %s could not be written: %s\n",
                    qPrintable(sysLog_->FileNameNow()), qPrintable(line));
            return;
        }
        if (!path) {
            // Said once in the view, so no dialog follows for every further line.
            const QString failed = sysLog_->FileNameNow();
            settings_.SLFileOut = false;
            options_->ShowOption(&core::Settings::SLFileOut, false);
            AddSysLogEntry(QStringLiteral("**** SysLog file output switched off: %1 could not be "
                                          "written ****")
                               .arg(failed),
                           true, false);
            return;
        }
        settings_.SLFileName = *path;
    }
}

void TForm1::SysLogBtnClearClick() {
    sysLogPanel_->Clear();
}

void TForm1::SysLogBtnSaveClick() {
    SaveDialog1().SelectFilter(0); // the docked view proposes text files; the floating one not
    SaveSysLogLines(this);
}

void TForm1::SaveSysLogLines(QWidget* dialogParent) {
    const std::optional<QString> path =
        SaveDialog1().Execute(dialogParent, SaveTitle, QStringLiteral("SysLog"));
    if (!path) return;
    const QByteArray bytes = sysLogPanel_->FileBytes();
    QFile file(*path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        seams_.messages.Error(this, QStringLiteral("Cannot create file \"%1\".").arg(*path));
}
