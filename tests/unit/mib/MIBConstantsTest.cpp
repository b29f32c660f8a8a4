// The dictionary is data that every page trusts blindly: a wrong suffix asks the router for the
// wrong object, a short initialiser list leaves silent empty rows, a lost tab misaligns a saved
// table. These checks compare the tables with lists typed independently of the tables.
#include "MIBConstants.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using mib::TMIBEntry;

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < text.size()) {
        const size_t end = std::min(text.find(' ', i), text.size());
        if (end > i) out.emplace_back(text.substr(i, end - i));
        i = end + 1;
    }
    return out;
}

// prefix + n + suffix for n = first .. last
std::vector<std::string> Range(const std::string& prefix, int first, int last,
                               const std::string& suffix) {
    std::vector<std::string> out;
    for (int n = first; n <= last; ++n)
        out.push_back(prefix + std::to_string(n) + suffix);
    return out;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

enum class Kind { Scalars, Columns, Mixed };

struct Table {
    const char* name;
    std::span<const TMIBEntry> entries;
    int lengthConstant;
    size_t expectedLength;
    Kind kind;
    std::vector<std::string> oids;
    std::vector<std::string> labels; // empty: not compared here
    bool fromMibModule;              // hints open the object's MIB description
};

std::vector<Table> AllTables() {
    return {
        {"SystemMIB",
         mib::SystemMIB,
         mib::SystemMIBLength,
         24,
         Kind::Mixed,
         Words("1.3.0 1.4.0 1.5.0 1.6.0 1.7.0 2.2.1.4. 2.2.1.4. 31.1.1.1.6. 31.1.1.1.10. "
               "31.1.1.1.6. 31.1.1.1.10. 10.94.1.1.5.1.2. 10.94.1.1.3.1.5. 10.94.1.1.3.1.7. "
               "10.94.1.1.3.1.4. 10.94.1.1.4.1.2. 10.94.1.1.2.1.5. 10.94.1.1.2.1.7. "
               "10.94.1.1.2.1.4. 2.2.1.8. 2.2.1.8. 2.2.1.10. 2.2.1.16. 2.2.1.9."),
         {},
         false},
        {"IpMIB", mib::IpMIB, mib::IpMIBLength, 20, Kind::Scalars,
         Concat(Range("4.", 1, 19, ".0"), {"4.23.0"}),
         Words("Forwarding DefaultTTL InReceives InHdrErrors InAddrErrors ForwDatagrams "
               "InUnknownProtos InDiscards InDelivers OutRequests OutDiscards OutNoRoutes "
               "ReasmTimeout ReasmReqds ReasmOKs ReasmFails FragOKs FragFails FragCreates "
               "RoutingDiscards"),
         true},
        {"IcmpMIB", mib::IcmpMIB, mib::IcmpMIBLength, 26, Kind::Scalars, Range("5.", 1, 26, ".0"),
         Words("InMsgs InErrors InDestUnreachs InTimeExcds InParmProbs InSrcQuenchs InRedirects "
               "InEchos InEchoReps InTimestamps InTimestampReps InAddrMasks InAddrMaskReps OutMsgs "
               "OutErrors OutDestUnreachs OutTimeExcds OutParmProbs OutSrcQuenchs OutRedirects "
               "OutEchos OutEchoReps OutTimestamps OutTimestampReps OutAddrMasks "
               "OutAddrMaskReps"),
         true},
        {"TcpMIB", mib::TcpMIB, mib::TcpMIBLength, 14, Kind::Scalars,
         Concat(Range("6.", 1, 12, ".0"), {"6.14.0", "6.15.0"}),
         Words("RtoAlgorithm RtoMin RtoMax MaxConn ActiveOpens PassiveOpens AttemptFails "
               "EstabResets CurrEstab InSegs OutSegs RetransSegs InErrs OutRsts"),
         true},
        {"UdpMIB", mib::UdpMIB, mib::UdpMIBLength, 4, Kind::Scalars, Range("7.", 1, 4, ".0"),
         Words("InDatagrams NoPorts InErrors OutDatagrams"), true},
        {"SnmpMIB", mib::SnmpMIB, mib::SnmpMIBLength, 28, Kind::Scalars,
         Concat(Concat(Range("11.", 1, 6, ".0"), Range("11.", 8, 22, ".0")),
                Range("11.", 24, 30, ".0")),
         Words("InPkts OutPkts InBadVersions InBadCommunityNames InBadCommunityUses "
               "InASNParseErrs InTooBigs InNoSuchNames InBadValues InReadOnlys InGenErrs "
               "InTotalReqVars InTotalSetVars InGetRequests InGetNexts InSetRequests "
               "InGetResponses InTraps OutTooBigs OutNoSuchNames OutBadValues OutGenErrs "
               "OutGetRequests OutGetNexts OutSetRequests OutGetResponses OutTraps "
               "EnableAuthenTraps"),
         true},
        {"IfMIB", mib::IfMIB, mib::IfMIBLength, 20, Kind::Columns, Range("2.2.1.", 2, 21, "."),
         Words("Descr Type Mtu Speed PhysAddress AdminStatus OperStatus LastChange InOctets "
               "InUcastPkts InNUcastPkts InDiscards InErrors InUnknownProtos OutOctets "
               "OutUcastPkts OutNUcastPkts OutDiscards OutErrors OutQLen"),
         true},
        {"IfXMIB", mib::IfXMIB, mib::IfXMIBLength, 17, Kind::Columns,
         Range("31.1.1.1.", 1, 17, "."),
         Words("Name InMulticastPkts InBroadcastPkts OutMulticastPkts OutBroadcastPkts "
               "HCInOctets HCInUcastPkts HCInMulticastPkts HCInBroadcastPkts HCOutOctets "
               "HCOutUcastPkts HCOutMulticastPkts HCOutBroadcastPkts LinkUpDownTrapEnable "
               "HighSpeed PromiscuousMode ConnectorPresent"),
         true},
        {"AtucMIB", mib::AtucMIB, mib::AtucMIBLength, 12, Kind::Columns,
         Concat(Range("10.94.1.1.2.1.", 1, 8, "."), Range("10.94.1.1.4.1.", 1, 4, ".")),
         Words("InvSerialNumber InvVendorID InvVersionNumber CurrSnrMgn CurrAtn CurrStatus "
               "CurrOutputPwr CurrAttainableRate ChanInterleaveDelay ChanCurrTxRate "
               "ChanPrevTxRate ChanCrcBlockLength"),
         true},
        {"AturMIB",
         mib::AturMIB,
         mib::AtucMIBLength,
         12,
         Kind::Columns,
         Concat(Range("10.94.1.1.3.1.", 1, 8, "."), Range("10.94.1.1.5.1.", 1, 4, ".")),
         {},
         false},
    };
}

TEST(MibTables, LengthsOidsAndLabelsAreTheListedOnes) {
    for (const Table& t : AllTables()) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(static_cast<size_t>(t.lengthConstant), t.expectedLength);
        ASSERT_EQ(t.entries.size(), t.expectedLength);
        ASSERT_EQ(t.oids.size(), t.expectedLength) << "test list";
        for (size_t i = 0; i < t.entries.size(); ++i) {
            EXPECT_EQ(t.entries[i].OID, t.oids[i]) << "row " << i;
            if (!t.labels.empty()) {
                EXPECT_EQ(t.entries[i].Label, t.labels[i]) << "row " << i;
            }
        }
    }
    const std::vector<std::string> systemLabels = {
        "UpTime",      "Contact",    "Name",       "Location", "Services",    "MTU",
        "MTU",         "Data In",    "Data Out",   "Data In",  "Data Out",    "Speed",
        "Attenuation", "Output Pwr", "S/N Ratio",  "Speed",    "Attenuation", "Output Pwr",
        "S/N Ratio",   "LAN Status", "WAN Status", "Data In",  "Data Out",    "PPP LastChange"};
    for (size_t i = 0; i < systemLabels.size(); ++i)
        EXPECT_EQ(mib::SystemMIB[i].Label, systemLabels[i]) << "SystemMIB row " << i;
}

TEST(MibTables, OidSuffixesAreWellFormedScalarsOrColumns) {
    for (const Table& t : AllTables()) {
        for (size_t i = 0; i < t.entries.size(); ++i) {
            const std::string_view oid = t.entries[i].OID;
            SCOPED_TRACE(std::string(t.name) + " row " + std::to_string(i) + " " +
                         std::string(oid));
            ASSERT_FALSE(oid.empty());
            EXPECT_NE(oid.front(), '.');
            EXPECT_EQ(oid.find(".."), std::string_view::npos);
            EXPECT_EQ(oid.find_first_not_of("0123456789."), std::string_view::npos);
            const bool scalar = oid.size() > 2 && oid.substr(oid.size() - 2) == ".0";
            const bool column = oid.back() == '.';
            EXPECT_NE(scalar, column);
            switch (t.kind) {
            case Kind::Scalars:
                EXPECT_TRUE(scalar);
                break;
            case Kind::Columns:
                EXPECT_TRUE(column);
                break;
            case Kind::Mixed:
                EXPECT_EQ(scalar, i <= 4);
                break;
            }
        }
    }
}

TEST(MibTables, AturRowsAreTheAtucRowsAtTheOtherEnd) {
    // physical table 2 -> 3, channel table 4 -> 5, same column in the same row
    for (int i = 0; i < mib::AtucMIBLength; ++i) {
        std::string atuc(mib::AtucMIB[i].OID);
        const std::string table = atuc.substr(0, 12);
        ASSERT_TRUE(table == "10.94.1.1.2." || table == "10.94.1.1.4.") << atuc;
        atuc[10] = table == "10.94.1.1.2." ? '3' : '5';
        EXPECT_EQ(mib::AturMIB[i].OID, atuc) << "row " << i;
    }
}

TEST(MibTables, EveryCellHasALabelAndHintExceptTheAturMirror) {
    for (const Table& t : AllTables()) {
        const bool mirror = std::string_view(t.name) == "AturMIB";
        for (size_t i = 0; i < t.entries.size(); ++i) {
            SCOPED_TRACE(std::string(t.name) + " row " + std::to_string(i));
            EXPECT_EQ(t.entries[i].Label.empty(), mirror);
            EXPECT_EQ(t.entries[i].Hint.empty(), mirror);
        }
    }
}

// Hints taken from a MIB module keep its line breaks with the indentation removed: a line with
// leading or trailing blanks, an empty line or a line wider than the module's text points at a
// copying slip.
void ExpectModuleLayout(std::string_view name, size_t row, std::string_view hint) {
    SCOPED_TRACE(std::string(name) + " row " + std::to_string(row));
    ASSERT_FALSE(hint.empty());
    EXPECT_TRUE(hint.front() >= 'A' && hint.front() <= 'Z') << hint;
    EXPECT_TRUE(hint.back() == '.' || hint.substr(hint.size() - 2) == ".'") << hint;
    size_t start = 0;
    while (start <= hint.size()) {
        const size_t end = std::min(hint.find('\n', start), hint.size());
        const std::string_view line = hint.substr(start, end - start);
        EXPECT_FALSE(line.empty()) << hint;
        if (!line.empty()) {
            EXPECT_NE(line.front(), ' ') << line;
            EXPECT_NE(line.back(), ' ') << line;
        }
        EXPECT_LE(line.size(), 72u) << line;
        EXPECT_EQ(line.find('\t'), std::string_view::npos) << line;
        start = end + 1;
    }
}

TEST(MibTables, DescriptionHintsKeepTheModuleLineLayout) {
    for (const Table& t : AllTables())
        if (t.fromMibModule)
            for (size_t i = 0; i < t.entries.size(); ++i)
                ExpectModuleLayout(t.name, i, t.entries[i].Hint);
    for (size_t i = 0; i <= 3; ++i)
        ExpectModuleLayout("SystemMIB", i, mib::SystemMIB[i].Hint);

    EXPECT_EQ(mib::SystemMIB[0].Hint, "The time (in hundredths of a second) since the\n"
                                      "network management portion of the system was last\n"
                                      "re-initialized.");
    EXPECT_EQ(mib::IfMIB[6].Hint, "The current operational state of the interface.\n"
                                  "The testing(3) state indicates that no operational\n"
                                  "packets can be passed.");
    EXPECT_EQ(mib::IfXMIB[5].Hint, "The total number of octets received on the interface,\n"
                                   "including framing characters.  This object is a 64-bit\n"
                                   "version of ifInOctets.");
}

TEST(MibTables, GeneralPageHintsAreTheGivenTexts) {
    const std::string_view lanMtu = "The size of the largest packet which can be\n"
                                    "sent/received on the LAN interface, specified\nin bytes.";
    const std::string_view wanMtu = "The size of the largest packet which can be\n"
                                    "sent/received on the WAN interface, specified\nin bytes.";
    const std::string_view hc = ".\nnote: this value is retrieved from the ifx (64 bit)\n"
                                "interface so does not suffer from a 4GB limitation";
    const std::string_view c32 = ".\nnote: because the ifx WAN interface seems to be\n"
                                 "unavailable (PPPoA enabled?) this number is 32bit\n"
                                 "and suffers from a 4GB limitation";
    const std::vector<std::string> expected = {
        "The services that this node offers",
        std::string(lanMtu),
        std::string(wanMtu),
        "The total number of bytes received on the LAN" + std::string(hc),
        "The total number of bytes sent through the LAN" + std::string(hc),
        "The total number of bytes received on the WAN" + std::string(hc),
        "The total number of bytes sent through the WAN" + std::string(hc),
        "The current upstream speed in Kbits per second",
        "The difference between the power transmitted by the\nmodem and the power received by "
        "the exchange, expressed\nin dB",
        "The current output power of the modem, expressed in dBm",
        "Noise margin seen by the exchange with respect to the\nsignal received from the modem, "
        "expressed in dB",
        "The current downstream speed in Kbits per second",
        "The difference between the power transmitted by the\nexchange and the power received by "
        "the modem, expressed\nin dB",
        "The current output power of the exchange, expressed in dBm",
        "Noise margin seen by the modem with respect to the\nsignal received from the exchange, "
        "expressed in dB",
        "no hint",
        "no hint",
        "The total number of bytes received on the WAN" + std::string(c32),
        "The total number of bytes sent through the WAN" + std::string(c32),
        "no hint",
    };
    ASSERT_EQ(expected.size(), 20u);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(mib::SystemMIB[i + 4].Hint, expected[i]) << "SystemMIB row " << i + 4;
}

TEST(MibTables, ColumnInstanceIsSuffixPlusIndex) {
    const std::string instance = std::string(mib::IfMIB[6].OID) + "2";
    EXPECT_EQ(instance, "2.2.1.8.2");
    EXPECT_EQ(std::string(mib::MIBPrefix) + instance, "1.3.6.1.2.1.2.2.1.8.2");
}

TEST(MibTablesPage, NamesAndHeadingsAreExactBytes) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(V(std::begin(mib::TableNames), std::end(mib::TableNames)),
              (V{"none", "ipAddressTable", "ipRouteTable", "ipNetToMediaTable", "tcpConnTable",
                 "udpTable"}));
    EXPECT_EQ(V(std::begin(mib::IpAddrColumns), std::end(mib::IpAddrColumns)),
              (V{"ipAdEntAddr\t\t", "ipAdEntIfIndex\t\t", "ipAdEntNetMask\t\t",
                 "ipAdEntBcastAddr      \t", "ipAdEntReasmMaxSize\t"}));
    EXPECT_EQ(mib::IpAddrColumns[3].size(), 23u); // six blanks, then the tab
    EXPECT_EQ(V(std::begin(mib::IpRouteColumns), std::end(mib::IpRouteColumns)),
              (V{"ipRouteDest\t\t", "ipRouteIfIndex\t\t", "ipRouteMetric1\t\t",
                 "ipRouteMetric2\t\t", "ipRouteMetric3\t\t", "ipRouteMetric4\t\t",
                 "ipRouteNextHop\t\t", "ipRouteType\t\t", "ipRouteProto\t\t", "ipRouteAge\t\t",
                 "ipRouteMask\t\t", "ipRouteMetric5\t\t", "ipRouteInfo\t\t"}));
    EXPECT_EQ(V(std::begin(mib::IpNetToMediaColumns), std::end(mib::IpNetToMediaColumns)),
              (V{"ipNetToMediaIfIndex \t", "ipNetToMediaPhysAddress\t", "ipNetToMediaNetAddress\t",
                 "ipNetToMediaType   \t"}));
    EXPECT_EQ(V(std::begin(mib::TcpConnColumns), std::end(mib::TcpConnColumns)),
              (V{"tcpConnState\t\t", "tcpConnLocalAddress\t", "tcpConnLocalPort\t\t",
                 "tcpConnRemAddress\t", "tcpConnRemPort\t\t"}));
    EXPECT_EQ(V(std::begin(mib::UdpColumns), std::end(mib::UdpColumns)),
              (V{"udpLocalAddress\t\t", "udpLocalPort\t\t"}));
}

TEST(MibHints, ButtonAndOptionTextsKeepTheirExactWording) {
    EXPECT_EQ(mib::TableHints[0],
              "The table of addressing information relevant to\nthis entitys IP addresses.");
    EXPECT_EQ(mib::TableHints[5], "Save the currently displayed table to a file.");
    EXPECT_EQ(mib::SetHint, "Send this string to the router, replacing the previous\ncontents. "
                            "If the string reverts to its previous setting,\ncheck that you are "
                            "using the correct read/write\ncommunity setting.");
    EXPECT_EQ(mib::RefreshHint, "Refresh the contents of this page.");
    EXPECT_EQ(mib::IntfHints[3],
              "Show additional data for the WAN interface,\nretrieved from the routers ifx table.");
    EXPECT_EQ(mib::AdslHints[1], "Show information about the ADSL connection, as seen\nby the "
                                 "remote exchange.");
    EXPECT_EQ(mib::SysLogHints[2], "Undock the SysLog page from the main application,\nie: "
                                   "create a resizable floating SysLog window.");
    // double blank before "router", trailing blank after the address
    EXPECT_EQ(mib::OptionsHints[0], "Enter the IP address of the Corvane R62GX/R63  router\nhere, "
                                    "the factory default IP address is 192.168.1.254 ");
    EXPECT_EQ(mib::OptionsHints[1],
              "Enter the routers SNMP community name here, think of\nthis as a password to gain "
              "access to the routers\nSNMP agent. The factory defaults are \"meadow\" for\nread "
              "access and \"lanterns\" for read/write access.");
    EXPECT_EQ(mib::OptionsHints[5],
              "Play a sound on successfull and unsuccessfull connection\nattempts.");
    EXPECT_EQ(mib::OptionsHints[7], "Start the LineScope minimised (to start hidden and\n"
                                    "minimised, enable this option and the \"Hide when\n"
                                    "minimised\" option");
    EXPECT_EQ(mib::OptionsHints[11],
              std::string("Removes the <") + "???" + "> process ID from Syslog messages.");
    EXPECT_EQ(mib::OptionsHints[16],
              "Set the time interval (in seconds) for the automatic\nrefresh of the General Info "
              "page. The max interval is\n600 seconds (10 minutes) while a setting of 0 "
              "disables\nthe auto refresh.");
}

} // namespace
