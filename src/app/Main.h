// TForm1: the main window. A column of menu buttons on the left, a stack of thirteen pages on the
// right; it owns the settings and the router query layer for the program's lifetime, keeps the
// start-up and shut-down order, and hands each handler to the feature that runs it: the data
// pages and About (pages/), the Options page (options/), the log view and its floating window
// (syslog/), the traffic graph and the history views (graph/), the tray and the session's end
// (tray/). The Main*.cpp files build and wire each feature; MainFrame.cpp is the frame itself.
#pragma once

#include "app/Artwork.h"
#include "app/Dialogs.h"
#include "app/graph/GraphPage.h"
#include "app/link/ServiceLink.h"
#include "app/options/OptionsPage.h"
#include "app/pages/AboutPage.h"
#include "app/pages/ButtonGroup.h"
#include "app/pages/DataPages.h"
#include "app/pages/PageLayout.h"
#include "app/pages/PageStack.h"
#include "app/syslog/SysLogViewer.h"
#include "app/tray/TrayControl.h"
#include "core/History.h"
#include "core/HistoryStore.h"
#include "core/LineHistory.h"
#include "core/RouterQuery.h"
#include "core/Seams.h"
#include "core/Settings.h"
#include "core/Statistics.h"
#include "core/SysLog.h"
#include "core/Usage.h"

#include <QStackedWidget>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <string>

class QAction;
class QTimer;
class TForm2;

namespace widgets {
class tImageList;
} // namespace widgets

namespace app {

// The outside world the window touches; the program passes the real ones, tests their own.
struct WindowSeams {
    core::Clock& clock;
    core::Sounds& sounds;
    core::Cursor& cursor;
    MessageBoxes& messages;
    SaveDialog& saveDialog;
    uint16_t syslogPort = 514; // the syslog listener's UDP port
};

class HintFilter;

} // namespace app

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // Builds the window and runs FormCreate: settings are loaded and the router is fetched
    // before the constructor returns.
    explicit TForm1(app::WindowSeams seams, QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up and shut-down.
    void FormCreate();
    void FormCloseQuery();
    // False when the program is to start as its tray icon alone.
    [[nodiscard]] bool ShowOnStart() const { return showOnStart_; }

    // Menu: select the button by its place in the menu group, then show its page.
    void MenuBtnSystemClick() { ShowPage(1); }
    void MenuBtnIntfClick() { ShowPage(2); }
    void MenuBtnIPClick() { ShowPage(3); }
    void MenuBtnICMPClick() { ShowPage(4); }
    void MenuBtnTCPClick() { ShowPage(5); }
    void MenuBtnUDPClick() { ShowPage(6); }
    void MenuBtnSNMPClick() { ShowPage(7); }
    void MenuBtnTablesClick() { ShowPage(8); }
    void MenuBtnAboutClick() { ShowPage(9); }
    void MenuBtnSysLogClick() { ShowPage(10); }
    void MenuBtnADSLClick() { ShowPage(11); }
    void MenuBtnOptionsClick() { ShowPage(12); }
    void MenuBtnGraphClick() { ShowPage(13); }

    // Radio groups: draw the button at the 1-based position down and every other one up.
    void ToggleButtons(int position) { menu_.Select(position); }
    void ToggleIntButtons(int position) { dataPages_->IntfButtons().Select(position); }
    void ToggleTabButtons(int position) { dataPages_->Tables().Buttons().Select(position); }
    void ToggleADSLButtons(int position) { dataPages_->ADSLButtons().Select(position); }

    // Cells.
    void UpdateCell(widgets::tRazCell* cell, const mib::TMIBEntry& entry,
                    const std::string& value) {
        dataPages_->UpdateCell(cell, entry, value);
    }
    void AlignCell(widgets::tRazCell* cell) { dataPages_->AlignCell(cell); }
    void UpdateAllCells() { dataPages_->UpdateAllCells(); }
    void SetAllHints();
    void GetAllData() { dataPages_->GetAllData(); }
    void Timer1Timer() { dataPages_->RefreshTick(); }
    // Programs Timer1 from RefreshInt: off for 0, RefreshInt seconds otherwise.
    void SetRefreshTimer();

    // The data pages' handlers (MainPages.cpp), run by app::DataPages.
    void SystemBtnSet1Click() { dataPages_->SetSystemString(1); }
    void SystemBtnSet2Click() { dataPages_->SetSystemString(2); }
    void SystemBtnSet3Click() { dataPages_->SetSystemString(3); }
    void SystemBtnRefreshClick() { dataPages_->RefreshSystem(); }
    void IntfBtnLANClick() { dataPages_->SelectIntfView(1); }
    void IntfBtnWANClick() { dataPages_->SelectIntfView(2); }
    void IntfBtnLANXClick() { dataPages_->SelectIntfView(3); }
    void IntfBtnWANXClick() { dataPages_->SelectIntfView(4); }
    void IntfBtnRefreshClick() { dataPages_->RefreshInterfaces(); }
    void ADSLBtnUpStreamClick() { dataPages_->SelectADSLView(1); }
    void ADSLBtnDownStreamClick() { dataPages_->SelectADSLView(2); }
    void ADSLBtnRefreshClick() { dataPages_->RefreshADSL(); }
    void IPBtnRefreshClick() { dataPages_->RefreshGroup(0); }
    void ICMPBtnRefreshClick() { dataPages_->RefreshGroup(1); }
    void TCPBtnRefreshClick() { dataPages_->RefreshGroup(2); }
    void UDPBtnRefreshClick() { dataPages_->RefreshGroup(3); }
    void SNMPBtnRefreshClick() { dataPages_->RefreshGroup(4); }
    // Tables page.
    void TableBtnAddrClick() { dataPages_->Tables().Select(1); }
    void TableBtnRouteClick() { dataPages_->Tables().Select(2); }
    void TableBtnMediaClick() { dataPages_->Tables().Select(3); }
    void TableBtnConnClick() { dataPages_->Tables().Select(4); }
    void TableBtnUDPClick() { dataPages_->Tables().Select(5); }
    void TableBtnRefreshClick() { dataPages_->Tables().Refresh(); }
    void TableBtnSaveClick() { dataPages_->Tables().Save(); }
    // The line's events from the history, newest first; sends nothing to the router.
    void TableBtnEventsClick() { dataPages_->Tables().ShowEvents(); }
    // The volume per month and day from the history, newest first; sends nothing to the router.
    void TableBtnUsageClick() { dataPages_->Tables().ShowUsage(); }
    // Options page (MainOptions.cpp), run by app::OptionsPage.
    void FillOptionsPage() { options_->Fill(); }
    void OptionsBtnSLActiveClick(widgets::tRollOverBtn* sender) { options_->ToggleClicked(sender); }
    void OptionsBtnConnectClick() { options_->ConnectClicked(); }
    void OptionsBtnSysLogFileClick() { options_->ChooseSysLogFile(); }
    void Edit1Exit() { options_->AddressLeft(); }
    void Edit2Exit() { options_->CommunityLeft(); }
    void Edit6Exit() { options_->RefreshIntervalLeft(); }

    // Steps that belong to the syslog server, its floating window, the tray icon and the traffic
    // graph. They are called where start-up and shut-down need them; the window works without
    // what they add.
    void CreateSysLogWindow() { sysLogViewer_->CreateWindow(); }
    void UnDockSysLog(bool show) { sysLogViewer_->UnDock(show); }
    void SaveSysLogWindowPlacement() { sysLogViewer_->SavePlacement(); }
    void DestroySysLogWindow() { sysLogViewer_->DestroyWindow(); }
    // The window's server, or the user's service's when that runs (link/ServiceLink.h).
    bool ActivateSysLog() { return serviceLink_->ActivateSysLog(); }
    void DeactivateSyslog() { sysLogViewer_->Deactivate(); }
    void AddTrayIcon() { tray_->AddIcon(app::artwork::ProgramIcon()); }
    void RemoveTrayIcon() { tray_->RemoveIcon(); }
    [[nodiscard]] bool TrayIconPresent() const { return tray_->IconPresent(); }
    void RestoreGraphState() { graph_->RestoreState(); }

    // Tray icon, minimise and restore, log-off (MainTray.cpp), run by app::TrayControl.
    // A left press on the icon: back from minimised or hidden, and to the front.
    void TrayIconCallBack() { tray_->BringBack(); }
    void AppEventsMinimize() { tray_->Minimised(); }
    void ApplicationEvents1Restore() { tray_->Restored(); }
    // The session manager asks to save: the close path without removing the icon, and without
    // quitting, since the log-off may yet be cancelled (LogOff). Always true: the program never
    // refuses a log-off.
    bool WMQueryEndSession() { return tray_->QueryEndSession(); }
    // The end of the session and what follows it: saving once, a close after it, a cancel.
    [[nodiscard]] app::LogOff& LogOff() const { return tray_->SessionEnd(); }
    void AboutBtnWWWClick() { about_->OpenHomePage(); }

    // Syslog server and its log view (MainSysLog.cpp).
    void AddSysLogEntry(const QString& line, bool showIt, bool toFile) {
        sysLog_->Log(line, showIt, toFile);
    }
    void SysLogBtnClearClick() { sysLogViewer_->Clear(); }
    void SysLogBtnSaveClick() { sysLogViewer_->SaveFromPage(); }
    void SysLogBtnUnDockClick() { sysLogViewer_->Float(); }
    // The floating window closed: the view, its lines and the caption come back to the page.
    void DockSysLog() { sysLogViewer_->Dock(); }
    [[nodiscard]] core::SysLogServer& SysLogServer() { return *sysLog_; }
    [[nodiscard]] TForm2* Form2() const;

    // Traffic graph (MainGraph.cpp).
    void StartGraph() { graph_->StartSampling(); }
    void Timer2Timer() { graph_->Sample(); }
    void Series1AfterAdd(widgets::TrafficChart* sender, int valueIndex) {
        app::GraphPage::FollowNewest(*sender, valueIndex);
    }
    void SetGraphScale() { graph_->SetScale(); }
    void N3DChart1Click(QAction* sender) { graph_->TickItemClicked(sender); }
    void StairChart1Click(QAction* sender) { graph_->TickItemClicked(sender); }
    void ShowValues1Click(QAction* sender) { graph_->TickItemClicked(sender); }
    void ShowPoints1Click(QAction* sender) { graph_->TickItemClicked(sender); }
    void ShowValues2Click(QAction* sender) { graph_->TickItemClicked(sender); }
    void ShowPoints2Click(QAction* sender) { graph_->TickItemClicked(sender); }
    void NoRefresh1Click(QAction* sender) {
        graph_->IntervalItemClicked(sender);
    } // every Refresh Interval item
    void NDwnStream1Click(QAction* sender) {
        graph_->ScaleItemClicked(sender);
    } // every Graph Scale item
    void GraphBtnClearClick() { graph_->Clear(); }
    void GraphsBtnSaveClick() { graph_->Save(); }
    // A sample has been written: the history view and the event table, when shown, follow.
    void HistoryChanged();
    // The page: Chart1, Timer2, PopupMenu1 and its items, the history views.
    [[nodiscard]] app::GraphPage& Graph() const { return *graph_; }

    // Line history (MainHistory.cpp). Sampling starts once start-up has finished.
    // Unless the user's service records it.
    void StartHistory() { serviceLink_->StartHistory(); }
    // The user's service, if one runs: it then records and runs the syslog server.
    void FindService() { serviceLink_->Find(); }
    [[nodiscard]] app::ServiceLink& Service() const { return *serviceLink_; }
    // A sample revealed `events`: each is told.
    void HistorySampled(const std::vector<core::history::Event>& events);
    // One event: a line in the log when the server is on, a desktop notification when there is
    // a tray icon and notifications are on.
    void TellLineEvent(const core::history::Event& event);
    // The allowance's 80% and 100% marks, once a period: told as line events are.
    void TellUsageNotices(const std::vector<core::history::UsageNotice>& notices);
    // The store could not be used as it was (set aside, or not writable): said once.
    void HistoryProblem(const QString& problem);
    [[nodiscard]] core::history::LineHistory* LineHistory() const { return history_; }

    // Access for the other parts of the window and for tests.
    [[nodiscard]] core::Settings& settings() { return settings_; }
    [[nodiscard]] core::RouterQuery& query() { return query_; }
    [[nodiscard]] core::Statistics& statistics() { return stats_; }
    [[nodiscard]] QWidget* Page(int index) const { return pageControl_->widget(index); }
    [[nodiscard]] int ActivePage() const { return pageControl_->currentIndex(); }
    [[nodiscard]] QTimer* Timer1() const { return timer1_; }
    [[nodiscard]] app::SaveDialog& SaveDialog1() { return seams_.saveDialog; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Frame and pages (MainFrame.cpp, MainPages.cpp, MainOptions.cpp).
    void BuildFrame();
    void BuildPages();
    void BuildOptionsPage();
    void PlaceWindow();
    void ShowPage(int togglePosition);
    widgets::tRollOverBtn* Button(std::string_view name) const;
    // Syslog (MainSysLog.cpp).
    void BuildSysLogPage();
    // The tray and the end of the session (MainTray.cpp): what is saved, and started again when
    // the log-off is cancelled.
    void BuildTray();
    void SaveForSessionEnd();
    void ResumeAfterSessionEnd();
    // Graph (MainGraph.cpp).
    void BuildGraphPage();
    // The history for the export and the event table, opened read-only once there is one;
    // nullptr until then.
    const core::history::HistoryStore* History();

    // Line history (MainHistory.cpp).
    void BuildHistory();
    void BuildServiceLink();

    app::WindowSeams seams_;
    core::Settings settings_;
    core::SettingsStore store_;
    core::RouterQuery query_;
    core::Statistics stats_;
    bool showOnStart_ = true;

    QStackedWidget* pageControl_ = nullptr;
    std::unique_ptr<app::PageStack> pages_; // the pages' controls, by designer name
    std::unique_ptr<app::DataPages> dataPages_;
    std::unique_ptr<app::OptionsPage> options_;
    app::AboutPage* about_ = nullptr;
    app::ButtonGroup menu_;
    QTimer* timer1_ = nullptr;
    app::GraphPage* graph_ = nullptr;
    std::unique_ptr<core::history::HistoryStore> historyStore_;
    widgets::tImageList* imageList1_ = nullptr; // 128 x 32: menu and page buttons
    widgets::tImageList* imageList2_ = nullptr; // 24 x 24: option toggles
    widgets::tImageList* imageList3_ = nullptr; // 32 x 24: the Set buttons
    app::HintFilter* hintFilter_ = nullptr;
    std::unique_ptr<app::TrayControl> tray_;
    core::history::LineHistory* history_ = nullptr;
    bool historyProblemShown_ = false;
    std::unique_ptr<app::SysLogViewer> sysLogViewer_; // the log's page, floating window and lines
    std::unique_ptr<app::ServiceLink> serviceLink_;   // goes before the parts it drives
    // Last, so it stops listening before anything it reads, or asks, is gone.
    std::unique_ptr<core::SysLogServer> sysLog_;
};
