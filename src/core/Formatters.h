// Value texts as the router delivers them, turned into the texts a page cell shows.
// Pure functions; the decimal separator is that of QLocale() (the default locale).
#pragma once

#include "snmp/Codec.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace core {

// The codec's reader of a value text's leading integer: 64 bits, saturating, 0 without digits.
using snmp::LeadingInteger;

// A value text that is not a number where one is required; what() is the user-facing message.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string StrToMAC(std::string_view text);
// Hundredths of a second; relative measures back from routerUpTime.
std::string StrToTime(std::string_view text, int64_t routerUpTime, bool relative, bool verbose);
std::string StrToSpeed(std::string_view text);
std::string StrTodB(std::string_view text);
// Throws ConversionError("'<text>' is not a valid floating point value") for a non-number.
std::string StrToBytes(std::string_view text);

inline constexpr int StatusCellNarrow = 260;
inline constexpr int StatusCellWide = 552;
struct CurrStatus {
    std::string text;
    int width; // the line-status cell's width: StatusCellNarrow or StatusCellWide
};
CurrStatus StrToCurrStatus(std::string_view text);

// Formats a number with a pattern such as "#####.## Mbps" or "###0.# KB".
std::string FormatFloat(std::string_view pattern, double value);

} // namespace core
