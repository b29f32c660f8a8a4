#include "app/pages/PageLayout.h"

#include <array>
#include <vector>

namespace app {

const PageInfo Pages[PageCount] = {
    {"SystemPage", "General Info", "Label1", true},
    {"InterfacesPage", "Interfaces", "Label2", true},
    {"IPPage", "IP", "IPPageTitle", true},
    {"ICMPPage", "ICMP", "ICMPPageTitle", true},
    {"TCPPage", "TCP", "TCPPageTitle", true},
    {"UDPPage", "UDP", "UDPPageTitle", true},
    {"SNMPPage", "SNMP", "SNMPPageTitle", true},
    {"TablesPage", "Tables", "TablesPageTitle", true},
    {"AboutPage", "About", "AboutPageTitle", true},
    {"SyslogPage", "SysLog Server (Disabled)", "Label13", false},
    {"ADSLPage", "ADSL-Line", "Label14", true},
    {"OptionsPage", "Options", "OptionsPageTitle", true},
    {"GraphsPage", "Traffic Graph", "GraphsPageTitle", true},
};

// Radio-group order; the on-screen order differs (see y): the upper panel lists General Info,
// Traffic Graph, Interfaces, ADSL, the five groups, Tables and SysLog; Options and About sit in
// the lower panel.
const MenuButtonInfo MenuButtons[MenuButtonCount] = {
    {"MenuBtnSystem", "General Info", SystemPageIndex, 70},
    {"MenuBtnIntf", "Interfaces / ifX", InterfacesPageIndex, 70 + 2 * 32},
    {"MenuBtnIP", "IP", IPPageIndex, 70 + 4 * 32},
    {"MenuBtnICMP", "ICMP", ICMPPageIndex, 70 + 5 * 32},
    {"MenuBtnTCP", "TCP", TCPPageIndex, 70 + 6 * 32},
    {"MenuBtnUDP", "UDP", UDPPageIndex, 70 + 7 * 32},
    {"MenuBtnSNMP", "SNMP", SNMPPageIndex, 70 + 8 * 32},
    {"MenuBtnTables", "Tables", TablesPageIndex, 70 + 9 * 32},
    {"MenuBtnAbout", "About", AboutPageIndex, 470},
    {"MenuBtnSysLog", "SysLog Server", SyslogPageIndex, 70 + 10 * 32},
    {"MenuBtnADSL", "ADSL-Line", ADSLPageIndex, 70 + 3 * 32},
    {"MenuBtnOptions", "Options", OptionsPageIndex, 438},
    {"MenuBtnGraph", "Traffic Graph", GraphsPageIndex, 70 + 1 * 32},
};

const CounterPage CounterPages[5] = {
    {IPPageIndex, mib::IpMIB, 1, "IPBtnRefresh"},
    {ICMPPageIndex, mib::IcmpMIB, 21, "ICMPBtnRefresh"},
    {TCPPageIndex, mib::TcpMIB, 47, "TCPBtnRefresh"},
    {UDPPageIndex, mib::UdpMIB, 61, "UDPBtnRefresh"},
    {SNMPPageIndex, mib::SnmpMIB, 65, "SNMPBtnRefresh"},
};

namespace {

// The four address cells of the General page carry fixed texts of their own.
const mib::TMIBEntry LanAddress{"IP Address", "", "The routers LAN IP address"};
const mib::TMIBEntry LanMask{"Subnet Mask", "", "The routers LAN subnet mask"};
const mib::TMIBEntry WanAddress{"IP Address", "", "The routers WAN IP address"};
const mib::TMIBEntry WanMask{"Subnet Mask", "", "The routers WAN subnet mask"};

// General Info: the three writable strings, the services, and the LAN, WAN and line columns.
using mib::SystemMIB;
const CellLayout GeneralCells[] = {
    {126, SystemPageIndex, 14, 158, 262, 85, &SystemMIB[1], {}},
    {127, SystemPageIndex, 14, 186, 262, 85, &SystemMIB[2], {}},
    {128, SystemPageIndex, 315, 158, 262, 85, &SystemMIB[3], {}},
    {129, SystemPageIndex, 315, 186, 262, 85, &SystemMIB[4], {}},
    {143, SystemPageIndex, 14, 260, 184, 90, &LanAddress, {}},
    {144, SystemPageIndex, 14, 288, 184, 90, &LanMask, {}},
    {145, SystemPageIndex, 14, 316, 184, 90, &SystemMIB[5], {}},
    {146, SystemPageIndex, 14, 344, 184, 90, &SystemMIB[7], {}},
    {147, SystemPageIndex, 14, 372, 184, 90, &SystemMIB[8], {}},
    {148, SystemPageIndex, 230, 260, 184, 90, &WanAddress, {}},
    {149, SystemPageIndex, 230, 288, 184, 90, &WanMask, {}},
    {150, SystemPageIndex, 230, 316, 184, 90, &SystemMIB[6], {}},
    {151, SystemPageIndex, 422, 260, 184, 90, &SystemMIB[9], {}},
    {152, SystemPageIndex, 422, 288, 184, 90, &SystemMIB[10], {}},
    {153, SystemPageIndex, 230, 378, 184, 90, &SystemMIB[11], {}},
    {154, SystemPageIndex, 230, 462, 184, 90, &SystemMIB[12], {}},
    {155, SystemPageIndex, 230, 406, 184, 90, &SystemMIB[13], {}},
    {156, SystemPageIndex, 230, 434, 184, 90, &SystemMIB[14], {}},
    {157, SystemPageIndex, 422, 378, 184, 90, &SystemMIB[15], {}},
    {158, SystemPageIndex, 422, 462, 184, 90, &SystemMIB[16], {}},
    {159, SystemPageIndex, 422, 406, 184, 90, &SystemMIB[17], {}},
    {160, SystemPageIndex, 422, 434, 184, 90, &SystemMIB[18], {}},
};

// Options: the address and community cells with their edits, the option labels beside the
// toggles (label only: the separator is the cell's width) and the refresh interval.
const CellLayout OptionsCells[] = {
    {130, OptionsPageIndex, 24, 72, 400, 175, nullptr, "Router IP address"},
    {131, OptionsPageIndex, 24, 100, 400, 175, nullptr, "Router community"},
    {125, OptionsPageIndex, 52, 166, 240, 240, nullptr, "Hide when minimised"},
    {141, OptionsPageIndex, 52, 194, 240, 240, nullptr, "Start minimised"},
    {142, OptionsPageIndex, 52, 222, 240, 240, nullptr, "Auto run on Windows boot"},
    {138, OptionsPageIndex, 348, 166, 240, 240, nullptr, "Beep on connect success/failure"},
    {134, OptionsPageIndex, 348, 194, 240, 240, nullptr, "Centre text in titles and data"},
    {133, OptionsPageIndex, 348, 222, 240, 240, nullptr, "Always display raw data"},
    {161, OptionsPageIndex, 24, 254, 300, 216, nullptr, "Auto Refresh Interval"},
    {132, OptionsPageIndex, 52, 322, 240, 240, nullptr, "Enable SysLog server"},
    {137, OptionsPageIndex, 52, 350, 240, 240, nullptr, "Beep on arrival of SysLog message"},
    {136, OptionsPageIndex, 52, 378, 240, 240, nullptr, "Remove process ID from messages"},
    {135, OptionsPageIndex, 348, 322, 240, 240, nullptr, "Add router IP and port to messages"},
    {139, OptionsPageIndex, 348, 350, 240, 240, nullptr, "Output SysLog messages to file"},
    {140, OptionsPageIndex, 348, 378, 240, 240, nullptr, "Add date to SysLog filename"},
};

std::vector<CellLayout> BuildCells() {
    std::vector<CellLayout> cells;
    cells.reserve(CellCount);
    // Group pages: two columns of fourteen, the left one filled first.
    for (const CounterPage& group : CounterPages) {
        for (std::size_t i = 0; i < group.entries.size(); ++i) {
            const int row = static_cast<int>(i % 14);
            const int x = i < 14 ? 34 : 327;
            cells.push_back({group.firstCell + static_cast<int>(i),
                             group.page,
                             x,
                             56 + 28 * row,
                             260,
                             165,
                             &group.entries[i],
                             {}});
        }
    }
    // Interfaces: ten rows in each column.
    for (int i = 0; i < mib::IfMIBLength; ++i)
        cells.push_back({93 + i,
                         InterfacesPageIndex,
                         i < 10 ? 34 : 327,
                         88 + 28 * (i % 10),
                         260,
                         145,
                         &mib::IfMIB[i],
                         {}});
    // ADSL: the line status sits below the output power and attainable rate.
    const int adslRows[12][2] = {{34, 88},  {34, 116},  {34, 144},  {34, 172},
                                 {34, 200}, {34, 284},  {34, 228},  {34, 256},
                                 {327, 88}, {327, 116}, {327, 144}, {327, 172}};
    for (int i = 0; i < mib::AtucMIBLength; ++i)
        cells.push_back({113 + i,
                         ADSLPageIndex,
                         adslRows[i][0],
                         adslRows[i][1],
                         260,
                         165,
                         &mib::AtucMIB[i],
                         {}});
    cells.insert(cells.end(), std::begin(GeneralCells), std::end(GeneralCells));
    cells.insert(cells.end(), std::begin(OptionsCells), std::end(OptionsCells));

    std::vector<CellLayout> byNumber(CellCount);
    for (const CellLayout& cell : cells)
        byNumber[static_cast<std::size_t>(cell.number - 1)] = cell;
    return byNumber;
}

} // namespace

std::span<const CellLayout> CellLayouts() {
    static const std::vector<CellLayout> cells = BuildCells();
    return cells;
}

std::span<const ButtonLayout> ButtonLayouts() {
    using K = ButtonKind;
    static const ButtonLayout buttons[] = {
        {"SystemBtnSet1", SystemPageIndex, "Set", 275, 158, K::Set},
        {"SystemBtnSet2", SystemPageIndex, "Set", 275, 186, K::Set},
        {"SystemBtnSet3", SystemPageIndex, "Set", 576, 158, K::Set},
        {"SystemBtnRefresh", SystemPageIndex, "Refresh", 38, 464, K::Page},
        {"IntfBtnRefresh", InterfacesPageIndex, "Refresh", 248, 412, K::Page},
        {"IntfBtnLAN", InterfacesPageIndex, "Ethernet", 43, 464, K::Page},
        {"IntfBtnWAN", InterfacesPageIndex, "WAN Uplink", 179, 464, K::Page},
        {"IntfBtnLANX", InterfacesPageIndex, "Ethernet (ifX)", 315, 464, K::Page},
        {"IntfBtnWANX", InterfacesPageIndex, "WAN Uplink (ifX)", 451, 464, K::Page},
        {"ADSLBtnRefresh", ADSLPageIndex, "Refresh", 248, 412, K::Page},
        {"ADSLBtnUpStream", ADSLPageIndex, "UpStream (ATU-R)", 179, 464, K::Page},
        {"ADSLBtnDownStream", ADSLPageIndex, "DownStream (ATU-C)", 315, 464, K::Page},
        {"IPBtnRefresh", IPPageIndex, "Refresh", 248, 460, K::Page},
        {"ICMPBtnRefresh", ICMPPageIndex, "Refresh", 248, 460, K::Page},
        {"TCPBtnRefresh", TCPPageIndex, "Refresh", 248, 460, K::Page},
        {"UDPBtnRefresh", UDPPageIndex, "Refresh", 248, 460, K::Page},
        {"SNMPBtnRefresh", SNMPPageIndex, "Refresh", 248, 460, K::Page},
        {"TableBtnAddr", TablesPageIndex, "ipAddrTable", 486, 118, K::Page},
        {"TableBtnRoute", TablesPageIndex, "ipRouteTable", 486, 150, K::Page},
        {"TableBtnMedia", TablesPageIndex, "ipNetToMediaTable", 486, 182, K::Page},
        {"TableBtnConn", TablesPageIndex, "tcpConnTable", 486, 214, K::Page},
        {"TableBtnUDP", TablesPageIndex, "udpTable", 486, 246, K::Page},
        {"TableBtnEvents", TablesPageIndex, "Line events", 486, 278, K::Page},
        {"TableBtnUsage", TablesPageIndex, "Usage", 486, 310, K::Page},
        {"TableBtnRefresh", TablesPageIndex, "Refresh", 485, 358, K::Page},
        {"TableBtnSave", TablesPageIndex, "Save Table", 485, 390, K::Page},
        {"OptionsBtnConnect", OptionsPageIndex, "Connect To Router", 452, 84, K::Page},
        {"OptionsBtnMinTray", OptionsPageIndex, " ", 24, 166, K::Toggle, 125},
        {"OptionsBtnStartTray", OptionsPageIndex, " ", 24, 194, K::Toggle, 141},
        {"OptionsBtnAutoRun", OptionsPageIndex, " ", 24, 222, K::Toggle, 142},
        {"OptionsBtnConBeep", OptionsPageIndex, " ", 320, 166, K::Toggle, 138},
        {"OptionsBtnCntText", OptionsPageIndex, " ", 320, 194, K::Toggle, 134},
        {"OptionsBtnRawData", OptionsPageIndex, " ", 320, 222, K::Toggle, 133},
        {"OptionsBtnSLActive", OptionsPageIndex, " ", 24, 322, K::Toggle, 132},
        {"OptionsBtnSLBeep", OptionsPageIndex, " ", 24, 350, K::Toggle, 137},
        {"OptionsBtnSLRemError", OptionsPageIndex, " ", 24, 378, K::Toggle, 136},
        {"OptionsBtnSLSender", OptionsPageIndex, " ", 320, 322, K::Toggle, 135},
        {"OptionsBtnSLFileOut", OptionsPageIndex, " ", 320, 350, K::Toggle, 139},
        {"OptionsBtnSLFileDate", OptionsPageIndex, " ", 320, 378, K::Toggle, 140},
        {"OptionsBtnSysLogFile", OptionsPageIndex, "Set SysLog File", 246, 424, K::Page},
        {"GraphBtnClear", GraphsPageIndex, "Clear Graph", 179, 464, K::Page},
        {"GraphsBtnSave", GraphsPageIndex, "Save Graph", 315, 464, K::Page},
    };
    return buttons;
}

std::span<const LabelLayout> LabelLayouts() {
    using S = LabelStyle;
    static const LabelLayout labels[] = {
        {"StaticText5", SystemPageIndex, "", 48, 54, 526, 33, S::Status},
        {"StaticText6", SystemPageIndex, "", 91, 100, 431, 18, S::Status},
        {"StaticText7", SystemPageIndex, "", 91, 118, 431, 18, S::Status},
        {"StaticText8", SystemPageIndex, "", 91, 136, 431, 18, S::Status},
        {"Label22", SystemPageIndex, "LAN", 14, 236, 184, 22, S::Heading},
        {"Label23", SystemPageIndex, "WAN", 230, 236, 184, 22, S::Heading},
        {"Label24", SystemPageIndex, "UpStream", 230, 353, 184, 22, S::Heading},
        {"Label25", SystemPageIndex, "DownStream", 422, 353, 184, 22, S::Heading},
        {"Label11", InterfacesPageIndex, "Ethernet", 34, 48, 400, 26, S::Heading},
        {"Label15", ADSLPageIndex, "UpStream (ATU-R)", 34, 48, 400, 26, S::Heading},
        {"Label12", TablesPageIndex, "", 16, 48, 400, 26, S::Heading},
        {"StaticText1", AboutPageIndex,
         "LineScope " LINESCOPE_VERSION "\nA monitor for the Corvane R62GX/R63 ADSL router", 40,
         236, 540, 40, S::Status},
        {"StaticText3", AboutPageIndex,
         "Router statistics over SNMP, a syslog server and a traffic graph.\nFree software, with "
         "no warranty.",
         40, 282, 540, 40, S::Status},
        {"OptionsSNMPHead", OptionsPageIndex, "SNMP", 24, 44, 200, 24, S::OptionHead},
        {"OptionsGeneralHead", OptionsPageIndex, "General", 24, 138, 200, 24, S::OptionHead},
        {"OptionsSysLogHead", OptionsPageIndex, "SysLog Server", 24, 294, 200, 24, S::OptionHead},
    };
    return labels;
}

std::span<const EditLayout> EditLayouts() {
    static const EditLayout edits[] = {
        {"Edit3", SystemPageIndex, 100, 163, 173, 17, 255},
        {"Edit4", SystemPageIndex, 100, 191, 173, 17, 255},
        {"Edit5", SystemPageIndex, 401, 163, 173, 17, 255},
        {"Edit1", OptionsPageIndex, 24 + 175 + 4, 72 + 4, 400 - 175 - 10, 17, 255},
        {"Edit2", OptionsPageIndex, 24 + 175 + 4, 100 + 4, 400 - 175 - 10, 17, 255},
        {"Edit6", OptionsPageIndex, 24 + 216 + 4, 254 + 4, 300 - 216 - 10, 17, 3},
    };
    return edits;
}

} // namespace app
