// The window frame: construction, start-up and shut-down order, the menu and its page stack,
// the radio-style button groups, hints and the auto-refresh timer.
#include "Artwork.h"
#include "app/graph/HistoryView.h"
#include "LineHistory.h"
#include "LogOff.h"
#include "Main.h"
#include "Panel.h"
#include "widgets/ImageList.h"
#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <limits>

namespace app {

void OverrideCursor::SetBusy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
void OverrideCursor::Restore() {
    QApplication::restoreOverrideCursor();
}

// How long a hint stays up before it vanishes.
inline constexpr int HintHidePause = 6000;

// Shows every tool tip of the program for HintHidePause instead of Qt's length-dependent time.
class HintFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return QObject::eventFilter(watched, event);
        auto* widget = static_cast<QWidget*>(watched);
        const QString hint = widget->toolTip();
        if (hint.isEmpty()) return QObject::eventFilter(watched, event);
        // Hints are plain text; one such as "<???> process ID" must not be taken for markup.
        const QString shown = Qt::mightBeRichText(hint)
                                  ? QStringLiteral("<p style='white-space:pre'>") +
                                        hint.toHtmlEscaped() + QStringLiteral("</p>")
                                  : hint;
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shown, widget, QRect(),
                           HintHidePause);
        return true;
    }
};

} // namespace app

using widgets::tRazCell;
using widgets::tRollOverBtn;

TForm1::TForm1(app::WindowSeams seams, QWidget* parent)
    : QWidget(parent), seams_(seams), query_(settings_, seams.sounds, seams.cursor),
      stats_(query_, settings_, seams.clock), sampler_(query_, stats_, seams.clock) {
    BuildFrame();
    BuildPages();
    BindControls();
    BuildSysLogPage();
    BuildGraphPage();
    BuildAboutPage();
    BuildLogOff();
    BuildHistory();
    ConnectHandlers();
    FormCreate();
}

TForm1::~TForm1() {
    if (hintFilter_ != nullptr) qApp->removeEventFilter(hintFilter_);
    // Hiding a window being destroyed takes the focus from its field: no exit handler then.
    for (QLineEdit* edit : {ui_.Edit1, ui_.Edit2, ui_.Edit6})
        disconnect(edit, nullptr, this, nullptr);
}

void TForm1::BuildFrame() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" Corvane R62GX/R63 LineScope"));
    // Fixed single border: system menu and minimise only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(app::ClientWidth, app::ClientHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, app::WindowColour);
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(app::SansSerifFont());

    imageList1_ = new widgets::tImageList(this);
    imageList2_ = new widgets::tImageList(this);
    imageList3_ = new widgets::tImageList(this);
    app::artwork::LoadImageSet(*imageList1_, app::artwork::kButton);
    app::artwork::LoadImageSet(*imageList2_, app::artwork::kToggle);
    app::artwork::LoadImageSet(*imageList3_, app::artwork::kSetButton);

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("Image2"));
    logo->setGeometry(0, 0, 140, 60);
    const QPixmap logoImage = widgets::LoadArtwork(QString::fromLatin1(app::artwork::kLogo));
    if (!logoImage.isNull()) logo->setPixmap(logoImage);

    auto* menuPanel = new app::Panel(this);
    menuPanel->setObjectName(QStringLiteral("Panel1"));
    menuPanel->setGeometry(0, 64, 140, 364);
    auto* lowerPanel = new app::Panel(this);
    lowerPanel->setObjectName(QStringLiteral("Panel2"));
    lowerPanel->setGeometry(0, 432, 140, 76);

    const QFont buttonFont = app::ArialFont(8, true);
    for (int i = 0; i < app::MenuButtonCount; ++i) {
        const app::MenuButtonInfo& info = app::MenuButtons[i];
        auto* button = new tRollOverBtn(this);
        button->setObjectName(QString::fromLatin1(info.name.data(), info.name.size()));
        button->SetCaption(QString::fromLatin1(info.caption.data(), info.caption.size()));
        button->SetFont(buttonFont);
        button->SetImages(imageList1_);
        button->setGeometry(6, info.y, 128, 32);
        button->raise();
        menuButtons_[static_cast<std::size_t>(i)] = button;
        buttons_.insert(button->objectName(), button);
        connect(button, &tRollOverBtn::clicked, this, [this, i] { ShowPage(i + 1); });
    }
    menuButtons_[0]->SetButtonDown(true);

    pageControl_ = new QStackedWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    pageControl_->setGeometry(140, 0, 629, 513);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(5000);
    connect(timer1_, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

void TForm1::FormCreate() {
    store_.ReadOptionsFromReg(settings_);
    if (!store_.Problem().isEmpty()) seams_.messages.Error(this, store_.Problem());
    FillOptionsPage();
    CreateSysLogWindow();
    PlaceWindow();
    GetAllData();
    UpdateAllCells();
    SetAllHints();
    hintFilter_ = new app::HintFilter(this);
    qApp->installEventFilter(hintFilter_);
    AddTrayIcon();
    if (settings_.StartTray) {
        setWindowState(windowState() | Qt::WindowMinimized);
        // Without an icon in the tray a hidden window could never be brought back, so it then
        // starts minimised to the taskbar instead.
        showOnStart_ = !(settings_.MinTray && TrayIconPresent());
    }
    if (!settings_.SLDocked) {
        UnDockSysLog(!settings_.StartTray);
        raise();
    }
    // A port that cannot be bound is reported, and the rest of start-up still runs.
    if (settings_.SLActive) ActivateSysLog();
    SetRefreshTimer();
    RestoreGraphState();
    StartHistory();
}

void TForm1::PlaceWindow() {
    if (settings_.WinX == -1) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) return;
        const QRect desktop = screen->availableGeometry();
        move(desktop.x() + (desktop.width() - width()) / 2,
             desktop.y() + (desktop.height() - height()) / 2);
    } else {
        move(settings_.WinX, settings_.WinY);
    }
}

void TForm1::FormCloseQuery() {
    history_->Stop(); // no sample of a router the window is leaving
    if (!settings_.SLDocked) SaveSysLogWindowPlacement();
    settings_.WinX = x();
    settings_.WinY = y();
    // The closing line first: a path chosen when its file cannot be written is saved with the rest.
    if (settings_.SLActive) DeactivateSyslog();
    if (!store_.WriteOptionsToReg(settings_))
        seams_.messages.Error(this, QStringLiteral("The settings could not be saved."));
    RemoveTrayIcon();
    DestroySysLogWindow();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Qt may ask twice (close() and then the application quitting), and the session's end may have
    // saved already; the settings are written once.
    if (logOff_->BeginClose()) {
        // The field being typed in has not been left, so its exit handler has not run yet.
        if (QWidget* typing = focusWidget(); typing == ui_.Edit1)
            Edit1Exit();
        else if (typing == ui_.Edit2)
            Edit2Exit();
        else if (typing == ui_.Edit6)
            Edit6Exit();
        timer1_->stop();
        FormCloseQuery();
    }
    event->accept();
}

void TForm1::SetRefreshTimer() {
    // A stored interval is used as it stands (the Options page limits only what is typed), but
    // held to what a millisecond timer interval can express.
    const int seconds = std::clamp(settings_.RefreshInt, 0, std::numeric_limits<int>::max() / 1000);
    if (seconds >= 1) {
        timer1_->setInterval(seconds * 1000);
        timer1_->start();
    } else {
        timer1_->stop();
    }
}

void TForm1::Timer1Timer() {
    if (reporting_) return; // a tick that comes while an error box is open
    const bool wasPresent = query_.RouterPresent;
    if (wasPresent) stats_.SystemGetData();
    SystemUpdateCellValues();
    Settled(wasPresent, true);
}

void TForm1::ShowPage(int togglePosition) {
    ToggleButtons(togglePosition);
    pageControl_->setCurrentIndex(app::MenuButtons[togglePosition - 1].page);
}

void TForm1::MenuBtnSystemClick() {
    ShowPage(1);
}
void TForm1::MenuBtnIntfClick() {
    ShowPage(2);
}
void TForm1::MenuBtnIPClick() {
    ShowPage(3);
}
void TForm1::MenuBtnICMPClick() {
    ShowPage(4);
}
void TForm1::MenuBtnTCPClick() {
    ShowPage(5);
}
void TForm1::MenuBtnUDPClick() {
    ShowPage(6);
}
void TForm1::MenuBtnSNMPClick() {
    ShowPage(7);
}
void TForm1::MenuBtnTablesClick() {
    ShowPage(8);
}
void TForm1::MenuBtnAboutClick() {
    ShowPage(9);
}
void TForm1::MenuBtnSysLogClick() {
    ShowPage(10);
}
void TForm1::MenuBtnADSLClick() {
    ShowPage(11);
}
void TForm1::MenuBtnOptionsClick() {
    ShowPage(12);
}
void TForm1::MenuBtnGraphClick() {
    ShowPage(13);
}

template <std::size_t N>
void TForm1::SelectInGroup(const std::array<tRollOverBtn*, N>& group, int position) {
    // Every button is assigned (and so repainted), also when its state does not change.
    for (std::size_t i = 0; i < N; ++i)
        group[i]->SetButtonDown(static_cast<int>(i) + 1 == position);
}

void TForm1::ToggleButtons(int position) {
    SelectInGroup(menuButtons_, position);
}
void TForm1::ToggleIntButtons(int position) {
    SelectInGroup(intfButtons_, position);
}
void TForm1::ToggleTabButtons(int position) {
    SelectInGroup(tableButtons_, position);
}
void TForm1::ToggleADSLButtons(int position) {
    SelectInGroup(adslButtons_, position);
}

void TForm1::SetHint(QWidget* control, std::string_view hint) {
    if (control != nullptr) control->setToolTip(QString::fromLatin1(hint.data(), hint.size()));
}

void TForm1::SetAllHints() {
    // By name, so controls that later parts of the window add (the syslog page's buttons, the
    // floating syslog window's) are found as well; a control that does not exist is skipped.
    auto hint = [this](const char* name, std::string_view text) {
        SetHint(findChild<QWidget*>(QString::fromLatin1(name)), text);
    };
    for (const char* name :
         {"SystemBtnRefresh", "IntfBtnRefresh", "ADSLBtnRefresh", "IPBtnRefresh", "ICMPBtnRefresh",
          "TCPBtnRefresh", "UDPBtnRefresh", "SNMPBtnRefresh", "TableBtnRefresh"})
        hint(name, mib::RefreshHint);
    for (const char* name : {"SystemBtnSet1", "SystemBtnSet2", "SystemBtnSet3"})
        hint(name, mib::SetHint);
    const char* intf[] = {"IntfBtnLAN", "IntfBtnWAN", "IntfBtnLANX", "IntfBtnWANX"};
    for (std::size_t i = 0; i < std::size(intf); ++i)
        hint(intf[i], mib::IntfHints[i]);
    const char* adsl[] = {"ADSLBtnUpStream", "ADSLBtnDownStream"};
    for (std::size_t i = 0; i < std::size(adsl); ++i)
        hint(adsl[i], mib::AdslHints[i]);
    const char* tables[] = {"TableBtnAddr", "TableBtnRoute", "TableBtnMedia",
                            "TableBtnConn", "TableBtnUDP",   "TableBtnSave"};
    for (std::size_t i = 0; i < std::size(tables); ++i)
        hint(tables[i], mib::TableHints[i]);
    SetHint(Button("TableBtnEvents"),
            "Show the line's events from its history: resyncs, line down, router restarts, low SNR "
            "margin and bursts of errored seconds");
    const char* syslog[] = {"SysLogBtnClear", "SysLogBtnSave", "SysLogBtnUnDock"};
    for (std::size_t i = 0; i < std::size(syslog); ++i)
        hint(syslog[i], mib::SysLogHints[i]);
    // The floating syslog window's buttons: its dock button gets the "dock" text.
    const std::pair<const char*, std::size_t> floating[] = {
        {"tRollOverBtn1", 0}, {"tRollOverBtn2", 1}, {"tRollOverBtn3", 3}};
    for (const auto& [name, entry] : floating)
        hint(name, mib::SysLogHints[entry]);
    // The Options page: the label cells beside the toggles carry the hints, not the toggles.
    const char* options[] = {
        "tRazCell130",          "tRazCell131", "OptionsBtnConnect", "tRazCell133", "tRazCell134",
        "tRazCell138",          "tRazCell125", "tRazCell141",       "tRazCell142", "tRazCell132",
        "tRazCell137",          "tRazCell136", "tRazCell135",       "tRazCell139", "tRazCell140",
        "OptionsBtnSysLogFile", "tRazCell161"};
    for (std::size_t i = 0; i < std::size(options); ++i)
        hint(options[i], mib::OptionsHints[i]);
}

tRazCell* TForm1::Cell(int number) const {
    if (number < 1 || number > app::CellCount) return nullptr;
    return cells_[static_cast<std::size_t>(number - 1)];
}

QWidget* TForm1::Page(int index) const {
    return pageControl_->widget(index);
}
int TForm1::ActivePage() const {
    return pageControl_->currentIndex();
}

tRollOverBtn* TForm1::Button(std::string_view name) const {
    return buttons_.value(QString::fromLatin1(name.data(), name.size()), nullptr);
}
