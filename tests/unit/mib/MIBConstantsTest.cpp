// Dictionary rules no fetch against a router shows: the ATU-R rows mirror the ATU-C rows, and
// the saved table headings keep their tabs and blanks byte for byte. Wrong, lost or doubled rows
// are caught by the page tests, which read every row from the simulated router.
#include "mib/MIBConstants.h"

#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

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

} // namespace
