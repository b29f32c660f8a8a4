#include "Statistics.h"

#include "snmp/Transport.h"

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

// An object the router did not answer reads "NULL" in every view; formatted, it would pass for
// a believable "0 dB" or "0 KB".
bool Unanswered(const std::string& value) {
    return value.empty() || value == "NULL";
}

template <typename Format> void FormatIn(std::string& value, Format format) {
    value = Unanswered(value) ? std::string("NULL") : format(value);
}

std::string WithUnit(const std::string& value, std::string_view unit) {
    return value + std::string(unit);
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

void Statistics::FormatBytes(std::string& value, const mib::TMIBEntry& entry,
                             const std::string& index) {
    if (Unanswered(value)) {
        value = "NULL";
        return;
    }
    try {
        value = StrToBytes(value);
    } catch (const ConversionError& error) {
        // Named by label and object, since several cells share a label ("Data In").
        Errors.push_back(std::string(entry.Label) + " (" + Full(entry.OID) + index +
                         "): " + error.what());
    }
}

void Statistics::ForgetRouter() {
    StaticText6.clear();
    StaticText7.clear();
    StaticText8.clear();
    Label22 = QStringLiteral("LAN");
    Label23 = QStringLiteral("WAN");
    LanIpAddress.clear();
    LanNetMask.clear();
    WanIpAddress.clear();
    WanNetMask.clear();
    TableLines.clear();
    for (std::size_t i = 1; i <= 3; ++i)
        SystemValues[i].clear();
}

void Statistics::FindInterfaceIndices() {
    const auto get = [&](const std::string& suffix) {
        std::string value;
        query_.GetFull(Full(suffix), value);
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
        if (query_.GetNext(oid, value) && oid.starts_with(column)) index[n] = LeadingInteger(value);
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

void Statistics::TakeRouterUpTime(const std::string& value) {
    RouterUpTimeKnown = !Unanswered(value);
    RouterUpTime = LeadingInteger(value);
}

void Statistics::UpdateRouterUpTime() {
    TakeRouterUpTime(query_.Get("1.3.0"));
}

std::string Statistics::TimeSince(const std::string& value) const {
    // Without the uptime, or with a change said to lie ahead of it, there is no duration to show.
    if (!RouterUpTimeKnown || Unanswered(value)) return "NULL";
    return StrToTime(value, RouterUpTime, true, false);
}

void Statistics::SystemGetData() {
    if (!query_.RouterPresent) return;

    for (int i = 0; i < mib::SystemMIBLength; ++i) {
        // The three system strings are edited and written back: an empty one stays empty.
        SystemValues[i] =
            query_.Get(std::string(mib::SystemMIB[i].OID) + SystemIndex(i), i >= 1 && i <= 3);
    }

    // The headlines use the raw values, so they read the same in both RawData modes.
    TakeRouterUpTime(SystemValues[0]);
    const QString unknown = QStringLiteral("NULL");
    if (RouterUpTimeKnown) {
        const QDateTime started = clock_.Now().addMSecs(-UpTimeMSecs(RouterUpTime));
        const QLocale locale = QLocale::system();
        StaticText6 = QStringLiteral("Router initialized on ") +
                      locale.toString(started.date(), QLocale::LongFormat) +
                      QStringLiteral(" at ") + locale.toString(started.time(), QLocale::LongFormat);
        StaticText7 = QStringLiteral("Router uptime:  ") +
                      Latin1(StrToTime(SystemValues[0], RouterUpTime, false, true));
    } else {
        StaticText6 = QStringLiteral("Router initialized on ") + unknown;
        StaticText7 = QStringLiteral("Router uptime:  ") + unknown;
    }
    const bool wanUp = SystemValues[20] == "1";
    Label23 = wanUp ? QStringLiteral("WAN (up)") : QStringLiteral("WAN (down)");
    const std::string connection = SystemValues[23];
    StaticText8 = (wanUp ? QStringLiteral("Connection uptime:  ")
                         : QStringLiteral("Connection downtime:  ")) +
                  (RouterUpTimeKnown && !Unanswered(connection)
                       ? Latin1(StrToTime(connection, RouterUpTime, true, true))
                       : unknown);
    Label22 = SystemValues[19] == "1" ? QStringLiteral("LAN (up)") : QStringLiteral("LAN (down)");
    UseHCCounters = !(SystemValues[9] == "NULL" || SystemValues[9].empty());

    if (!settings_.RawData) {
        if (SystemValues[4] == "72") SystemValues[4] = "end-to-end + applications";
        for (int i : {7, 8, 9, 10, 21, 22})
            FormatBytes(SystemValues[i], mib::SystemMIB[i], SystemIndex(i));
        const auto dBm = [](const std::string& v) { return WithUnit(StrTodB(v), "m"); };
        const auto speed = [](const std::string& v) { return StrToSpeed(v); };
        const auto dB = [](const std::string& v) { return StrTodB(v); };
        for (int i : {11, 15})
            FormatIn(SystemValues[i], speed);
        for (int i : {12, 14, 16, 18})
            FormatIn(SystemValues[i], dB);
        for (int i : {13, 17})
            FormatIn(SystemValues[i], dBm);
    }

    GetRouterIPNM();
}

const std::string& Statistics::SystemIndex(int entry) const {
    static const std::string none;
    switch (entry) {
    case 5:
    case 7:
    case 8:
    case 19:
        return LanIfIndex;
    case 6:
    case 20:
    case 21:
    case 22:
    case 23:
        return WanIfIndex;
    case 9:
    case 10:
        return WanIfxIndex;
    default:
        return entry >= 11 && entry <= 18 ? AdslIfIndex : none;
    }
}

void Statistics::GetRouterIPNM() {
    std::vector<std::string> values;
    std::vector<std::string> keys;
    ReportWalkEnd(query_.Walk("4.20", values, keys), mib::TableNames[1]);

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
    FormatIn(IntfValues[3], [](const std::string& v) { return StrToSpeed(v); });
    FormatIn(IntfValues[4], [](const std::string& v) { return StrToMAC(v); });
    IntfValues[5] = Lookup(mib::UpDownText, IntfValues[5]);
    IntfValues[6] = Lookup(mib::UpDownText, IntfValues[6]);
    IntfValues[1] = InterfaceTypeText(IntfValues[1]);
    IntfValues[7] = TimeSince(IntfValues[7]);
    FormatBytes(IntfValues[8], mib::IfMIB[8], index);
    FormatBytes(IntfValues[14], mib::IfMIB[14], index);
}

void Statistics::ifxGetData(const std::string& index) {
    FetchGroup(mib::IfXMIB, IfxValues, index);
    if (settings_.RawData) return;
    IfxValues[13] = Lookup(mib::EnableText, IfxValues[13]);
    IfxValues[15] = Lookup(mib::TruthText, IfxValues[15]);
    IfxValues[16] = Lookup(mib::TruthText, IfxValues[16]);
    FormatBytes(IfxValues[5], mib::IfXMIB[5], index);
    FormatBytes(IfxValues[9], mib::IfXMIB[9], index);
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
    const auto dB = [](const std::string& v) { return StrTodB(v); };
    const auto speed = [](const std::string& v) { return StrToSpeed(v); };
    FormatIn(ADSLValues[3], dB);
    FormatIn(ADSLValues[4], dB);
    if (!Unanswered(ADSLValues[5])) {
        CurrStatus status = StrToCurrStatus(ADSLValues[5]);
        ADSLValues[5] = std::move(status.text);
        ADSLStatusWidth = status.width;
    }
    FormatIn(ADSLValues[6], [](const std::string& v) { return WithUnit(StrTodB(v), "m"); });
    for (int i : {7, 9, 10})
        FormatIn(ADSLValues[static_cast<std::size_t>(i)], speed);
    FormatIn(ADSLValues[8], [](const std::string& v) { return WithUnit(v, " ms"); });
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

void Statistics::WalkTable(int table, std::string_view suffix,
                           std::span<const std::string_view> headings,
                           const CellTranslator& translate) {
    std::vector<std::string> values;
    std::vector<std::string> keys;
    const snmp::WalkEnd end = query_.Walk(suffix, values, keys);
    TableLines =
        LayOutTable(headings, values, keys, settings_.RawData ? CellTranslator{} : translate);
    // The view and a saved file say so themselves, not only the message box.
    const std::string why = ReportWalkEnd(end, mib::TableNames[table]);
    if (!why.empty()) TableLines.push_back("(" + why + ")");
}

std::string Statistics::ReportWalkEnd(snmp::WalkEnd end, std::string_view table) {
    std::string why;
    switch (end) {
    case snmp::WalkEnd::LeftTable:
        return why;
    case snmp::WalkEnd::NoReply:
        // A lost router is shown as such; one that merely stopped this walk is reported.
        if (!query_.RouterPresent) return why;
        why = "the router stopped answering";
        break;
    case snmp::WalkEnd::RowLimit:
        why = "the router sent more than " + std::to_string(snmp::MaxWalkRows) + " values";
        break;
    case snmp::WalkEnd::WentBackwards:
        why = "the router answered out of order";
        break;
    }
    why = std::string(table) + " is incomplete: " + why;
    Errors.push_back(why);
    return why;
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
    WalkTable(1, "4.20", mib::IpAddrColumns, [this](int column, const std::string& value) {
        return column == 1 ? InterfaceLabel(value) : value;
    });
}

void Statistics::ipRouteTableGetData() {
    WalkTable(2, "4.21", mib::IpRouteColumns, [this](int column, const std::string& value) {
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
    WalkTable(3, "4.22", mib::IpNetToMediaColumns, [this](int column, const std::string& value) {
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
    WalkTable(4, "6.13", mib::TcpConnColumns, [](int column, const std::string& value) {
        return column == 0 ? Lookup(mib::TcpConnStateText, value) : value;
    });
}

void Statistics::udpTableGetData() {
    WalkTable(5, "7.5", mib::UdpColumns, {});
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
    if (!query_.CorvanePresent()) {
        ForgetRouter();
        return false;
    }
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
    // A router lost half-way has already played the error sound.
    if (!query_.RouterPresent) {
        ForgetRouter();
        return false;
    }
    if (settings_.ConBeep) query_.sounds().Play(Sound::Information);
    return true;
}

} // namespace core
