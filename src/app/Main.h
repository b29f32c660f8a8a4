// TForm1: the main window. A column of menu buttons on the left, a stack of thirteen pages on the
// right; it owns the settings, the router query layer and the page data for the program's
// lifetime, and binds the core's value arrays to the pages' cells.
//
// The window's code is split by subsystem: MainFrame.cpp (start-up, shut-down, menu, button
// groups, hints, timer), MainPages.cpp (the data pages' and About page's handlers, run by
// app::DataPages and app::AboutPage in pages/), MainOptions.cpp (the Options page's, run by
// app::OptionsPage in options/), MainSysLog.cpp (the syslog handlers, run by app::SysLogViewer in
// syslog/), MainGraph.cpp (the traffic graph, its sampling timer and its popup menu),
// MainTray.cpp (the tray icon, minimising and restoring and the end of the session, run by
// app::TrayControl in tray/), MainHistory.cpp (the line history's recorder and the events it
// tells).
#pragma once

#include "app/Dialogs.h"
#include "app/pages/ButtonGroup.h"
#include "app/pages/PageLayout.h"
#include "app/syslog/SysLogViewer.h"
#include "core/History.h"
#include "core/HistoryStore.h"
#include "core/RouterQuery.h"
#include "core/Seams.h"
#include "core/Settings.h"
#include "core/Statistics.h"
#include "core/SysLog.h"
#include "core/Usage.h"

#include <QStringList>
#include <QWidget>
#include <memory>
#include <string>

class QAction;
class QStackedWidget;
class QTimer;
class TForm2;

namespace app {
class AboutPage;
class DataPages;
class GraphPage;
class LogOff;
class OptionsPage;
class PageStack;
class TrayControl;
} // namespace app

namespace core::history {
class LineHistory;
}

namespace widgets {
class tImageList;
class tRazCell;
class tRollOverBtn;
class TrafficChart;
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

// Busy cursor through QApplication's override cursor.
class OverrideCursor final : public core::Cursor {
public:
    void SetBusy() override;
    void Restore() override;
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
    void MenuBtnSystemClick();
    void MenuBtnIntfClick();
    void MenuBtnIPClick();
    void MenuBtnICMPClick();
    void MenuBtnTCPClick();
    void MenuBtnUDPClick();
    void MenuBtnSNMPClick();
    void MenuBtnTablesClick();
    void MenuBtnAboutClick();
    void MenuBtnSysLogClick();
    void MenuBtnADSLClick();
    void MenuBtnOptionsClick();
    void MenuBtnGraphClick();

    // Radio groups: draw the button at the 1-based position down and every other one up.
    void ToggleButtons(int position);
    void ToggleIntButtons(int position);
    void ToggleTabButtons(int position);
    void ToggleADSLButtons(int position);

    // Cells.
    void UpdateCell(widgets::tRazCell* cell, const mib::TMIBEntry& entry, const std::string& value);
    void AlignCell(widgets::tRazCell* cell);
    void UpdateAllCells();
    void SetAllHints();
    void GetAllData();
    void Timer1Timer();
    // Programs Timer1 from RefreshInt: off for 0, RefreshInt seconds otherwise.
    void SetRefreshTimer();

    // The data pages' handlers (MainPages.cpp), run by app::DataPages.
    void SystemBtnSet1Click();
    void SystemBtnSet2Click();
    void SystemBtnSet3Click();
    void SystemBtnRefreshClick();
    void IntfBtnLANClick();
    void IntfBtnWANClick();
    void IntfBtnLANXClick();
    void IntfBtnWANXClick();
    void IntfBtnRefreshClick();
    void ADSLBtnUpStreamClick();
    void ADSLBtnDownStreamClick();
    void ADSLBtnRefreshClick();
    void IPBtnRefreshClick();
    void ICMPBtnRefreshClick();
    void TCPBtnRefreshClick();
    void UDPBtnRefreshClick();
    void SNMPBtnRefreshClick();
    // Tables page.
    void TableBtnAddrClick();
    void TableBtnRouteClick();
    void TableBtnMediaClick();
    void TableBtnConnClick();
    void TableBtnUDPClick();
    void TableBtnRefreshClick();
    void TableBtnSaveClick();
    // The line's events from the history, newest first; sends nothing to the router.
    void TableBtnEventsClick();
    // Options page (MainOptions.cpp), run by app::OptionsPage.
    void FillOptionsPage();
    void OptionsBtnSLActiveClick(widgets::tRollOverBtn* sender);
    void OptionsBtnConnectClick();
    void OptionsBtnSysLogFileClick();
    void Edit1Exit();
    void Edit2Exit();
    void Edit6Exit();

    // Steps that belong to the syslog server, its floating window, the tray icon and the traffic
    // graph. They are called where start-up and shut-down need them; the window works without
    // what they add.
    void CreateSysLogWindow();
    void UnDockSysLog(bool show);
    void SaveSysLogWindowPlacement();
    void DestroySysLogWindow();
    bool ActivateSysLog();
    void DeactivateSyslog();
    void AddTrayIcon();
    void RemoveTrayIcon();
    [[nodiscard]] bool TrayIconPresent() const;
    void RestoreGraphState();

    // Tray icon, minimise and restore, log-off (MainTray.cpp), run by app::TrayControl.
    // A left press on the icon: back from minimised or hidden, and to the front.
    void TrayIconCallBack();
    void AppEventsMinimize();
    void ApplicationEvents1Restore();
    // The session manager asks to save: the close path without removing the icon, and without
    // quitting, since the log-off may yet be cancelled (LogOff). Always true: the program never
    // refuses a log-off.
    bool WMQueryEndSession();
    // The end of the session and what follows it: saving once, a close after it, a cancel.
    [[nodiscard]] app::LogOff& LogOff() const;
    void AboutBtnWWWClick();

    // Syslog server and its log view (MainSysLog.cpp).
    void AddSysLogEntry(const QString& line, bool showIt, bool toFile);
    void SysLogBtnClearClick();
    void SysLogBtnSaveClick();
    void SysLogBtnUnDockClick();
    // The floating window closed: the view, its lines and the caption come back to the page.
    void DockSysLog();
    [[nodiscard]] core::SysLogServer& SysLogServer() { return *sysLog_; }
    [[nodiscard]] TForm2* Form2() const;

    // Traffic graph (MainGraph.cpp).
    void StartGraph();
    void Timer2Timer();
    void Series1AfterAdd(widgets::TrafficChart* sender, int valueIndex);
    void SetGraphScale();
    void N3DChart1Click(QAction* sender);
    void StairChart1Click(QAction* sender);
    void ShowValues1Click(QAction* sender);
    void ShowPoints1Click(QAction* sender);
    void ShowValues2Click(QAction* sender);
    void ShowPoints2Click(QAction* sender);
    void NoRefresh1Click(QAction* sender);  // every Refresh Interval item
    void NDwnStream1Click(QAction* sender); // every Graph Scale item
    void GraphBtnClearClick();
    void GraphsBtnSaveClick();
    // A sample has been written: the history view and the event table, when shown, follow.
    void HistoryChanged();
    // The page: Chart1, Timer2, PopupMenu1 and its items, the history views.
    [[nodiscard]] app::GraphPage& Graph() const { return *graph_; }

    // Line history (MainHistory.cpp). Sampling starts once start-up has finished.
    void StartHistory();
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
    [[nodiscard]] QWidget* Page(int index) const;
    [[nodiscard]] int ActivePage() const;
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
    void SetHint(QWidget* control, std::string_view hint);
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
    // Last, so it stops listening before anything it reads, or asks, is gone.
    std::unique_ptr<core::SysLogServer> sysLog_;
};
