// Every page's data fetched from the simulated router (tests/agent/data/public.snmprec) in both
// RawData modes, plus the discoveries and tables that router does not offer, from an in-test
// agent.
#include "Agents.h"
#include "FakeAgent.h"
#include "RouterQuery.h"
#include "Statistics.h"
#include "TableLayout.h"
#include "TestSeams.h"
#include "UdpSocket.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using core::Sound;
using core::Statistics;
using Lines = std::vector<std::string>;

namespace {

const std::string Prefix = "1.3.6.1.2.1.";
const std::string Dashes(60, '-');
constexpr int64_t SimUpTime = 104914700; // 12 days 3 hours 25 minutes 47 seconds

struct Harness {
    core::Settings settings;
    testing_seams::RecordingSounds sounds;
    testing_seams::CountingCursor cursor;
    testing_seams::FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(12, 0, 0))};
    core::RouterQuery query{settings, sounds, cursor};
    Statistics stats{query, settings, clock};

    explicit Harness(const std::string& address, bool rawData = false) {
        // The formatters use the default locale's decimal separator.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        settings.IPAddress = QString::fromStdString(address);
        settings.Community = QStringLiteral("public");
        settings.RawData = rawData;
    }
};

template <std::size_t N> Lines ToLines(const std::array<std::string, N>& values) {
    return Lines(values.begin(), values.end());
}

bool Matches(const std::string& text, const char* pattern) {
    return std::regex_match(text, std::regex(pattern));
}

// A growing octet counter: formatted as a size, or (raw) a number at least its start value.
void ExpectOctets(const std::string& value, bool raw, int64_t atLeast) {
    if (raw) {
        EXPECT_TRUE(Matches(value, "[0-9]+")) << value;
        EXPECT_GE(core::LeadingInteger(value), atLeast) << value;
    } else {
        EXPECT_TRUE(Matches(value, "[0-9]+(\\.[0-9]{1,2})? (GB|MB)|[0-9]+(\\.[0-9])? KB")) << value;
    }
}

Lines Row(std::initializer_list<std::string> lines) {
    Lines row(lines);
    row.push_back(Dashes);
    return row;
}

Lines Concat(std::initializer_list<Lines> rows) {
    Lines all;
    for (const Lines& row : rows)
        all.insert(all.end(), row.begin(), row.end());
    return all;
}

} // namespace

// --- the full fetch against the simulated router ------------------------------------------------

class FullFetch : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_NE(SharedSimulatedRouter(), nullptr) << "snmpsim did not start";
        h = std::make_unique<Harness>(SharedSimulatedRouter()->Address(), GetParam());
        h->stats.TableView = 1;
        ASSERT_TRUE(h->stats.GetAllData());
    }
    [[nodiscard]] bool Raw() const { return GetParam(); }
    std::unique_ptr<Harness> h;
};

TEST_P(FullFetch, RunsUnderTheBusyCursorAndSoundsOnce) {
    EXPECT_EQ(h->cursor.BusyCount(), 1);
    EXPECT_EQ(h->cursor.Depth(), 0);
    EXPECT_EQ(h->sounds.Played(), std::vector<Sound>{Sound::Information});
    EXPECT_TRUE(h->stats.Errors.empty());

    h->settings.ConBeep = false;
    h->sounds.Clear();
    EXPECT_TRUE(h->stats.GetAllData());
    EXPECT_EQ(h->sounds.Total(), 0);
}

TEST_P(FullFetch, DiscoveryFindsTheFiveInterfacesIncludingTheLastAboveTheCount) {
    const Statistics& s = h->stats;
    EXPECT_EQ(s.LanIpIfIndex, "1");
    EXPECT_EQ(s.LanIfIndex, "2");
    EXPECT_EQ(s.AdslIfIndex, "3");
    EXPECT_EQ(s.WanIfIndex, "4");
    EXPECT_EQ(s.WanIfxIndex, "7");
    EXPECT_EQ(s.InterfaceCount, 5);
    EXPECT_EQ(Lines(s.IfDescr.begin(), s.IfDescr.begin() + 7),
              (Lines{"", "br0", "eth0", "adsl0", "ppp0", "atm0", ""}));
}

TEST_P(FullFetch, GeneralPage) {
    const Statistics& s = h->stats;
    const auto& v = s.SystemValues;
    EXPECT_EQ(s.RouterUpTime, SimUpTime);
    EXPECT_EQ(v[0], "104914700");
    EXPECT_EQ(v[1], "noc@example.net");
    EXPECT_EQ(v[2], "tavix-gw");
    EXPECT_EQ(v[3], "Wiring cupboard");
    EXPECT_EQ(v[4], Raw() ? "72" : "end-to-end + applications");
    EXPECT_EQ(v[5], "1500");               // LAN MTU, eth0
    EXPECT_EQ(v[6], "1492");               // WAN MTU, ppp0
    ExpectOctets(v[7], Raw(), 9002000000); // 64-bit, eth0
    ExpectOctets(v[8], Raw(), 5002000000);
    ExpectOctets(v[9], Raw(), 9007000000); // 64-bit, atm0
    ExpectOctets(v[10], Raw(), 5007000000);
    const Lines adsl(v.begin() + 11, v.begin() + 19);
    EXPECT_EQ(adsl, (Raw() ? Lines{"448000", "178", "125", "120", "8128000", "315", "198", "61"}
                           : Lines{"448 Kbps", "17.8 dB", "12.5 dBm", "12 dB", "8.13 Mbps",
                                   "31.5 dB", "19.8 dBm", "6.1 dB"}));
    EXPECT_EQ(v[19], "1");
    EXPECT_EQ(v[20], "1");
    ExpectOctets(v[21], Raw(), 0); // 32-bit, ppp0: wraps
    ExpectOctets(v[22], Raw(), 0);
    EXPECT_EQ(v[23], "68467200");

    // The headlines read the same in both modes.
    const QDateTime started(QDate(2026, 11, 24), QTime(8, 34, 13)); // noon less the uptime
    const QLocale locale = QLocale::system();
    EXPECT_EQ(s.StaticText6, "Router initialized on " +
                                 locale.toString(started.date(), QLocale::LongFormat) + " at " +
                                 locale.toString(started.time(), QLocale::LongFormat));
    EXPECT_EQ(s.StaticText7, "Router uptime:  12 days 3 hours 25 mins 47 secs ");
    EXPECT_EQ(s.StaticText8, "Connection uptime:  4 days 5 hours 14 mins 35 secs ");
    EXPECT_EQ(s.Label22, "LAN (up)");
    EXPECT_EQ(s.Label23, "WAN (up)");
    EXPECT_TRUE(s.UseHCCounters);

    // Each address by its own row's ifIndex; 127.0.0.1 sits on an interface nobody asked for.
    EXPECT_EQ(s.LanIpAddress, "192.168.1.254");
    EXPECT_EQ(s.LanNetMask, "255.255.255.0");
    EXPECT_EQ(s.WanIpAddress, "203.0.113.45");
    EXPECT_EQ(s.WanNetMask, "255.255.255.255");
}

TEST_P(FullFetch, ProtocolCounters) {
    const Statistics& s = h->stats;
    EXPECT_EQ(ToLines(s.IpValues), (Lines{Raw() ? "1" : "forwarding(1)",
                                          "64",
                                          "1843201",
                                          "4",
                                          "51",
                                          "1120553",
                                          "7",
                                          "8",
                                          "702104",
                                          "688310",
                                          "11",
                                          "12",
                                          "60",
                                          "14",
                                          "15",
                                          "16",
                                          "17",
                                          "18",
                                          "19",
                                          "23"}));
    Lines icmp;
    for (int n = 1; n <= 26; ++n)
        icmp.push_back(std::to_string(500 + n));
    EXPECT_EQ(ToLines(s.IcmpValues), icmp);
    EXPECT_EQ(ToLines(s.TcpValues),
              (Lines{Raw() ? "4" : "vanj(4)", "200", "120000", "-1", "605", "606", "607", "608",
                     "2", "61010", "61111", "612", "614", "615"}));
    EXPECT_EQ(ToLines(s.UdpValues), (Lines{"70101", "702", "703", "70404"}));
    Lines snmp;
    for (int n : {1,  2,  3,  4,  5,  6,  8,  9,  10, 11, 12, 13, 14, 15,
                  16, 17, 18, 19, 20, 21, 22, 24, 25, 26, 27, 28, 29})
        snmp.push_back(std::to_string(1100 + n));
    snmp.push_back(Raw() ? "2" : "disabled(2)");
    EXPECT_EQ(ToLines(s.SnmpValues), snmp);
}

TEST_P(FullFetch, EthernetInterface) {
    const auto& v = h->stats.IntfValues;
    EXPECT_EQ(v[0], "eth0");
    EXPECT_EQ(v[1], Raw() ? "6" : "ethernet-csmacd(6)");
    EXPECT_EQ(v[2], "1500");
    EXPECT_EQ(v[3], Raw() ? "100000000" : "100 Mbps");
    EXPECT_EQ(v[4], Raw() ? std::string("\x00\x0a\x05\x0c\x01\x0e", 6) : "00:0A:05:0C:01:0E");
    EXPECT_EQ(v[5], Raw() ? "1" : "up(1)");
    EXPECT_EQ(v[6], Raw() ? "1" : "up(1)");
    // Measured back from the uptime read just before: 104914700 - 1345 hundredths.
    EXPECT_EQ(v[7], Raw() ? "1345" : "12d:3h:25m:33s:");
    ExpectOctets(v[8], Raw(), 0);
    ExpectOctets(v[14], Raw(), 0);
    EXPECT_EQ((Lines{v[9], v[10], v[11], v[12], v[13]}),
              (Lines{"1102000", "12200", "132", "142", "152"}));
    EXPECT_EQ((Lines{v[15], v[16], v[17], v[18], v[19]}),
              (Lines{"1702000", "18200", "192", "202", "2"}));
}

TEST_P(FullFetch, ModemEndOfTheLine) {
    const Statistics& s = h->stats;
    EXPECT_EQ(ToLines(s.ADSLValues),
              (Raw() ? Lines{"R62GX-0A050C01", "CRVN", "3.4.2", "120", "178", "\x80", "125",
                             "1024000", "8", "448000", "384000", "27"}
                     : Lines{"R62GX-0A050C01", "CRVN", "3.4.2", "12 dB", "17.8 dB", " noDefect ",
                             "12.5 dBm", "1.02 Mbps", "8 ms", "448 Kbps", "384 Kbps", "27"}));
    EXPECT_EQ(s.ADSLStatusWidth, core::StatusCellNarrow);
}

TEST_P(FullFetch, OtherViewsOnDemand) {
    Statistics& s = h->stats;
    EXPECT_FALSE(s.SelectADSLView(1)); // already shown: nothing fetched
    ASSERT_TRUE(s.SelectADSLView(2));
    EXPECT_EQ(ToLines(s.ADSLValues),
              (Raw() ? Lines{"DSLAM-7731-A14", "ALCB", "E.38.4.29", "61", "315", "\x08", "198",
                             "10240000", "16", "8128000", "7616000", "254"}
                     : Lines{"DSLAM-7731-A14", "ALCB", "E.38.4.29", "6.1 dB", "31.5 dB",
                             " lossOfSigQuality", "19.8 dBm", "10.24 Mbps", "16 ms", "8.13 Mbps",
                             "7.62 Mbps", "254"}));
    // Only a formatted status moves the cell's width.
    EXPECT_EQ(s.ADSLStatusWidth, Raw() ? core::StatusCellNarrow : core::StatusCellWide);

    ASSERT_TRUE(s.SelectIntfView(2));
    EXPECT_EQ(s.IntfValues[0], "ppp0");
    EXPECT_EQ(s.IntfValues[4], Raw() ? "" : "NULL"); // no hardware address
    EXPECT_EQ(s.IntfValues[7], Raw() ? "68467200" : "4d:5h:14m:35s:");

    ASSERT_TRUE(s.SelectIntfView(4)); // the WAN's ifX row is the rfc1483 interface
    const Lines wanX = {s.IfxValues[0], s.IfxValues[13], s.IfxValues[14], s.IfxValues[15],
                        s.IfxValues[16]};
    EXPECT_EQ(wanX, (Raw() ? Lines{"atm0", "1", "8", "2", "2"}
                           : Lines{"atm0", "enabled(1)", "8", "false(2)", "false(2)"}));
    ExpectOctets(s.IfxValues[5], Raw(), 9007000000);
    ExpectOctets(s.IfxValues[9], Raw(), 5007000000);

    ASSERT_TRUE(s.SelectIntfView(3));
    EXPECT_EQ(s.IfxValues[0], "eth0");
    EXPECT_EQ(s.IfxValues[16], Raw() ? "1" : "true(1)");
}

TEST_P(FullFetch, AddressTableIsTheSelectedTable) {
    const Lines expected = Concat({
        Row({"ipAdEntAddr\t\t127.0.0.1", Raw() ? "ipAdEntIfIndex\t\t6" : "ipAdEntIfIndex\t\t(6)",
             "ipAdEntNetMask\t\t255.0.0.0", "ipAdEntBcastAddr      \t1",
             "ipAdEntReasmMaxSize\t65535"}),
        Row({"ipAdEntAddr\t\t192.168.1.254",
             Raw() ? "ipAdEntIfIndex\t\t1" : "ipAdEntIfIndex\t\tbr0(1)",
             "ipAdEntNetMask\t\t255.255.255.0", "ipAdEntBcastAddr      \t1",
             "ipAdEntReasmMaxSize\t65535"}),
        Row({"ipAdEntAddr\t\t203.0.113.45",
             Raw() ? "ipAdEntIfIndex\t\t4" : "ipAdEntIfIndex\t\tppp0(4)",
             "ipAdEntNetMask\t\t255.255.255.255", "ipAdEntBcastAddr      \t1",
             "ipAdEntReasmMaxSize\t1492"}),
    });
    EXPECT_EQ(h->stats.TableLines, expected);
}

INSTANTIATE_TEST_SUITE_P(RawData, FullFetch, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "On" : "Off";
                         });

// --- the other four tables ----------------------------------------------------------------------

Lines Route(const std::string& dest, const std::string& ifIndex, const std::string& metric1,
            const std::string& nextHop, const std::string& type, const std::string& proto,
            const std::string& age, const std::string& mask) {
    return Row({"ipRouteDest\t\t" + dest, "ipRouteIfIndex\t\t" + ifIndex,
                "ipRouteMetric1\t\t" + metric1, "ipRouteMetric2\t\t-1", "ipRouteMetric3\t\t-1",
                "ipRouteMetric4\t\t-1", "ipRouteNextHop\t\t" + nextHop, "ipRouteType\t\t" + type,
                "ipRouteProto\t\t" + proto, "ipRouteAge\t\t" + age, "ipRouteMask\t\t" + mask,
                "ipRouteMetric5\t\t-1", "ipRouteInfo\t\t0.0"});
}

Lines Arp(const std::string& ifIndex, const std::string& mac, const std::string& address,
          const std::string& type) {
    return Row({"ipNetToMediaIfIndex \t" + ifIndex, "ipNetToMediaPhysAddress\t" + mac,
                "ipNetToMediaNetAddress\t" + address, "ipNetToMediaType   \t" + type});
}

Lines Conn(const std::string& state, const std::string& local, const std::string& localPort,
           const std::string& remote, const std::string& remotePort) {
    return Row({"tcpConnState\t\t" + state, "tcpConnLocalAddress\t" + local,
                "tcpConnLocalPort\t\t" + localPort, "tcpConnRemAddress\t" + remote,
                "tcpConnRemPort\t\t" + remotePort});
}

Lines Udp(const std::string& address, const std::string& port) {
    return Row({"udpLocalAddress\t\t" + address, "udpLocalPort\t\t" + port});
}

struct TableCase {
    const char* name;
    int view;
    bool rawData;
    Lines expected;
};

void PrintTo(const TableCase& c, std::ostream* os) {
    *os << c.name;
}

class Tables : public testing::TestWithParam<TableCase> {};

TEST_P(Tables, GiveTheExactLinesAndFile) {
    const TableCase& c = GetParam();
    ASSERT_NE(SharedSimulatedRouter(), nullptr);
    Harness h(SharedSimulatedRouter()->Address(), c.rawData);
    ASSERT_TRUE(h.stats.GetAllData()); // discovery feeds the interface labels
    h.stats.TableLines = {"old view"};
    ASSERT_TRUE(h.stats.SelectTable(c.view));
    EXPECT_EQ(h.stats.TableLines, c.expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("table.txt"));
    ASSERT_TRUE(core::WriteTableFile(path, h.stats.TableLines).isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::string expectedBytes;
    for (const std::string& line : c.expected)
        expectedBytes += line + "\r\n";
    EXPECT_EQ(file.readAll().toStdString(), expectedBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Simulated, Tables,
    testing::Values(
        TableCase{"Routes", 2, false,
                  Concat({Route("0.0.0.0", "ppp0(4)", "1", "203.0.113.1", "indirect(4)", "local(2)",
                                "364475", "0.0.0.0"),
                          Route("10.20.0.0", "br0(1)", "2", "192.168.1.20", "indirect(4)",
                                "netmgmt(3)", "95000", "255.255.0.0"),
                          Route("127.0.0.0", "(6)", "0", "127.0.0.1", "direct(3)", "local(2)",
                                "1049147", "255.0.0.0"),
                          Route("192.168.1.0", "br0(1)", "0", "192.168.1.254", "direct(3)",
                                "local(2)", "1049135", "255.255.255.0"),
                          Route("203.0.113.1", "ppp0(4)", "0", "203.0.113.45", "direct(3)",
                                "local(2)", "364475", "255.255.255.255")})},
        TableCase{"AddressTranslation", 3, false,
                  Concat({Arp("br0(1)", "3C:97:0E:4A:1B:2C", "192.168.1.20", "dynamic(3)"),
                          Arp("br0(1)", "00:0B:0C:01:02:03", "192.168.1.33", "dynamic(3)"),
                          Arp("br0(1)", "F4:EC:38:A0:B1:C2", "192.168.1.40", "static(4)")})},
        TableCase{"AddressTranslationRaw", 3, true,
                  Concat({Arp("1", "\x3c\x97\x0e\x4a\x1b\x2c", "192.168.1.20", "3"),
                          Arp("1", std::string("\x00\x0b\x0c\x01\x02\x03", 6), "192.168.1.33", "3"),
                          Arp("1", "\xf4\xec\x38\xa0\xb1\xc2", "192.168.1.40", "4")})},
        TableCase{"TcpConnections", 4, false,
                  Concat({Conn("listen(2)", "0.0.0.0", "23", "0.0.0.0", "0"),
                          Conn("listen(2)", "0.0.0.0", "80", "0.0.0.0", "0"),
                          Conn("established(5)", "192.168.1.254", "23", "192.168.1.20", "51234"),
                          Conn("timeWait(11)", "192.168.1.254", "80", "192.168.1.33", "49822")})},
        TableCase{"UdpListeners", 5, false,
                  Concat({Udp("0.0.0.0", "53"), Udp("0.0.0.0", "67"), Udp("0.0.0.0", "161"),
                          Udp("192.168.1.254", "1900")})}),
    [](const testing::TestParamInfo<TableCase>& info) { return info.param.name; });

TEST(TableSelection, SameTableAgainOrAbsentRouterFetchesNothing) {
    ASSERT_NE(SharedSimulatedRouter(), nullptr);
    Harness h(SharedSimulatedRouter()->Address());
    ASSERT_TRUE(h.stats.GetAllData());
    ASSERT_TRUE(h.stats.SelectTable(5));
    ASSERT_EQ(h.stats.TableLines.size(), 12u);
    h.stats.TableLines = {"kept"};
    EXPECT_FALSE(h.stats.SelectTable(5));
    EXPECT_EQ(h.stats.TableLines, Lines{"kept"});

    h.query.RouterPresent = false;
    EXPECT_TRUE(h.stats.SelectTable(4));
    EXPECT_EQ(h.stats.TableView, 4);
    EXPECT_EQ(h.stats.TableLines, Lines{"kept"});
    // Nor does the General page fetch while the router is absent.
    h.stats.SystemValues[2] = "kept";
    h.stats.SystemGetData();
    EXPECT_EQ(h.stats.SystemValues[2], "kept");
}

TEST(FullFetchAbsent, SilentRouterFetchesNothingAndLeavesTheCursorAlone) {
    snmp::UdpSocket silent;
    ASSERT_TRUE(silent.Bind("127.0.0.1", "0"));
    Harness h("127.0.0.1:" + std::to_string(silent.LocalPort()));
    h.stats.IpValues[0] = "kept";
    EXPECT_FALSE(h.stats.GetAllData());
    EXPECT_EQ(h.stats.IpValues[0], "kept");
    EXPECT_TRUE(h.stats.LanIfIndex.empty());
    EXPECT_EQ(h.cursor.BusyCount(), 0);
    EXPECT_EQ(h.sounds.Played(), std::vector<Sound>{Sound::Error});
}

// --- discovery on routers the simulation does not cover ---------------------------------------

struct Interface {
    int index;
    int type;
    std::string descr;
};

void Serve(fake::FakeAgent& agent, int ifNumber, const std::vector<Interface>& interfaces) {
    agent.Add(Prefix + "2.1.0", std::to_string(ifNumber));
    for (const Interface& itf : interfaces) {
        const std::string i = std::to_string(itf.index);
        agent.Add(Prefix + "2.2.1.1." + i, i);
        agent.Add(Prefix + "2.2.1.2." + i, itf.descr, snmp::tag::OctetString);
        agent.Add(Prefix + "2.2.1.3." + i, std::to_string(itf.type));
    }
}

struct DiscoveryCase {
    const char* name;
    int ifNumber;
    std::vector<Interface> interfaces;
    // LanIpIfIndex, LanIfIndex, WanIfIndex, AdslIfIndex, WanIfxIndex
    Lines indices;
    std::size_t requests;
};

void PrintTo(const DiscoveryCase& c, std::ostream* os) {
    *os << c.name;
}

class Discovery : public testing::TestWithParam<DiscoveryCase> {};

TEST_P(Discovery, PicksTheLowestPositionOfEachTypeElseTheLast) {
    const DiscoveryCase& c = GetParam();
    fake::FakeAgent agent;
    Serve(agent, c.ifNumber, c.interfaces);
    Harness h(agent.Address());
    h.stats.IfDescr[50] = "from an earlier router";
    h.stats.FindInterfaceIndices();
    const Statistics& s = h.stats;
    EXPECT_EQ((Lines{s.LanIpIfIndex, s.LanIfIndex, s.WanIfIndex, s.AdslIfIndex, s.WanIfxIndex}),
              c.indices);
    EXPECT_EQ(agent.Requests().size(), c.requests);
    const int found = std::min<int>(c.ifNumber, core::MaxInterfaces);
    EXPECT_EQ(s.InterfaceCount, std::max(found, 0));
    for (int p = 1; p <= found; ++p) {
        const auto k = static_cast<std::size_t>(p - 1);
        EXPECT_EQ(s.IfDescr[p], k < c.interfaces.size() ? c.interfaces[k].descr : "")
            << "position " << p;
    }
    EXPECT_EQ(s.IfDescr[0], "");
    if (found < 50) {
        EXPECT_EQ(s.IfDescr[50], "from an earlier router");
    }
}

std::vector<Interface> Many(int count) {
    std::vector<Interface> list;
    for (int i = 1; i <= count; ++i)
        list.push_back({i, i == 60 ? 159 : 6, "if" + std::to_string(i)});
    return list;
}

INSTANTIATE_TEST_SUITE_P(
    Routers, Discovery,
    testing::Values(
        // Positions 1 to 3 by GetRequest, the fourth (index 7) by GetNext after instance 3.
        DiscoveryCase{"LastIndexAboveCount",
                      4,
                      {{1, 6, "eth0"}, {2, 23, "ppp0"}, {3, 94, "adsl0"}, {7, 1, "lo"}},
                      {"7", "1", "2", "3", "7"},
                      1 + 3 + 1 + 4 + 4},
        DiscoveryCase{"SingleInterface", 1, {{5, 6, "eth5"}}, {"5", "5", "5", "5", "5"}, 4},
        DiscoveryCase{"TwoPppTakesTheLower",
                      3,
                      {{1, 1, "br0"}, {2, 23, "ppp0"}, {3, 23, "ppp1"}},
                      {"1", "3", "2", "3", "3"},
                      1 + 2 + 1 + 3 + 3},
        // Counts three but lists two: the GetNext lands on the first description, "3Com eth0",
        // which must not pass for interface 3.
        DiscoveryCase{"CountAboveTheListedInterfaces",
                      3,
                      {{1, 6, "3Com eth0"}, {2, 23, "ppp0"}},
                      {"0", "1", "2", "0", "0"},
                      1 + 2 + 1 + 3 + 3},
        DiscoveryCase{"NoInterfaces", 0, {}, {"0", "0", "0", "0", "0"}, 1},
        DiscoveryCase{"NegativeCount", -3, {}, {"0", "0", "0", "0", "0"}, 1},
        // More than the tables hold: 50 positions, the 60th interface is never seen.
        DiscoveryCase{
            "MoreThanFifty", 60, Many(60), {"50", "1", "50", "50", "50"}, 1 + 49 + 1 + 50 + 50}),
    [](const testing::TestParamInfo<DiscoveryCase>& info) { return info.param.name; });

// --- tables the simulation does not cover ----------------------------------------------------

TEST(SparseTable, EachValueStaysInItsRowAndIndicesNameTheirOwnInterface) {
    fake::FakeAgent agent;
    // Interfaces 1, 2 and 7 (the last lies above the count of 3).
    Serve(agent, 3, {{1, 1, "br0"}, {2, 23, "ppp0"}, {7, 159, "atm0"}});
    const std::string table = Prefix + "4.20.1.";
    // Row 10.0.0.1 on atm0; row 10.0.0.2 on index 3, which no interface carries; row 10.0.0.3
    // lacks its ifIndex and mask.
    for (const char* addr : {"10.0.0.1", "10.0.0.2", "10.0.0.3"}) {
        agent.Add(table + "1." + addr, addr, snmp::tag::IpAddress);
        agent.Add(table + "4." + addr, "1");
        agent.Add(table + "5." + addr, "1500");
    }
    agent.Add(table + "2.10.0.0.1", "7");
    agent.Add(table + "2.10.0.0.2", "3");
    agent.Add(table + "3.10.0.0.1", "255.255.255.252", snmp::tag::IpAddress);
    agent.Add(table + "3.10.0.0.2", "255.255.255.0", snmp::tag::IpAddress);

    Harness h(agent.Address());
    h.stats.FindInterfaceIndices();
    ASSERT_EQ(h.stats.WanIfxIndex, "7");
    h.stats.ipAddrTableGetData();
    const Lines expected = Concat({
        Row({"ipAdEntAddr\t\t10.0.0.1", "ipAdEntIfIndex\t\tatm0(7)",
             "ipAdEntNetMask\t\t255.255.255.252", "ipAdEntBcastAddr      \t1",
             "ipAdEntReasmMaxSize\t1500"}),
        Row({"ipAdEntAddr\t\t10.0.0.2", "ipAdEntIfIndex\t\t(3)", "ipAdEntNetMask\t\t255.255.255.0",
             "ipAdEntBcastAddr      \t1", "ipAdEntReasmMaxSize\t1500"}),
        Row({"ipAdEntAddr\t\t10.0.0.3", "ipAdEntIfIndex\t\t", "ipAdEntNetMask\t\t",
             "ipAdEntBcastAddr      \t1", "ipAdEntReasmMaxSize\t1500"}),
    });
    EXPECT_EQ(h.stats.TableLines, expected);

    // The WAN address comes from the atm0 row, whatever its position in the walk.
    h.stats.GetRouterIPNM();
    EXPECT_EQ(h.stats.WanIpAddress, "10.0.0.1");
    EXPECT_EQ(h.stats.WanNetMask, "255.255.255.252");
    EXPECT_EQ(h.stats.LanIpAddress, ""); // no row on br0
}

TEST(SparseTable, WalkCutShortKeepsWhatArrivedInItsRows) {
    fake::FakeAgent agent;
    const std::string table = Prefix + "7.5.1.";
    for (const char* row : {"0.0.0.0.53", "0.0.0.0.67"}) {
        agent.Add(table + "1." + row, "0.0.0.0", snmp::tag::IpAddress);
        agent.Add(table + "2." + row, std::string(row).substr(8));
    }
    agent.GoSilentAfter(3); // both addresses and the first port, then silence
    Harness h(agent.Address());
    h.stats.udpTableGetData();
    EXPECT_EQ(
        h.stats.TableLines,
        Concat({Udp("0.0.0.0", "53"), Row({"udpLocalAddress\t\t0.0.0.0", "udpLocalPort\t\t"})}));
}

TEST(Formatting, CounterThatIsNoNumberKeepsItsTextAndIsReported) {
    fake::FakeAgent agent;
    agent.Add(Prefix + "31.1.1.1.6.2", "n/a", snmp::tag::OctetString);
    agent.Add(Prefix + "31.1.1.1.10.2", "1500", snmp::tag::Counter64);
    agent.Add(Prefix + "2.2.1.10.4", "12.5.7", snmp::tag::OctetString);
    Harness h(agent.Address());
    h.query.RouterPresent = true;
    h.stats.LanIfIndex = "2";
    h.stats.WanIfIndex = "4";
    h.stats.WanIfxIndex = "7";
    h.stats.SystemGetData();
    const auto& v = h.stats.SystemValues;
    EXPECT_EQ(v[7], "n/a");
    EXPECT_EQ(v[8], "1.5 KB");
    EXPECT_EQ(v[9], "0 KB"); // not answered: NULL
    EXPECT_EQ(v[21], "12.5.7");
    EXPECT_EQ(h.stats.Errors, (Lines{"'n/a' is not a valid floating point value",
                                     "'12.5.7' is not a valid floating point value"}));
    EXPECT_FALSE(h.stats.UseHCCounters);
    EXPECT_EQ(h.stats.Label22, "LAN (down)");
    EXPECT_EQ(h.stats.StaticText8.toStdString(),
              "Connection downtime:  0 days 0 hours 0 mins 0 secs ");
    // The rest of the page was still formatted.
    EXPECT_EQ(v[11], "0 Kbps");
    EXPECT_EQ(v[13], "0 dBm");
}

TEST(HostileRouter, ExtremeAndMalformedValuesAreShownNotTrusted) {
    fake::FakeAgent agent;
    const auto text = [&](const std::string& suffix, const std::string& value) {
        agent.Add(Prefix + suffix, value, snmp::tag::OctetString);
    };
    text("1.1.0", "TAVIX");
    text("1.3.0", "9223372036854775807999");   // beyond 64 bits
    text("2.1.0", "18446744073709551616");     // an interface count no table holds
    text("2.2.1.9.0", "-9223372036854775808"); // last change at the far end of the range
    text("4.1.0", "-1");
    text("6.1.0", "99999999999999999999");
    text("10.94.1.1.3.1.6.0", std::string("\x00", 1));
    // Table OIDs without a column, with an unknown column, and with a column but no index.
    text("4.20.1", "no column");
    text("4.20.1.2", "no index");
    text("4.20.1.99.1", "unknown column");
    Harness h(agent.Address());
    h.stats.TableView = 1;

    ASSERT_TRUE(h.stats.GetAllData());
    const Statistics& s = h.stats;
    EXPECT_EQ(s.RouterUpTime, std::numeric_limits<int64_t>::max());
    EXPECT_EQ(s.InterfaceCount, core::MaxInterfaces);
    EXPECT_EQ(s.WanIfIndex, "0"); // nothing answered the index reads
    EXPECT_FALSE(s.StaticText6.isEmpty());
    EXPECT_EQ(s.IpValues[0], "-1");
    EXPECT_EQ(s.TcpValues[0], "99999999999999999999");
    EXPECT_EQ(s.ADSLValues[5], " "); // a status octet with no bit set
    EXPECT_EQ(s.ADSLStatusWidth, core::StatusCellNarrow);
    // The key without an index is a row of its own; the others name no known column.
    EXPECT_EQ(s.TableLines,
              Row({"ipAdEntAddr\t\t", "ipAdEntIfIndex\t\t(no index)", "ipAdEntNetMask\t\t",
                   "ipAdEntBcastAddr      \t", "ipAdEntReasmMaxSize\t"}));
}
