// Every page's data fetched from the simulated router (tests/agent/data/public.snmprec) in both
// RawData modes, plus the discoveries and tables that router does not offer, from an in-test
// agent.
#include "Agents.h"
#include "CoreHarness.h"
#include "FakeAgent.h"

#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <span>

using core::Sound;
using core::Statistics;
using Lines = std::vector<std::string>;
using Headings = std::span<const std::string_view>;
using namespace std::string_literals;

namespace {

// An expected cell is "formatted~raw" where the RawData modes differ, else one text for both;
// cells are separated by '|'.
Lines Cells(const std::string& text, bool raw) {
    Lines cells;
    std::size_t start = 0;
    for (std::size_t end = 0; end != std::string::npos; start = end + 1) {
        end = text.find('|', start);
        const std::string cell = text.substr(start, end - start);
        const auto tilde = cell.find('~');
        cells.push_back(tilde == std::string::npos ? cell
                        : raw                      ? cell.substr(tilde + 1)
                                                   : cell.substr(0, tilde));
    }
    return cells;
}

// A page's values against expected cells. "*N" is a growing octet counter: a size when
// formatted, a number of at least N when raw.
void ExpectValues(std::span<const std::string> values, const std::string& expected, bool raw) {
    const Lines cells = Cells(expected, raw);
    ASSERT_EQ(values.size(), cells.size());
    const std::regex counter(raw ? "[0-9]+" : "[0-9]+(\\.[0-9]+)? (GB|MB|KB)");
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!cells[i].starts_with('*')) {
            EXPECT_EQ(values[i], cells[i]) << "value " << i;
        } else {
            EXPECT_TRUE(std::regex_match(values[i], counter)) << i << ": " << values[i];
            EXPECT_GE(core::LeadingInteger(values[i]), raw ? std::stoll(cells[i].substr(1)) : 0);
        }
    }
}

// The Tables page's lines: per row, each heading with its cell, then dashes.
Lines Rows(Headings headings, const Lines& rows, bool raw = false) {
    Lines lines;
    for (const std::string& row : rows) {
        const Lines cells = Cells(row, raw);
        for (std::size_t c = 0; c < headings.size(); ++c)
            lines.push_back(std::string(headings[c]) + cells.at(c));
        lines.emplace_back(60, '-');
    }
    return lines;
}

} // namespace

// --- the full fetch against the simulated router ------------------------------------------------

class FullFetch : public testing::TestWithParam<bool> {};

TEST_P(FullFetch, EveryPageShowsTheDataFileValues) {
    ASSERT_NE(SharedSimulatedRouter(), nullptr) << "snmpsim did not start";
    const bool raw = GetParam();
    Harness h(SharedSimulatedRouter()->Address());
    h.settings.RawData = raw;
    Statistics& s = h.stats;
    s.TableView = 1;
    ASSERT_TRUE(s.GetAllData());
    EXPECT_EQ(h.cursor.BusyCount(), 1);
    EXPECT_EQ(h.cursor.Depth(), 0);
    EXPECT_EQ(h.sounds.Played(), std::vector<Sound>{Sound::Information});
    EXPECT_TRUE(s.Errors.empty());

    // The last interface, atm0 (index 7), lies above ifNumber (5).
    EXPECT_EQ((Lines{s.LanIpIfIndex, s.LanIfIndex, s.AdslIfIndex, s.WanIfIndex, s.WanIfxIndex}),
              (Lines{"1", "2", "3", "4", "7"}));
    EXPECT_EQ(s.InterfaceCount, 5);
    EXPECT_EQ(Lines(s.IfDescr.begin(), s.IfDescr.begin() + 7),
              (Lines{"", "br0", "eth0", "adsl0", "ppp0", "atm0", ""}));
    // Each address by its own row's ifIndex; 127.0.0.1 sits on an interface nobody asked for.
    EXPECT_EQ((Lines{s.LanIpAddress, s.LanNetMask, s.WanIpAddress, s.WanNetMask}),
              (Lines{"192.168.1.254", "255.255.255.0", "203.0.113.45", "255.255.255.255"}));
    EXPECT_EQ(s.TableLines, Rows(mib::IpAddrColumns,
                                 {"127.0.0.1|(6)~6|255.0.0.0|1|65535",
                                  "192.168.1.254|br0(1)~1|255.255.255.0|1|65535",
                                  "203.0.113.45|ppp0(4)~4|255.255.255.255|1|1492"},
                                 raw));

    // The headlines read the same in both modes.
    EXPECT_EQ(s.RouterUpTime, 104914700);
    const QDateTime started(QDate(2026, 11, 24), QTime(8, 34, 13)); // noon less the uptime
    const QLocale locale = QLocale::system();
    EXPECT_EQ(s.StaticText6, "Router initialized on " +
                                 locale.toString(started.date(), QLocale::LongFormat) + " at " +
                                 locale.toString(started.time(), QLocale::LongFormat));
    EXPECT_EQ(s.StaticText7, "Router uptime:  12 days 3 hours 25 mins 47 secs ");
    EXPECT_EQ(s.StaticText8, "Connection uptime:  4 days 5 hours 14 mins 35 secs ");
    EXPECT_EQ(s.Label22 + s.Label23, "LAN (up)WAN (up)");
    EXPECT_TRUE(s.UseHCCounters);

    ExpectValues(s.SystemValues,
                 "104914700|noc@example.net|tavix-gw|Wiring cupboard|end-to-end + applications~72|"
                 "1500|1492|*9002000000|*5002000000|*9007000000|*5007000000|448 Kbps~448000|"
                 "17.8 dB~178|12.5 dBm~125|12 dB~120|8.13 Mbps~8128000|31.5 dB~315|19.8 dBm~198|"
                 "6.1 dB~61|1|1|*0|*0|68467200",
                 raw);
    // LastChange is measured back from the uptime read just before: 104914700 - 1345.
    ExpectValues(s.IntfValues,
                 "eth0|ethernet-csmacd(6)~6|1500|100 Mbps~100000000|"
                 "00:0A:05:0C:01:0E~\x00\x0a\x05\x0c\x01\x0e|up(1)~1|up(1)~1|"
                 "12d:3h:25m:33s:~1345|*0|1102000|12200|132|142|152|*0|1702000|18200|192|202|2"s,
                 raw);
    ExpectValues(s.ADSLValues,
                 "R62GX-0A050C01|CRVN|3.4.2|12 dB~120|17.8 dB~178| noDefect ~\x80|12.5 dBm~125|"
                 "1.02 Mbps~1024000|8 ms~8|448 Kbps~448000|384 Kbps~384000|27",
                 raw);
    ExpectValues(s.IpValues,
                 "forwarding(1)~1|64|1843201|4|51|1120553|7|8|702104|688310|11|12|60|14|15|16|17|"
                 "18|19|23",
                 raw);
    ASSERT_EQ(s.IcmpValues.size(), 26u);
    for (std::size_t i = 0; i < 26; ++i)
        EXPECT_EQ(s.IcmpValues[i], std::to_string(501 + i));
    ExpectValues(s.TcpValues, "vanj(4)~4|200|120000|-1|605|606|607|608|2|61010|61111|612|614|615",
                 raw);
    ExpectValues(s.UdpValues, "70101|702|703|70404", raw);
    ExpectValues(s.SnmpValues,
                 "1101|1102|1103|1104|1105|1106|1108|1109|1110|1111|1112|1113|1114|1115|1116|1117|"
                 "1118|1119|1120|1121|1122|1124|1125|1126|1127|1128|1129|disabled(2)~2",
                 raw);

    // The other views on demand; the one already shown is not fetched again.
    EXPECT_FALSE(s.SelectADSLView(1));
    ASSERT_TRUE(s.SelectADSLView(2));
    ExpectValues(
        s.ADSLValues,
        "DSLAM-7731-A14|ALCB|E.38.4.29|6.1 dB~61|31.5 dB~315| lossOfSigQuality~\x08|"
        "19.8 dBm~198|10.24 Mbps~10240000|16 ms~16|8.13 Mbps~8128000|7.62 Mbps~7616000|254",
        raw);
    // Only a formatted status moves the cell's width.
    EXPECT_EQ(s.ADSLStatusWidth, raw ? core::StatusCellNarrow : core::StatusCellWide);
    ASSERT_TRUE(s.SelectIntfView(2));
    EXPECT_EQ((Lines{s.IntfValues[0], s.IntfValues[4], s.IntfValues[7]}),
              (raw ? Lines{"ppp0", "", "68467200"} : Lines{"ppp0", "NULL", "4d:5h:14m:35s:"}));
    ASSERT_TRUE(s.SelectIntfView(4)); // the WAN's ifX row is the rfc1483 interface
    ExpectValues(s.IfxValues,
                 "atm0|2007|3007|4007|5007|*9007000000|7000000007|8007|9007|*5007000000|"
                 "6000000007|12007|13007|enabled(1)~1|8|false(2)~2|false(2)~2",
                 raw);
    ASSERT_TRUE(s.SelectIntfView(3));
    EXPECT_EQ(s.IfxValues[0], "eth0");

    h.settings.ConBeep = false;
    h.sounds.Clear();
    EXPECT_TRUE(s.GetAllData());
    EXPECT_EQ(h.sounds.Total(), 0);
}

INSTANTIATE_TEST_SUITE_P(RawData, FullFetch, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "On" : "Off";
                         });

// --- the other four tables: the first row of each and how many --------------------------------

TEST(Tables, EachViewLaysOutItsOwnColumns) {
    ASSERT_NE(SharedSimulatedRouter(), nullptr);
    Harness h(SharedSimulatedRouter()->Address());
    ASSERT_TRUE(h.stats.GetAllData()); // discovery feeds the interface labels
    const struct {
        int view;
        Headings headings;
        std::size_t rows;
        std::string first;
    } tables[] = {
        {2, mib::IpRouteColumns, 5,
         "0.0.0.0|ppp0(4)|1|-1|-1|-1|203.0.113.1|indirect(4)|local(2)|364475|0.0.0.0|-1|0.0"},
        {3, mib::IpNetToMediaColumns, 3, "br0(1)|3C:97:0E:4A:1B:2C|192.168.1.20|dynamic(3)"},
        {4, mib::TcpConnColumns, 4, "listen(2)|0.0.0.0|23|0.0.0.0|0"},
        {5, mib::UdpColumns, 4, "0.0.0.0|53"},
    };
    for (const auto& table : tables) {
        SCOPED_TRACE(table.view);
        ASSERT_TRUE(h.stats.SelectTable(table.view));
        const Lines& lines = h.stats.TableLines;
        ASSERT_EQ(lines.size(), table.rows * (table.headings.size() + 1));
        const Lines first(lines.begin(), lines.begin() + table.headings.size() + 1);
        EXPECT_EQ(first, Rows(table.headings, {table.first}));
    }
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

std::vector<Interface> Many(int count) {
    std::vector<Interface> list;
    for (int i = 1; i <= count; ++i)
        list.push_back({i, i == 60 ? 159 : 6, "if" + std::to_string(i)});
    return list;
}

TEST(Discovery, PicksTheLowestPositionOfEachTypeElseTheLast) {
    const struct {
        int ifNumber;
        std::vector<Interface> interfaces;
        std::string indices; // LanIpIfIndex|LanIfIndex|WanIfIndex|AdslIfIndex|WanIfxIndex
        std::size_t requests;
    } routers[] = {
        // Counts four but lists three: the GetNext for the last lands on the first description,
        // "3Com eth0", which must not pass for an interface index. The lower ppp is the WAN.
        {4, {{1, 6, "3Com eth0"}, {2, 23, "ppp0"}, {3, 23, "ppp1"}}, "0|1|2|0|0", 13},
        {-3, {}, "0|0|0|0|0", 1},
        // More than the tables hold: 50 positions, the 60th interface is never seen.
        {60, Many(60), "50|1|50|50|50", 1 + 49 + 1 + 50 + 50},
    };
    for (const auto& r : routers) {
        SCOPED_TRACE(r.indices);
        fake::FakeAgent agent;
        Serve(agent, r.ifNumber, r.interfaces);
        Harness h(agent.Address(), true);
        Statistics& s = h.stats;
        s.IfDescr[50] = "from an earlier router";
        s.FindInterfaceIndices();
        EXPECT_EQ(s.LanIpIfIndex + "|" + s.LanIfIndex + "|" + s.WanIfIndex + "|" + s.AdslIfIndex +
                      "|" + s.WanIfxIndex,
                  r.indices);
        EXPECT_EQ(agent.Requests().size(), r.requests);
        const int found = std::clamp(r.ifNumber, 0, core::MaxInterfaces);
        EXPECT_EQ(s.InterfaceCount, found);
        for (std::size_t p = 1; p <= static_cast<std::size_t>(found); ++p)
            EXPECT_EQ(s.IfDescr[p], p <= r.interfaces.size() ? r.interfaces[p - 1].descr : "");
        EXPECT_EQ(s.IfDescr[0], "");
        EXPECT_EQ(s.IfDescr[50], found < 50 ? "from an earlier router" : "if50");
    }
}

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

    Harness h(agent.Address(), true);
    h.stats.FindInterfaceIndices();
    ASSERT_EQ(h.stats.WanIfxIndex, "7");
    h.stats.ipAddrTableGetData();
    EXPECT_EQ(h.stats.TableLines,
              Rows(mib::IpAddrColumns, {"10.0.0.1|atm0(7)|255.255.255.252|1|1500",
                                        "10.0.0.2|(3)|255.255.255.0|1|1500", "10.0.0.3|||1|1500"}));

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
    Harness h(agent.Address(), true);
    h.stats.TableView = 5;
    h.stats.udpTableGetData();
    EXPECT_EQ(h.stats.TableLines, Rows(mib::UdpColumns, {"0.0.0.0|53", "0.0.0.0|"}));
    EXPECT_FALSE(h.query.RouterPresent); // the probe went unanswered too
    EXPECT_EQ(agent.Requests().size(), 5u);
}

TEST(Formatting, CounterThatIsNoNumberKeepsItsTextAndIsReported) {
    fake::FakeAgent agent;
    agent.Add(Prefix + "31.1.1.1.6.2", "n/a", snmp::tag::OctetString);
    agent.Add(Prefix + "31.1.1.1.10.2", "1500", snmp::tag::Counter64);
    agent.Add(Prefix + "2.2.1.10.4", "12.5.7", snmp::tag::OctetString);
    Harness h(agent.Address());
    h.stats.SystemGetData(); // no identity check passed yet: nothing is sent
    EXPECT_TRUE(agent.Requests().empty());

    h.query.RouterPresent = true;
    h.stats.LanIfIndex = "2";
    h.stats.WanIfIndex = "4";
    h.stats.WanIfxIndex = "7";
    h.stats.SystemGetData();
    const auto& v = h.stats.SystemValues;
    EXPECT_EQ((Lines{v[7], v[8], v[9], v[21]}), (Lines{"n/a", "1.5 KB", "NULL", "12.5.7"}));
    EXPECT_EQ(
        h.stats.Errors,
        (Lines{"Data In (1.3.6.1.2.1.31.1.1.1.6.2): 'n/a' is not a valid floating point value",
               "Data In (1.3.6.1.2.1.2.2.1.10.4): '12.5.7' is not a valid floating point "
               "value"}));
    EXPECT_FALSE(h.stats.UseHCCounters); // the WAN's 64-bit counter did not answer
    EXPECT_EQ(h.stats.Label22, "LAN (down)");
    // Unanswered values never pass for believable numbers, nor the time for a start date.
    EXPECT_EQ(h.stats.StaticText6 + h.stats.StaticText7 + h.stats.StaticText8,
              "Router initialized on NULLRouter uptime:  NULLConnection downtime:  NULL");
    for (int i : {11, 12, 13, 15})
        EXPECT_EQ(v[static_cast<std::size_t>(i)], "NULL") << i;
    h.stats.intfGetData("2");
    EXPECT_EQ(h.stats.IntfValues[7], "NULL"); // LastChange without an uptime
    h.stats.ADSLAturGetData();
    EXPECT_EQ(h.stats.ADSLValues[8], "NULL"); // not "NULL ms"
}

TEST(SparseTable, AWalkThatGoesBackwardsSaysTheTableIsIncomplete) {
    fake::FakeAgent agent;
    const std::string column = Prefix + "7.5.1.2.";
    agent.ScriptGetNext({{column + "0.0.0.0.67", "67", snmp::tag::Integer},
                         {column + "0.0.0.0.53", "53", snmp::tag::Integer}});
    Harness h(agent.Address(), true);
    ASSERT_TRUE(h.stats.SelectTable(5));
    const std::string why = "udpTable is incomplete: the router answered out of order";
    EXPECT_EQ(h.stats.Errors, Lines{why});
    ASSERT_FALSE(h.stats.TableLines.empty());
    EXPECT_EQ(h.stats.TableLines.back(), "(" + why + ")"); // so a saved file says so too
    EXPECT_TRUE(h.query.RouterPresent);
}

// --- a router that stops answering --------------------------------------------------------------

class LostRouter : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(SharedSimulatedRouter(), nullptr) << "snmpsim did not start";
        relay = std::make_unique<fake::FakeAgent>();
        relay->ForwardTo(SharedSimulatedRouter()->Address());
        h = std::make_unique<Harness>(relay->Address());
    }
    std::unique_ptr<fake::FakeAgent> relay; // in front of the simulated router
    std::unique_ptr<Harness> h;
};

TEST_F(LostRouter, CostsOneReadAndOneProbeThenNothingIsSentUntilTheNextCheck) {
    h->stats.TableView = 2;
    ASSERT_TRUE(h->stats.GetAllData());
    const int sent = relay->RequestCount();
    relay->GoSilentAfter(0);
    h->sounds.Clear();
    h->stats.SystemGetData();
    h->stats.ipGetData();
    h->stats.tablesGetData();
    h->stats.SystemGetData();
    EXPECT_EQ(relay->RequestCount() - sent, 2); // the uptime read and the probe
    EXPECT_FALSE(h->query.RouterPresent);
    EXPECT_EQ(h->query.StatusText.toStdString(), Failure(relay->Address()));
    EXPECT_EQ(h->sounds.Played(), std::vector<Sound>{Sound::Error});
    EXPECT_EQ(h->stats.IpValues[1], "NULL");
    EXPECT_TRUE(h->stats.Errors.empty()); // a lost router is no incomplete table

    relay->GoSilentAfter(-1);
    ASSERT_TRUE(h->stats.GetAllData());
    EXPECT_EQ(h->stats.IpValues[1], "64");
    EXPECT_EQ(h->stats.TableLines.size(), 5u * 14u);
}

TEST_F(LostRouter, StartUpAgainstARouterThatAnswersTwoRequestsFailsAfterOneTimeout) {
    relay->GoSilentAfter(2);
    EXPECT_FALSE(h->stats.GetAllData());
    EXPECT_EQ(relay->RequestCount(), 4); // the identity check, ifNumber, the probe
    EXPECT_FALSE(h->query.RouterPresent);
    EXPECT_EQ(h->sounds.Played(), std::vector<Sound>{Sound::Error});
    EXPECT_TRUE(h->stats.StaticText6.isEmpty());
}

TEST_F(LostRouter, AnIgnoredObjectReadsNullAndTheRestOfThePageIsShown) {
    ASSERT_TRUE(h->stats.GetAllData());
    relay->Ignore(Prefix + "4.3.0");
    const int sent = relay->RequestCount();
    h->stats.ipGetData();
    EXPECT_EQ(relay->RequestCount() - sent, mib::IpMIBLength + 1);
    EXPECT_TRUE(h->query.RouterPresent);
    EXPECT_EQ((Lines{h->stats.IpValues[1], h->stats.IpValues[2], h->stats.IpValues[3]}),
              (Lines{"64", "NULL", "4"}));
}
