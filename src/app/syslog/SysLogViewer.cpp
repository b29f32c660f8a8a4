#include "app/syslog/SysLogViewer.h"

#include "app/Dialogs.h"
#include "app/syslog/SysLogWin.h"
#include "widgets/RollOverBtn.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <algorithm>

namespace app {

namespace {

const QString SaveTitle = QStringLiteral("Please choose filename and path for SysLog file");

} // namespace

SysLogViewer::SysLogViewer(core::SysLogServer& server, core::Settings& settings,
                           SaveDialog& saveDialog, MessageBoxes& messages, const Place& place)
    : server_(server), settings_(settings), saveDialog_(saveDialog), messages_(messages),
      window_(place.window), images_(place.images) {
    page_ = BuildSysLogView(place.page, place.caption,
                            {{"SysLogBtnClear", "SysLogBtnSave", "SysLogBtnUnDock"},
                             {"Clear SysLog", "Save SysLog", "UnDock SysLog"},
                             true},
                            images_);
    page_.LayOut(QSize(620, 502));
    panel_ = std::make_unique<SysLogPanel>(page_);
    connect(page_.buttons[0], &widgets::tRollOverBtn::clicked, this, &SysLogViewer::Clear);
    connect(page_.buttons[1], &widgets::tRollOverBtn::clicked, this, &SysLogViewer::SaveFromPage);
    connect(page_.buttons[2], &widgets::tRollOverBtn::clicked, this, &SysLogViewer::Float);

    connect(&server_, &core::SysLogServer::Line, this,
            [this](const QString& line) { panel_->Add(line, server_.InBatch()); });
    connect(&server_, &core::SysLogServer::BatchDone, this, [this] { panel_->Flush(); });
    server_.SetFileQuestion([this] { return AskForFile(); });
}

void SysLogViewer::CreateWindow() {
    form2_ = new TForm2(images_, window_);
    connect(form2_, &TForm2::FormClose, this, &SysLogViewer::Dock);
    connect(form2_, &TForm2::ClearRequested, this, &SysLogViewer::Clear);
    connect(form2_, &TForm2::SaveRequested, this, [this] { SaveLines(form2_); });
}

void SysLogViewer::DestroyWindow() {
    if (form2_ != nullptr && panel_->View()->parentWidget() == form2_) panel_->MoveTo(page_);
    delete form2_;
    form2_ = nullptr;
}

void SysLogViewer::UnDock(bool show) {
    if (form2_ == nullptr) CreateWindow(); // gone with the end of a session that went on
    for (QWidget* control : page_.Group())
        control->hide();
    form2_->Label13()->setText(page_.Label13->text());
    page_.Label13->setText(QStringLiteral("SysLog Server (Undocked)"));
    panel_->MoveTo(form2_->Home());
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

void SysLogViewer::Float() {
    settings_.SLDocked = false;
    UnDock(true);
}

void SysLogViewer::Dock() {
    if (settings_.SLDocked) return; // closed while docked already: nothing to move
    for (QWidget* control : page_.Group())
        control->show();
    SavePlacement();
    settings_.SLDocked = true;
    page_.Label13->setText(form2_->Label13()->text());
    panel_->MoveTo(page_);
}

void SysLogViewer::SavePlacement() {
    settings_.SLFloatState = form2_->WindowStateNumber();
    // The normal bounds whatever the state, measured as the next undock places them.
    const QRect bounds = form2_->NormalBounds();
    settings_.SLFloatX = bounds.x();
    settings_.SLFloatY = bounds.y();
    settings_.SLFloatW = bounds.width();
    settings_.SLFloatH = bounds.height();
}

void SysLogViewer::HideWindow() {
    if (form2_ != nullptr) form2_->hide();
}

void SysLogViewer::ShowFloating() {
    if (settings_.SLDocked || form2_ == nullptr) return;
    form2_->show();
    form2_->raise();
}

bool SysLogViewer::Activate() {
    QString error;
    if (!server_.Enable(error)) {
        // Off for this run; whether SLActive follows is the caller's choice.
        emit EnableFailed();
        messages_.Error(window_, error);
        return false;
    }
    SetCaption(QStringLiteral("SysLog Server (Enabled)"));
    server_.Announce(true);
    return true;
}

void SysLogViewer::Deactivate() {
    if (!server_.Active()) return; // never started: there is nothing to announce
    server_.Disable();             // what was received before is written before the closing line
    SetCaption(QStringLiteral("SysLog Server (Disabled)"));
    server_.Announce(false);
}

void SysLogViewer::ShowLine(const QString& line) {
    panel_->Add(line, false);
}

void SysLogViewer::ShowServiceState(std::optional<bool> serviceActive) {
    if (!serviceActive)
        return SetCaption(server_.Active() ? QStringLiteral("SysLog Server (Enabled)")
                                           : QStringLiteral("SysLog Server (Disabled)"));
    SetCaption(*serviceActive
                   ? QStringLiteral("SysLog Server (Enabled, run by the LineScope service)")
                   : QStringLiteral("SysLog Server (Disabled, run by the LineScope service)"));
}

void SysLogViewer::SetCaption(const QString& caption) {
    (settings_.SLDocked || form2_ == nullptr ? page_.Label13 : form2_->Label13())->setText(caption);
}

core::SysLogFileChoice SysLogViewer::AskForFile() {
    panel_->Flush(); // the line is in the view before anyone is asked
    const std::optional<QString> path = saveDialog_.Execute(
        window_,
        QStringLiteral("SysLog filename or path invalid, pleasechoose a new filename or path"),
        QStringLiteral("SysLog"));
    if (path) return {core::SysLogFileChoice::Chosen, *path};
    return {Modal::SessionEnding() ? core::SysLogFileChoice::SessionEnded
                                   : core::SysLogFileChoice::Cancelled,
            {}};
}

void SysLogViewer::Clear() {
    panel_->Clear();
}

void SysLogViewer::SaveFromPage() {
    saveDialog_.SelectFilter(0); // the docked view proposes text files; the floating one not
    SaveLines(window_);
}

void SysLogViewer::SaveLines(QWidget* dialogParent) {
    const std::optional<QString> path =
        saveDialog_.Execute(dialogParent, SaveTitle, QStringLiteral("SysLog"));
    if (!path) return;
    const QByteArray bytes = panel_->FileBytes();
    QFile file(*path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        messages_.Error(window_, QStringLiteral("Cannot create file \"%1\".").arg(*path));
}

} // namespace app
