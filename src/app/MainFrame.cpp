// The window frame: construction, start-up and shut-down order, the menu and its page stack,
// the radio-style button groups, hints and the auto-refresh timer.
#include "Artwork.h"
#include "Main.h"
#include "app/Hints.h"
#include "app/options/OptionsPage.h"
#include "app/pages/AboutPage.h"
#include "app/pages/DataPages.h"
#include "app/pages/PageStack.h"
#include "app/pages/Panel.h"
#include "app/tray/TrayControl.h"
#include "core/LineHistory.h"
#include "widgets/ImageList.h"
#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <algorithm>
#include <limits>

using widgets::tRollOverBtn;

TForm1::TForm1(app::WindowSeams seams, QWidget* parent)
    : QWidget(parent), seams_(seams), query_(settings_, seams.sounds, seams.cursor),
      stats_(query_, settings_, seams.clock) {
    BuildFrame();
    BuildPages();
    BuildSysLogPage();
    BuildGraphPage();
    about_ = new app::AboutPage(Page(app::AboutPageIndex));
    BuildTray();
    BuildHistory();
    BuildServiceLink();
    BuildOptionsPage();
    FormCreate();
}

TForm1::~TForm1() {
    if (hintFilter_ != nullptr) qApp->removeEventFilter(hintFilter_);
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
    std::vector<tRollOverBtn*> menu;
    for (int i = 0; i < app::MenuButtonCount; ++i) {
        const app::MenuButtonInfo& info = app::MenuButtons[i];
        auto* button = new tRollOverBtn(this);
        button->setObjectName(QString::fromLatin1(info.name.data(), info.name.size()));
        button->SetCaption(QString::fromLatin1(info.caption.data(), info.caption.size()));
        button->SetFont(buttonFont);
        button->SetImages(imageList1_);
        button->setGeometry(6, info.y, 128, 32);
        button->raise();
        menu.push_back(button);
        connect(button, &tRollOverBtn::clicked, this, [this, i] { ShowPage(i + 1); });
    }
    menu_ = app::ButtonGroup(std::move(menu));
    menu_.Select(1);

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
    FindService();
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
    if (LogOff().BeginClose()) {
        // The field being typed in has not been left, so its exit handler has not run yet.
        options_->LeaveField(focusWidget());
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

void TForm1::ShowPage(int togglePosition) {
    ToggleButtons(togglePosition);
    pageControl_->setCurrentIndex(app::MenuButtons[togglePosition - 1].page);
}

void TForm1::SetAllHints() {
    app::SetAllHints(*this);
}

tRollOverBtn* TForm1::Button(std::string_view name) const {
    return pages_->Button(name);
}
