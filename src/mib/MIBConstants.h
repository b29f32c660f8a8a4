// The dictionary that ties every value cell to its object: label, OID suffix relative to
// MIBPrefix, and hint text; plus enumeration texts, table headings and button hints.
// Constant, built in, and dependent on nothing else in the program.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace mib {

struct TMIBEntry {
    std::string_view Label;
    std::string_view OID; // relative to MIBPrefix; ".0" for a scalar, "." for a table column
    std::string_view Hint;
};

inline constexpr std::string_view MIBPrefix = "1.3.6.1.2.1.";

inline constexpr int SystemMIBLength = 24;
inline constexpr int IpMIBLength = 20;
inline constexpr int IcmpMIBLength = 26;
inline constexpr int TcpMIBLength = 14;
inline constexpr int UdpMIBLength = 4;
inline constexpr int SnmpMIBLength = 28;
inline constexpr int IfMIBLength = 20;
inline constexpr int IfXMIBLength = 17;
inline constexpr int AtucMIBLength = 12; // also the length of AturMIB

extern const TMIBEntry SystemMIB[SystemMIBLength];
extern const TMIBEntry IpMIB[IpMIBLength];
extern const TMIBEntry IcmpMIB[IcmpMIBLength];
extern const TMIBEntry TcpMIB[TcpMIBLength];
extern const TMIBEntry UdpMIB[UdpMIBLength];
extern const TMIBEntry SnmpMIB[SnmpMIBLength];
extern const TMIBEntry IfMIB[IfMIBLength];
extern const TMIBEntry IfXMIB[IfXMIBLength];
extern const TMIBEntry AtucMIB[AtucMIBLength];
extern const TMIBEntry AturMIB[AtucMIBLength]; // OIDs only; labels and hints come from AtucMIB

// Enumeration texts indexed by value; entry 0 is "0".
extern const std::string_view ForwardingText[3];
extern const std::string_view RtoAlgorithmText[5];
extern const std::string_view EnableText[3];
extern const std::string_view UpDownText[4];
extern const std::string_view TruthText[3];
extern const std::string_view RouteTypeText[5];
extern const std::string_view RouteProtoText[15];
extern const std::string_view NetToMediaTypeText[5];
extern const std::string_view TcpConnStateText[13];

// The value text read as a whole number (0 when it does not start with one); when that number
// indexes `table`, its text, otherwise the value unchanged. "NULL" therefore becomes "0".
std::string EnumLookup(std::span<const std::string_view> table, std::string_view value);

// Tables page.
extern const std::string_view TableNames[6];
extern const std::string_view IpAddrColumns[5];
extern const std::string_view IpRouteColumns[13];
extern const std::string_view IpNetToMediaColumns[4];
extern const std::string_view TcpConnColumns[5];
extern const std::string_view UdpColumns[2];

// Button and option hints.
extern const std::string_view TableHints[6];
extern const std::string_view SetHint;
extern const std::string_view RefreshHint;
extern const std::string_view IntfHints[4];
extern const std::string_view AdslHints[2];
extern const std::string_view SysLogHints[4];
extern const std::string_view OptionsHints[17];

// Interface types that discovery looks for, in this order: ethernetCsmacd, ppp, adsl, other,
// rfc1483.
inline constexpr int InterfaceTypes[5] = {6, 23, 94, 1, 159};

} // namespace mib
