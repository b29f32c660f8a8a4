// The data behind every statistics page: one array of value texts per group, fetched from the
// router, then formatted or translated in place while RawData is off; the interface indices that
// discovery finds; the General page's headline texts; and the lines of the Tables page.
//
// Value texts are 8-bit byte strings (show them with QString::fromLatin1). Fetch routines block
// for up to their timeouts. A value the formatters reject (StrToBytes on a non-number) keeps its
// raw text and adds the formatter's message to Errors; the fetch goes on with the next value.
#pragma once

#include "Formatters.h"
#include "RouterQuery.h"
#include "Seams.h"
#include "Settings.h"
#include "TableLayout.h"
#include "mib/MIBConstants.h"

#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace core {

// Discovery keeps at most this many interfaces; a router reporting more has the rest ignored.
inline constexpr int MaxInterfaces = 50;

class Statistics {
public:
    Statistics(RouterQuery& query, Settings& settings, Clock& clock);

    // Value arrays, parallel to the dictionary tables of the same length.
    std::array<std::string, mib::SystemMIBLength> SystemValues;
    std::array<std::string, mib::IfMIBLength> IntfValues;
    std::array<std::string, mib::IfXMIBLength> IfxValues;
    std::array<std::string, mib::AtucMIBLength> ADSLValues; // the direction fetched last
    std::array<std::string, mib::IpMIBLength> IpValues;
    std::array<std::string, mib::IcmpMIBLength> IcmpValues;
    std::array<std::string, mib::TcpMIBLength> TcpValues;
    std::array<std::string, mib::UdpMIBLength> UdpValues;
    std::array<std::string, mib::SnmpMIBLength> SnmpValues;

    // Interface indices as decimal texts, ready to append to a column suffix. Empty until the
    // first discovery; "0" after a discovery that found no interfaces.
    std::string LanIpIfIndex; // type other(1): carries the LAN address
    std::string LanIfIndex;   // ethernetCsmacd(6)
    std::string WanIfIndex;   // ppp(23)
    std::string WanIfxIndex;  // rfc1483(159): the WAN's 64-bit counters
    std::string AdslIfIndex;  // adsl(94)
    // ifDescr by discovery position 1..MaxInterfaces; position 0 stays empty, positions beyond
    // the current interface count keep what an earlier discovery wrote.
    std::array<std::string, MaxInterfaces + 1> IfDescr;
    int InterfaceCount = 0; // positions filled by the last discovery

    // sysUpTime in hundredths of a second, 64 bits so that a router up for more than 248 days
    // keeps its uptime.
    int64_t RouterUpTime = 0;
    bool RouterUpTimeKnown = false; // the router answered the last uptime read
    bool UseHCCounters = true;      // the WAN's 64-bit counters answered at the last fetch

    std::string LanIpAddress, LanNetMask, WanIpAddress, WanNetMask;

    int IntfView = 1;      // 1 Ethernet, 2 WAN Uplink, 3 Ethernet (ifX), 4 WAN Uplink (ifX)
    int ADSLView = 1;      // 1 UpStream (ATU-R), 2 DownStream (ATU-C)
    int32_t TableView = 0; // 0 none, 1..5 as mib::TableNames

    // Width of the ADSL line-status cell; changes only when a status value is formatted.
    int ADSLStatusWidth = StatusCellNarrow;

    // General page headlines, written by SystemGetData in both RawData modes.
    QString StaticText6; // "Router initialized on <long date> at <long time>"
    QString StaticText7; // "Router uptime:  ..."
    QString StaticText8; // "Connection uptime:  ..." or "Connection downtime:  ..."
    QString Label22 = QStringLiteral("LAN");
    QString Label23 = QStringLiteral("WAN");

    // The Tables page's lines, rebuilt by each table fetch.
    std::vector<std::string> TableLines;

    // Messages of values that could not be formatted and of tables that came back incomplete,
    // oldest first; the window shows and clears them.
    std::vector<std::string> Errors;

    // Clears what the pages show of a router that is no longer there: the headlines, the
    // addresses, the system strings and the table lines.
    void ForgetRouter();

    // Reads the interface table once per connection and sets the five indices and IfDescr.
    void FindInterfaceIndices();
    // RouterUpTime := sysUpTime. Does not test RouterPresent; its callers do.
    void UpdateRouterUpTime();

    // General page. Does nothing while RouterPresent is false. Ends with GetRouterIPNM.
    void SystemGetData();
    // Walks ipAddrTable and takes the LAN and WAN address and mask from the rows whose ifIndex
    // is LanIpIfIndex, WanIfIndex or WanIfxIndex.
    void GetRouterIPNM();

    // Interfaces page: the view IntfView selects. Callers test RouterPresent.
    void interfacesGetData();
    void intfGetData(const std::string& index); // reads the uptime first, for LastChange
    void ifxGetData(const std::string& index);

    // ADSL page: ADSLView 1 the modem end (ATU-R), 2 the exchange end (ATU-C).
    void ADSLGetData();
    void ADSLAtucGetData();
    void ADSLAturGetData();

    // Protocol counter pages.
    void ipGetData();
    void icmpGetData();
    void tcpGetData();
    void udpGetData();
    void snmpGetData();

    // Tables page: the table TableView selects (nothing for 0). Callers test RouterPresent.
    void tablesGetData();
    void ipAddrTableGetData();
    void ipRouteTableGetData();
    void ipNetToMediaTableGetData();
    void tcpConnTableGetData();
    void udpTableGetData();

    // View selection for the pages' buttons: false (and nothing happens) when `view` is already
    // selected; otherwise selects it and, while RouterPresent, fetches it.
    bool SelectIntfView(int view);
    bool SelectADSLView(int view);
    bool SelectTable(int32_t view);

    // The full fetch: the identity check and, only when it passes, every group in the order
    // discovery, uptime, system, ip, icmp, tcp, udp, snmp, interfaces, tables, ADSL, under the busy
    // cursor; then the information sound when ConBeep is on. Returns RouterPresent. A router that
    // fails the check or is lost half-way is forgotten (ForgetRouter). The cells are the caller's
    // to refill.
    bool GetAllData();

private:
    void FetchGroup(std::span<const mib::TMIBEntry> entries, std::span<std::string> values,
                    const std::string& index = {});
    void FormatBytes(std::string& value, const mib::TMIBEntry& entry, const std::string& index);
    // The interface index a General page entry is read for (empty for scalars).
    [[nodiscard]] const std::string& SystemIndex(int entry) const;
    void TakeRouterUpTime(const std::string& value);
    [[nodiscard]] std::string TimeSince(const std::string& value) const;
    // Adds a message for a walk that did not end by leaving its table; returns it (empty if whole).
    std::string ReportWalkEnd(snmp::WalkEnd end, std::string_view table);
    void ADSLGetDataFrom(std::span<const mib::TMIBEntry> entries);
    void WalkTable(int table, std::string_view suffix, std::span<const std::string_view> headings,
                   const CellTranslator& translate);
    [[nodiscard]] std::string InterfaceLabel(const std::string& index) const;

    RouterQuery& query_;
    Settings& settings_;
    Clock& clock_;
    std::array<int64_t, MaxInterfaces + 1> ifIndexAt_{}; // ifIndex by discovery position
};

} // namespace core
