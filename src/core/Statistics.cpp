#include "Statistics.h"

#include "Transport.h"

#include <QLocale>
#include <algorithm>
#include <limits>

namespace core {

namespace {

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Full(std::string_view suffix) {
    return std::string(mib::MIBPrefix) + std::string(suffix);
}

std::string Lookup(std::span<const std::string_view> table, const std::string& value) {
    return mib::EnumLookup(table, value);
}

// ifType numbers the Interfaces page names.
std::string InterfaceTypeText(const std::string& value) {
    static constexpr std::pair<std::string_view, std::string_view> names[] = {
        {"6", "ethernet-csmacd(6)"}, {"23", "ppp(23)"}, {"94", "adsl(94)"},
        {"159", "rfc1483(159)"},     {"1", "other(1)"},
    };
    for (const auto& [number, name] : names)
        if (value == number) return std::string(name);
    return value;
}

// Keeps the subtraction from the current time meaningful for any uptime text, however large.
qint64 UpTimeMSecs(int64_t hundredths) {
    constexpr int64_t limit = int64_t{100} * 365 * 24 * 3600 * 1000; // a century
    if (hundredths > limit / 10) return limit;
    if (hundredths < -limit / 10) return -limit;
    return hundredths * 10;
}

} // namespace

Statistics::Statistics(RouterQuery& query, Settings& settings, Clock& clock)
    : query_(query), settings_(settings), clock_(clock) {}

void Statistics::FetchGroup(std::span<const mib::TMIBEntry> entries, std::span<std::string> values,
                            const std::string& index) {
    const std::size_t count = std::min(entries.size(), values.size());
    for (std::size_t i = 0; i < count; ++i)
        values[i] = query_.Get(std::string(entries[i].OID) + index);
}

void Statistics::FormatBytes(std::string& value) {
    try {
        value = StrToBytes(value);
    } catch (const ConversionError& error) {
        Errors.emplace_back(error.what());
    }
}

void Statistics::FindInterfaceIndices() {
    const std::string host = query_.Host();
    const std::string community = query_.Community();
    const auto get = [&](const std::string& suffix) {
        std::string value;
        snmp::SNMPGetValue(Full(suffix), community, host, value);
        return value;
    };

    // The discovery tables hold MaxInterfaces positions; a router reporting more interfaces is
    // read as if it had that many, so the last one is found by GetNext after position 49.
    const int n =
        static_cast<int>(std::clamp<int64_t>(LeadingInteger(get("2.1.0")), 0, MaxInterfaces));
    std::array<int64_t, MaxInterfaces + 1> index{};
    std::array<int64_t, MaxInterfaces + 1> type{};

    for (int k = 1; k < n; ++k)
        index[k] = LeadingInteger(get("2.2.1.1." + std::to_string(k)));
    if (n >= 1) {
        // The first n - 1 interfaces are numbered 1 to n - 1; the last one is whatever follows,
        // which finds a last interface whose index lies above the interface count.
        const std::string column = Full("2.2.1.1.");
        std::string oid = column + std::to_string(n - 1);
        std::string value;
        // A router that counts more interfaces than it lists answers with the next column's
        // first value (a description, a type); that is no interface index.
        if (snmp::SNMPGetNextValue(oid, community, host, value) && oid.starts_with(column))
            index[n] = LeadingInteger(value);
    }
    for (int k = 1; k <= n; ++k)
        type[k] = LeadingInteger(get("2.2.1.3." + std::to_string(index[k])));
    for (int k = 1; k <= n; ++k)
        IfDescr[k] = get("2.2.1.2." + std::to_string(index[k]));

    const auto indexOfType = [&](int wanted) {
        int p = n;
        for (int k = 1; k <= n; ++k) {
            if (type[k] == wanted) {
                p = k;
                break;
            }
        }
        return std::to_string(index[p]);
    };
    LanIpIfIndex = indexOfType(mib::InterfaceTypes[3]); // other
    LanIfIndex = indexOfType(mib::InterfaceTypes[0]);   // ethernetCsmacd
    WanIfIndex = indexOfType(mib::InterfaceTypes[1]);   // ppp
    AdslIfIndex = indexOfType(mib::InterfaceTypes[2]);  // adsl
    WanIfxIndex = indexOfType(mib::InterfaceTypes[4]);  // rfc1483

    ifIndexAt_ = index;
    InterfaceCount = n;
}

void Statistics::UpdateRouterUpTime() {
    RouterUpTime = LeadingInteger(query_.Get("1.3.0"));
}

void Statistics::SystemGetData() {
    if (!query_.RouterPresent) return;

    for (int i = 0; i < mib::SystemMIBLength; ++i) {
        const std::string* index = nullptr;
        switch (i) {
        case 5:
        case 7:
        case 8:
        case 19:
            index = &LanIfIndex;
            break;
        case 6:
        case 20:
        case 21:
        case 22:
        case 23:
            index = &WanIfIndex;
            break;
        case 9:
        case 10:
            index = &WanIfxIndex;
            break;
        default:
            if (i >= 11 && i <= 18) index = &AdslIfIndex;
        }
        SystemValues[i] =
            query_.Get(std::string(mib::SystemMIB[i].OID) + (index ? *index : std::string()));
    }

    // The headlines use the raw values, so they read the same in both RawData modes.
    RouterUpTime = LeadingInteger(SystemValues[0]);
    const QDateTime started = clock_.Now().addMSecs(-UpTimeMSecs(RouterUpTime));
    const QLocale locale = QLocale::system();
    StaticText6 = QStringLiteral("Router initialized on ") +
                  locale.toString(started.date(), QLocale::LongFormat) + QStringLiteral(" at ") +
                  locale.toString(started.time(), QLocale::LongFormat);
    StaticText7 = QStringLiteral("Router uptime:  ") +
                  Latin1(StrToTime(SystemValues[0], RouterUpTime, false, true));
    const bool wanUp = SystemValues[20] == "1";
    Label23 = wanUp ? QStringLiteral("WAN (up)") : QStringLiteral("WAN (down)");
    StaticText8 = (wanUp ? QStringLiteral("Connection uptime:  ")
                         : QStringLiteral("Connection downtime:  ")) +
                  Latin1(StrToTime(SystemValues[23], RouterUpTime, true, true));
    Label22 = SystemValues[19] == "1" ? QStringLiteral("LAN (up)") : QStringLiteral("LAN (down)");
    UseHCCounters = !(SystemValues[9] == "NULL" || SystemValues[9].empty());

    if (!settings_.RawData) {
        if (SystemValues[4] == "72") SystemValues[4] = "end-to-end + applications";
        for (int i : {7, 8, 9, 10, 21, 22})
            FormatBytes(SystemValues[i]);
        SystemValues[11] = StrToSpeed(SystemValues[11]);
        SystemValues[12] = StrTodB(SystemValues[12]);
        SystemValues[13] = StrTodB(SystemValues[13]) + "m";
        SystemValues[14] = StrTodB(SystemValues[14]);
        SystemValues[15] = StrToSpeed(SystemValues[15]);
        SystemValues[16] = StrTodB(SystemValues[16]);
        SystemValues[17] = StrTodB(SystemValues[17]) + "m";
        SystemValues[18] = StrTodB(SystemValues[18]);
    }

    GetRouterIPNM();
}

void Statistics::GetRouterIPNM() {
    std::vector<std::string> values;
    std::vector<std::string> keys;
    snmp::SNMPWalkTable(Full("4.20"), query_.Community(), query_.Host(), values, &keys);

    // Rows are matched by the ifIndex each row carries; a later row overrides an earlier one.
    std::vector<std::vector<bool>> present;
    const auto rows = TableRows(5, values, keys, &present);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!present[r][1]) continue;
        const std::string& idx = rows[r][1];
        const auto take = [&](std::string& address, std::string& mask) {
            address = rows[r][0];
            mask = rows[r][2];
        };
        if (idx == LanIpIfIndex) take(LanIpAddress, LanNetMask);
        if (idx == WanIfIndex) take(WanIpAddress, WanNetMask);
        if (idx == WanIfxIndex) take(WanIpAddress, WanNetMask);
    }
}

void Statistics::interfacesGetData() {
    switch (IntfView) {
    case 1:
        intfGetData(LanIfIndex);
        break;
    case 2:
        intfGetData(WanIfIndex);
        break;
    case 3:
        ifxGetData(LanIfIndex);
        break;
    case 4:
        ifxGetData(WanIfxIndex);
        break;
    default:
        break;
    }
}

void Statistics::intfGetData(const std::string& index) {
    UpdateRouterUpTime();
    FetchGroup(mib::IfMIB, IntfValues, index);
    if (settings_.RawData) return;
    IntfValues[3] = StrToSpeed(IntfValues[3]);
    IntfValues[4] = StrToMAC(IntfValues[4]);
    IntfValues[5] = Lookup(mib::UpDownText, IntfValues[5]);
    IntfValues[6] = Lookup(mib::UpDownText, IntfValues[6]);
    IntfValues[1] = InterfaceTypeText(IntfValues[1]);
    IntfValues[7] = StrToTime(IntfValues[7], RouterUpTime, true, false);
    FormatBytes(IntfValues[8]);
    FormatBytes(IntfValues[14]);
}

void Statistics::ifxGetData(const std::string& index) {
    FetchGroup(mib::IfXMIB, IfxValues, index);
    if (settings_.RawData) return;
    IfxValues[13] = Lookup(mib::EnableText, IfxValues[13]);
    IfxValues[15] = Lookup(mib::TruthText, IfxValues[15]);
    IfxValues[16] = Lookup(mib::TruthText, IfxValues[16]);
    FormatBytes(IfxValues[5]);
    FormatBytes(IfxValues[9]);
}

void Statistics::ADSLGetData() {
    if (ADSLView == 1)
        ADSLAturGetData();
    else if (ADSLView == 2)
        ADSLAtucGetData();
}

void Statistics::ADSLAtucGetData() {
    ADSLGetDataFrom(mib::AtucMIB);
}
void Statistics::ADSLAturGetData() {
    ADSLGetDataFrom(mib::AturMIB);
}

void Statistics::ADSLGetDataFrom(std::span<const mib::TMIBEntry> entries) {
    FetchGroup(entries.first(mib::AtucMIBLength), ADSLValues, AdslIfIndex);
    if (settings_.RawData) return;
    ADSLValues[3] = StrTodB(ADSLValues[3]);
    ADSLValues[4] = StrTodB(ADSLValues[4]);
    if (ADSLValues[5] != "NULL" && !ADSLValues[5].empty()) {
        CurrStatus status = StrToCurrStatus(ADSLValues[5]);
        ADSLValues[5] = std::move(status.text);
        ADSLStatusWidth = status.width;
    }
    ADSLValues[6] = StrTodB(ADSLValues[6]) + "m";
    ADSLValues[7] = StrToSpeed(ADSLValues[7]);
    ADSLValues[8] += " ms";
    ADSLValues[9] = StrToSpeed(ADSLValues[9]);
    ADSLValues[10] = StrToSpeed(ADSLValues[10]);
}

void Statistics::ipGetData() {
    FetchGroup(mib::IpMIB, IpValues);
    if (!settings_.RawData) IpValues[0] = Lookup(mib::ForwardingText, IpValues[0]);
}

void Statistics::icmpGetData() {
    FetchGroup(mib::IcmpMIB, IcmpValues);
}

void Statistics::tcpGetData() {
    FetchGroup(mib::TcpMIB, TcpValues);
    if (!settings_.RawData) TcpValues[0] = Lookup(mib::RtoAlgorithmText, TcpValues[0]);
}

void Statistics::udpGetData() {
    FetchGroup(mib::UdpMIB, UdpValues);
}

void Statistics::snmpGetData() {
    FetchGroup(mib::SnmpMIB, SnmpValues);
    if (!settings_.RawData) SnmpValues[27] = Lookup(mib::EnableText, SnmpValues[27]);
}

std::string Statistics::InterfaceLabel(const std::string& index) const {
    // Labelled by the interface that carries this ifIndex, so an interface numbered above the
    // interface count still gets its description and no other index borrows it.
    const int64_t n = LeadingInteger(index);
    std::string label;
    if (n > 0) {
        for (int p = 1; p <= InterfaceCount; ++p) {
            if (ifIndexAt_[p] == n) {
                label = IfDescr[p];
                break;
            }
        }
    }
    return label + "(" + index + ")";
}

void Statistics::WalkTable(std::string_view suffix, std::span<const std::string_view> headings,
                           const CellTranslator& translate) {
    std::vector<std::string> values;
    std::vector<std::string> keys;
    snmp::SNMPWalkTable(Full(suffix), query_.Community(), query_.Host(), values, &keys);
    TableLines =
        LayOutTable(headings, values, keys, settings_.RawData ? CellTranslator{} : translate);
}

void Statistics::tablesGetData() {
    switch (TableView) {
    case 1:
        ipAddrTableGetData();
        break;
    case 2:
        ipRouteTableGetData();
        break;
    case 3:
        ipNetToMediaTableGetData();
        break;
    case 4:
        tcpConnTableGetData();
        break;
    case 5:
        udpTableGetData();
        break;
    default:
        break;
    }
}

void Statistics::ipAddrTableGetData() {
    WalkTable("4.20", mib::IpAddrColumns, [this](int column, const std::string& value) {
        return column == 1 ? InterfaceLabel(value) : value;
    });
}

void Statistics::ipRouteTableGetData() {
    WalkTable("4.21", mib::IpRouteColumns, [this](int column, const std::string& value) {
        switch (column) {
        case 1:
            return InterfaceLabel(value);
        case 7:
            return Lookup(mib::RouteTypeText, value);
        case 8:
            return Lookup(mib::RouteProtoText, value);
        default:
            return value;
        }
    });
}

void Statistics::ipNetToMediaTableGetData() {
    WalkTable("4.22", mib::IpNetToMediaColumns, [this](int column, const std::string& value) {
        switch (column) {
        case 0:
            return InterfaceLabel(value);
        case 1:
            return StrToMAC(value);
        case 3:
            return Lookup(mib::NetToMediaTypeText, value);
        default:
            return value;
        }
    });
}

void Statistics::tcpConnTableGetData() {
    WalkTable("6.13", mib::TcpConnColumns, [](int column, const std::string& value) {
        return column == 0 ? Lookup(mib::TcpConnStateText, value) : value;
    });
}

void Statistics::udpTableGetData() {
    WalkTable("7.5", mib::UdpColumns, {});
}

bool Statistics::SelectIntfView(int view) {
    if (view == IntfView) return false;
    IntfView = view;
    if (query_.RouterPresent) interfacesGetData();
    return true;
}

bool Statistics::SelectADSLView(int view) {
    if (view == ADSLView) return false;
    ADSLView = view;
    if (query_.RouterPresent) ADSLGetData();
    return true;
}

bool Statistics::SelectTable(int32_t view) {
    if (view == TableView) return false;
    TableView = view;
    if (query_.RouterPresent) tablesGetData();
    return true;
}

bool Statistics::GetAllData() {
    if (!query_.CorvanePresent()) return false;
    {
        BusyCursorScope busy(query_.cursor());
        FindInterfaceIndices();
        UpdateRouterUpTime();
        SystemGetData();
        ipGetData();
        icmpGetData();
        tcpGetData();
        udpGetData();
        snmpGetData();
        interfacesGetData();
        tablesGetData();
        ADSLGetData();
    }
    if (settings_.ConBeep) query_.sounds().Play(Sound::Information);
    return true;
}

} // namespace core
