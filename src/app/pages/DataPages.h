// The data pages: General Info, Interfaces, ADSL-Line, the five protocol counter pages and the
// Tables page. They show the core's value arrays in their cells, run their buttons, and report
// what a fetch could not read.
#pragma once

#include "app/pages/ButtonGroup.h"
#include "app/pages/TablesPage.h"
#include "mib/MIBConstants.h"

#include <QObject>
#include <QString>
#include <functional>
#include <span>
#include <string>

class QLabel;
class QLineEdit;
class QWidget;

namespace core {
struct Settings;
} // namespace core

namespace widgets {
class tRazCell;
}

namespace app {

class DataPages final : public QObject {
    Q_OBJECT

public:
    struct Outside {
        core::Settings& settings;
        core::RouterQuery& query;
        core::Statistics& stats;
        MessageBoxes& messages;
        SaveDialog& saveDialog;
        QWidget* dialogParent;
        std::function<const core::history::HistoryStore*()> history; // for the line events
    };
    DataPages(const PageStack& pages, Outside outside);

    // One cell from a dictionary entry and its value; the value only while the router is there.
    void UpdateCell(widgets::tRazCell* cell, const mib::TMIBEntry& entry, const std::string& value);
    // CntText: both texts centred, or label and value meeting at the boundary.
    void AlignCell(widgets::tRazCell* cell);
    void UpdateAllCells();
    // The identity check, then every group; the cells are the caller's to refill.
    void GetAllData();
    // One tick of the auto-refresh timer: the General Info page only.
    void RefreshTick();
    // What a failed identity check shows: labels only, nothing of the router that was there.
    void ShowRouterAbsent();
    // Ends a handler that talked to the router: a router lost meanwhile is shown as absent, then
    // the fetch's messages are reported.
    void Settled(bool wasPresent, bool fromTimer = false);

    // General Info.
    void SystemUpdateCells();
    void SystemUpdateCellValues();
    // SystemBtnSet1..3: writes sysContact (1), sysName (2) or sysLocation (3) from its edit.
    void SetSystemString(std::size_t entry);
    void RefreshSystem();
    // Interfaces: the LAN, WAN, LAN ifX or WAN ifX view (1..4).
    void interfacesUpdateCells();
    void intfUpdateCells();
    void ifxUpdateCells();
    void SelectIntfView(int view);
    void RefreshInterfaces();
    // ADSL-Line: the modem end (1) or the exchange end (2).
    void ADSLUpdateCells();
    void SelectADSLView(int view);
    void RefreshADSL();
    // The protocol counter pages, by their place in CounterPages: IP, ICMP, TCP, UDP, SNMP.
    void ipUpdateCells();
    void icmpUpdateCells();
    void tcpUpdateCells();
    void udpUpdateCells();
    void snmpUpdateCells();
    void RefreshGroup(int group);

    [[nodiscard]] TablesPage& Tables() { return tables_; }
    [[nodiscard]] const ButtonGroup& IntfButtons() const { return intfButtons_; }
    [[nodiscard]] const ButtonGroup& ADSLButtons() const { return adslButtons_; }

private:
    void ConnectButtons();
    void UpdateGroupCells(int group, std::span<const std::string> values);
    void SystemHeadlines();
    [[nodiscard]] QLineEdit* StringEdit(std::size_t entry) const;
    // Shows the messages of values the last fetch could not format.
    void ReportErrors(bool fromTimer = false);

    Outside outside_;
    const PageStack& pages_;
    TablesPage tables_;
    ButtonGroup intfButtons_;
    ButtonGroup adslButtons_;
    // The labels and edits the handlers fill.
    struct Controls {
        QLabel* StaticText5; // identity line or why no router is shown
        QLabel* StaticText6;
        QLabel* StaticText7;
        QLabel* StaticText8;
        QLabel* Label11; // Interfaces view heading
        QLabel* Label15; // ADSL direction heading
        QLabel* Label22;
        QLabel* Label23;
        QLineEdit* Edit3; // contact
        QLineEdit* Edit4; // name
        QLineEdit* Edit5; // location
    } ui_;
    bool reporting_ = false;  // an error box is open
    QString lastTimerReport_; // what the refresh timer reported last
};

} // namespace app
