// The dictionary is data that every page trusts blindly: a wrong suffix asks the router for the
// wrong object, a short initialiser list leaves silent empty rows, a lost tab misaligns a saved
// table. Structural rules pin down most of each table; spot checks pin down the rest.
#include "MIBConstants.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using mib::TMIBEntry;

struct Table {
    const char* name;
    std::span<const TMIBEntry> entries;
    int lengthConstant;
    size_t expectedLength;
    std::string_view group; // every suffix starts with it; empty for the mixed general page
    bool scalars;
};

const std::vector<Table>& AllTables() {
    static const std::vector<Table> tables = {
        {"SystemMIB", mib::SystemMIB, mib::SystemMIBLength, 24, "", false},
        {"IpMIB", mib::IpMIB, mib::IpMIBLength, 20, "4.", true},
        {"IcmpMIB", mib::IcmpMIB, mib::IcmpMIBLength, 26, "5.", true},
        {"TcpMIB", mib::TcpMIB, mib::TcpMIBLength, 14, "6.", true},
        {"UdpMIB", mib::UdpMIB, mib::UdpMIBLength, 4, "7.", true},
        {"SnmpMIB", mib::SnmpMIB, mib::SnmpMIBLength, 28, "11.", true},
        {"IfMIB", mib::IfMIB, mib::IfMIBLength, 20, "2.2.1.", false},
        {"IfXMIB", mib::IfXMIB, mib::IfXMIBLength, 17, "31.1.1.1.", false},
        {"AtucMIB", mib::AtucMIB, mib::AtucMIBLength, 12, "10.94.1.1.", false},
        {"AturMIB", mib::AturMIB, mib::AtucMIBLength, 12, "10.94.1.1.", false},
    };
    return tables;
}

std::vector<uint64_t> Arcs(std::string_view oid) {
    std::vector<uint64_t> arcs(1, 0);
    for (char c : oid) {
        if (c == '.')
            arcs.push_back(0);
        else
            arcs.back() = arcs.back() * 10 + static_cast<uint64_t>(c - '0');
    }
    if (oid.ends_with('.')) arcs.pop_back();
    return arcs;
}

bool Has(std::span<const TMIBEntry> entries, std::string_view oid) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const TMIBEntry& e) { return e.OID == oid; });
}

// Suffixes are digits and single dots, end in ".0" (scalar) or "." (column); within a group
// table they share the group and the depth and ascend, so with the length and the spot checks
// below no row can be lost, doubled or moved.
TEST(MibTables, LengthsAndWellFormedAscendingSuffixes) {
    for (const Table& t : AllTables()) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(static_cast<size_t>(t.lengthConstant), t.expectedLength);
        ASSERT_EQ(t.entries.size(), t.expectedLength);
        for (size_t i = 0; i < t.entries.size(); ++i) {
            const std::string_view oid = t.entries[i].OID;
            SCOPED_TRACE("row " + std::to_string(i) + " " + std::string(oid));
            ASSERT_GT(oid.size(), 2u);
            EXPECT_NE(oid.front(), '.');
            EXPECT_EQ(oid.find(".."), std::string_view::npos);
            EXPECT_EQ(oid.find_first_not_of("0123456789."), std::string_view::npos);
            const bool scalar = oid.substr(oid.size() - 2) == ".0";
            EXPECT_NE(scalar, oid.back() == '.');
            EXPECT_EQ(scalar, t.group.empty() ? i <= 4 : t.scalars);
            if (t.group.empty() || i == 0) continue;
            EXPECT_TRUE(oid.starts_with(t.group));
            const auto prev = Arcs(t.entries[i - 1].OID), arcs = Arcs(oid);
            EXPECT_EQ(arcs.size(), prev.size());
            EXPECT_GT(arcs, prev);
        }
    }
}

TEST(MibTables, SpotChecksPinTheEndsGapsAndLabels) {
    struct Spot {
        std::span<const TMIBEntry> table;
        size_t row;
        std::string_view oid, label;
    };
    const Spot spots[] = {
        {mib::IpMIB, 0, "4.1.0", "Forwarding"},
        {mib::IpMIB, 19, "4.23.0", "RoutingDiscards"},
        {mib::IcmpMIB, 25, "5.26.0", "OutAddrMaskReps"},
        {mib::TcpMIB, 0, "6.1.0", "RtoAlgorithm"},
        {mib::TcpMIB, 13, "6.15.0", "OutRsts"},
        {mib::UdpMIB, 3, "7.4.0", "OutDatagrams"},
        {mib::SnmpMIB, 0, "11.1.0", "InPkts"},
        {mib::SnmpMIB, 27, "11.30.0", "EnableAuthenTraps"},
        {mib::IfMIB, 0, "2.2.1.2.", "Descr"},
        {mib::IfMIB, 19, "2.2.1.21.", "OutQLen"},
        {mib::IfXMIB, 5, "31.1.1.1.6.", "HCInOctets"},
        {mib::IfXMIB, 16, "31.1.1.1.17.", "ConnectorPresent"},
        {mib::AtucMIB, 0, "10.94.1.1.2.1.1.", "InvSerialNumber"},
        {mib::AtucMIB, 7, "10.94.1.1.2.1.8.", "CurrAttainableRate"},
        {mib::AtucMIB, 8, "10.94.1.1.4.1.1.", "ChanInterleaveDelay"},
        {mib::AtucMIB, 11, "10.94.1.1.4.1.4.", "ChanCrcBlockLength"},
        // The general page mixes groups and the two line ends, where a swap goes unseen.
        {mib::SystemMIB, 0, "1.3.0", "UpTime"},
        {mib::SystemMIB, 6, "2.2.1.4.", "MTU"},
        {mib::SystemMIB, 11, "10.94.1.1.5.1.2.", "Speed"},
        {mib::SystemMIB, 15, "10.94.1.1.4.1.2.", "Speed"},
        {mib::SystemMIB, 22, "2.2.1.16.", "Data Out"},
        {mib::SystemMIB, 23, "2.2.1.9.", "PPP LastChange"},
    };
    for (const Spot& s : spots) {
        EXPECT_EQ(s.table[s.row].OID, s.oid) << s.label;
        EXPECT_EQ(s.table[s.row].Label, s.label) << s.oid;
    }
    // Objects the router lacks or that are tables of their own are left out.
    for (const char* oid : {"4.20.0", "4.21.0", "4.22.0"})
        EXPECT_FALSE(Has(mib::IpMIB, oid)) << oid;
    EXPECT_FALSE(Has(mib::TcpMIB, "6.13.0"));
    EXPECT_FALSE(Has(mib::SnmpMIB, "11.7.0"));
    EXPECT_FALSE(Has(mib::SnmpMIB, "11.23.0"));
    EXPECT_EQ(mib::MIBPrefix, "1.3.6.1.2.1.");
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

// Hints taken from a MIB module keep its line breaks with the indentation removed: a line with
// leading or trailing blanks, an empty line or a line wider than the module's text points at a
// copying slip.
void ExpectModuleLayout(std::string_view hint) {
    ASSERT_FALSE(hint.empty());
    EXPECT_TRUE(hint.front() >= 'A' && hint.front() <= 'Z') << hint;
    EXPECT_TRUE(hint.back() == '.' || hint.ends_with(".'")) << hint;
    for (size_t start = 0; start <= hint.size();) {
        const size_t end = std::min(hint.find('\n', start), hint.size());
        const std::string_view line = hint.substr(start, end - start);
        EXPECT_FALSE(line.empty()) << hint;
        EXPECT_FALSE(line.starts_with(' ') || line.ends_with(' ')) << line;
        EXPECT_LE(line.size(), 72u) << line;
        EXPECT_EQ(line.find('\t'), std::string_view::npos) << line;
        start = end + 1;
    }
}

TEST(MibTables, LabelsAndHintsOfEveryCell) {
    for (const Table& t : AllTables()) {
        const bool mirror = std::string_view(t.name) == "AturMIB";
        std::set<std::string_view> labels;
        for (size_t i = 0; i < t.entries.size(); ++i) {
            SCOPED_TRACE(std::string(t.name) + " row " + std::to_string(i));
            const TMIBEntry& e = t.entries[i];
            EXPECT_EQ(e.Label.empty(), mirror);
            EXPECT_EQ(e.Hint.empty(), mirror);
            if (mirror || t.group.empty()) continue;
            // Group labels are object names without their group prefix: one word, each once.
            EXPECT_TRUE(labels.insert(e.Label).second) << e.Label;
            EXPECT_EQ(e.Label.find(' '), std::string_view::npos) << e.Label;
            ExpectModuleLayout(e.Hint);
        }
    }
    for (size_t i = 0; i <= 3; ++i)
        ExpectModuleLayout(mib::SystemMIB[i].Hint);

    EXPECT_EQ(mib::SystemMIB[0].Hint, "The time (in hundredths of a second) since the\n"
                                      "network management portion of the system was last\n"
                                      "re-initialized.");
    EXPECT_EQ(mib::SystemMIB[4].Hint, "The services that this node offers");
    EXPECT_EQ(mib::SystemMIB[9].Hint,
              "The total number of bytes received on the WAN.\nnote: this value is retrieved from "
              "the ifx (64 bit)\ninterface so does not suffer from a 4GB limitation");
    EXPECT_EQ(mib::SystemMIB[22].Hint,
              "The total number of bytes sent through the WAN.\nnote: because the ifx WAN "
              "interface seems to be\nunavailable (PPPoA enabled?) this number is 32bit\nand "
              "suffers from a 4GB limitation");
    for (int i : {19, 20, 23})
        EXPECT_EQ(mib::SystemMIB[i].Hint, "no hint") << i;
}

TEST(MibTablesPage, NamesAndHeadingsAreExactBytes) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(V(std::begin(mib::TableNames), std::end(mib::TableNames)),
              (V{"none", "ipAddressTable", "ipRouteTable", "ipNetToMediaTable", "tcpConnTable",
                 "udpTable"}));
    EXPECT_EQ(V(std::begin(mib::IpAddrColumns), std::end(mib::IpAddrColumns)),
              (V{"ipAdEntAddr\t\t", "ipAdEntIfIndex\t\t", "ipAdEntNetMask\t\t",
                 "ipAdEntBcastAddr      \t", "ipAdEntReasmMaxSize\t"}));
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
    EXPECT_EQ(mib::SetHint, "Send this string to the router, replacing the previous\ncontents. "
                            "If the string reverts to its previous setting,\ncheck that you are "
                            "using the correct read/write\ncommunity setting.");
    // double blank before "router", trailing blank after the address
    EXPECT_EQ(mib::OptionsHints[0], "Enter the IP address of the Corvane R62GX/R63  router\nhere, "
                                    "the factory default IP address is 192.168.1.254 ");
    EXPECT_EQ(mib::OptionsHints[1],
              "Enter the routers SNMP community name here, think of\nthis as a password to gain "
              "access to the routers\nSNMP agent. The factory defaults are \"meadow\" for\nread "
              "access and \"lanterns\" for read/write access.");
    // kept apart so the compiler cannot read "??>" as a trigraph
    EXPECT_EQ(mib::OptionsHints[11],
              std::string("Removes the <") + "???" + "> process ID from Syslog messages.");
}

} // namespace
