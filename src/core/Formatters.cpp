#include "Formatters.h"

#include <QLocale>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace core {

namespace {

std::string DecimalSeparator() {
    return QLocale().decimalPoint().toStdString();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A non-negative decimal number as its digits and the position of the decimal point: the value
// is 0.digits x 10^point. Keeping numbers in this form lets the patterns round in decimal, so a
// quotient such as 8.125 rounds to 8.13 whatever its nearest binary double happens to be.
struct Decimal {
    std::string digits; // no leading zeros; empty for zero
    int point = 0;
    bool negative = false;
};

Decimal DecimalFromInteger(int64_t value, int shift) {
    Decimal d;
    d.negative = value < 0;
    // The magnitude of INT64_MIN does not fit an int64; do the sign in unsigned arithmetic.
    uint64_t magnitude =
        d.negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    d.digits = std::to_string(magnitude);
    if (magnitude == 0) d.digits.clear();
    d.point = static_cast<int>(d.digits.size()) - shift;
    return d;
}

// The shortest digits that read back as the same double: what a person would write for it.
Decimal DecimalFromDouble(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    std::array<char, 64> buf{};
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value),
                                   std::chars_format::scientific);
    if (ec != std::errc()) return d;
    std::string_view text(buf.data(), static_cast<size_t>(end - buf.data()));
    const size_t e = text.find('e');
    for (char c : text.substr(0, e))
        if (IsDigit(c)) d.digits.push_back(c);
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    exponent);
    d.point = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty()) d.point = 0;
    return d;
}

struct Pattern {
    int minIntegerDigits = 0;
    int maxDecimals = 0;
    int minDecimals = 0;
    std::string_view suffix;
};

Pattern ParsePattern(std::string_view pattern) {
    Pattern p;
    size_t i = 0;
    bool afterPoint = false;
    for (; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (c == '#' || c == '0') {
            if (afterPoint) {
                ++p.maxDecimals;
                if (c == '0') p.minDecimals = p.maxDecimals;
            } else if (c == '0') {
                ++p.minIntegerDigits;
            }
        } else {
            break;
        }
    }
    p.suffix = pattern.substr(i);
    return p;
}

// Rounds to `decimals` places, halves away from zero, and returns value x 10^decimals as digits.
std::string RoundScaled(const Decimal& d, int decimals) {
    const long keep = static_cast<long>(d.point) + decimals;
    if (keep < 0 || d.digits.empty()) return "0";
    std::string scaled;
    const auto available = static_cast<long>(d.digits.size());
    scaled = d.digits.substr(0, static_cast<size_t>(std::min(keep, available)));
    if (keep > available) scaled.append(static_cast<size_t>(keep - available), '0');
    if (keep < available && d.digits[static_cast<size_t>(keep)] >= '5') {
        long i = static_cast<long>(scaled.size()) - 1;
        for (; i >= 0; --i) {
            char& c = scaled[static_cast<size_t>(i)];
            if (c == '9') {
                c = '0';
            } else {
                ++c;
                break;
            }
        }
        if (i < 0) scaled.insert(scaled.begin(), '1');
    }
    const size_t first = scaled.find_first_not_of('0');
    return first == std::string::npos ? "0" : scaled.substr(first);
}

std::string FormatDecimal(std::string_view pattern, const Decimal& d) {
    const Pattern p = ParsePattern(pattern);
    std::string scaled = RoundScaled(d, p.maxDecimals);
    const bool zero = scaled == "0";
    if (scaled.size() <= static_cast<size_t>(p.maxDecimals))
        scaled.insert(0, static_cast<size_t>(p.maxDecimals) + 1 - scaled.size(), '0');
    std::string integer = scaled.substr(0, scaled.size() - static_cast<size_t>(p.maxDecimals));
    std::string fraction = scaled.substr(integer.size());
    while (fraction.size() > static_cast<size_t>(p.minDecimals) && fraction.back() == '0')
        fraction.pop_back();
    const size_t firstSignificant = integer.find_first_not_of('0');
    integer = firstSignificant == std::string::npos ? "" : integer.substr(firstSignificant);
    if (integer.size() < static_cast<size_t>(p.minIntegerDigits))
        integer.insert(0, static_cast<size_t>(p.minIntegerDigits) - integer.size(), '0');
    // A pattern without forced digits would print nothing at all for zero. (push_back, not
    // `= "0"`: GCC 12's Release build warns a false -Wrestrict overlap on the assignment.)
    if (integer.empty() && fraction.empty()) integer.push_back('0');

    std::string out;
    if (d.negative && !zero) out.push_back('-');
    out += integer;
    if (!fraction.empty()) out += DecimalSeparator() + fraction;
    out += p.suffix;
    return out;
}

// The whole text as a floating-point number: blanks around, sign, digits with the locale's
// decimal separator, an optional exponent. False for anything else, including out of range.
bool ParseFloat(std::string_view text, double& value) {
    const std::string separator = DecimalSeparator();
    size_t i = 0;
    size_t end = text.size();
    while (i < end && IsBlank(text[i]))
        ++i;
    while (end > i && IsBlank(text[end - 1]))
        --end;

    std::string plain; // the same number in the form from_chars reads
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain.push_back('-');
        ++i;
    }
    // Decimal exponent of the leading non-zero digit, to tell underflow from overflow.
    int64_t lead = 0;
    bool nonZero = false;
    bool leadInInteger = false;
    int integerDigits = 0;
    int fractionDigits = 0;
    bool inFraction = false;
    while (i < end) {
        if (IsDigit(text[i])) {
            if (!nonZero && text[i] != '0') {
                nonZero = true;
                leadInInteger = !inFraction;
                lead = inFraction ? -(fractionDigits + 1) : integerDigits; // index for now
            }
            ++(inFraction ? fractionDigits : integerDigits);
            plain.push_back(text[i++]);
        } else if (!inFraction && !separator.empty() &&
                   text.substr(i, separator.size()) == separator) {
            inFraction = true;
            plain.push_back('.');
            i += separator.size();
        } else {
            break;
        }
    }
    if (integerDigits + fractionDigits == 0) return false;
    // An integer digit's exponent counts from the end of the integer part.
    if (leadInInteger) lead = integerDigits - 1 - lead;
    int64_t exponent = 0;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        plain.push_back('e');
        ++i;
        bool exponentNegative = false;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            exponentNegative = text[i] == '-';
            plain.push_back(text[i++]);
        }
        const size_t exponentStart = i;
        for (; i < end && IsDigit(text[i]); ++i) {
            plain.push_back(text[i]);
            exponent = std::min<int64_t>(exponent * 10 + (text[i] - '0'), 1000000);
        }
        if (i == exponentStart) return false;
        if (exponentNegative) exponent = -exponent;
    }
    if (i != end) return false;

    const char* first = plain.data();
    auto [ptr, ec] = std::from_chars(first, first + plain.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small to represent is zero; too large is not a value at all.
        if (!nonZero || lead + exponent < 0) {
            value = 0.0;
            return true;
        }
        return false;
    }
    return ec == std::errc() && ptr == first + plain.size() && std::isfinite(value);
}

} // namespace

std::string StrToMAC(std::string_view text) {
    if (text.size() != 6) return std::string(text);
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto octet = static_cast<unsigned char>(text[i]);
        if (i) out.push_back(':');
        out.push_back(hex[octet >> 4]);
        out.push_back(hex[octet & 0x0F]);
    }
    return out;
}

std::string StrToTime(std::string_view text, int64_t routerUpTime, bool relative, bool verbose) {
    int64_t t = LeadingInteger(text);
    // A value far from the uptime must not overflow the difference; the saturated result is
    // as meaningless as any other for such a value, but it is defined.
    if (relative) {
        constexpr int64_t lo = std::numeric_limits<int64_t>::min();
        constexpr int64_t hi = std::numeric_limits<int64_t>::max();
        if (t > 0 && routerUpTime < lo + t)
            t = lo;
        else if (t < 0 && routerUpTime > hi + t)
            t = hi;
        else
            t = routerUpTime - t;
    }
    // A change said to lie ahead of the uptime has no duration to show.
    if (t < 0) return "NULL";
    const int64_t days = t / 8640000;
    int64_t r = t % 8640000;
    const int64_t hours = r / 360000;
    r %= 360000;
    const int64_t mins = r / 6000;
    const int64_t secs = (r % 6000) / 100;
    auto n = [](int64_t v) { return std::to_string(v); };
    if (verbose)
        return n(days) + " days " + n(hours) + " hours " + n(mins) + " mins " + n(secs) + " secs ";
    return n(days) + "d:" + n(hours) + "h:" + n(mins) + "m:" + n(secs) + "s:";
}

std::string StrToSpeed(std::string_view text) {
    const int64_t v = LeadingInteger(text);
    if (v <= 1000000) return std::to_string(v / 1000) + " Kbps";
    return FormatDecimal("#####.## Mbps", DecimalFromInteger(v, 6));
}

std::string StrTodB(std::string_view text) {
    const int64_t v = LeadingInteger(text);
    // Tenths up to 15 digits are exact as integer and remainder; beyond that the general
    // 15-digit form of the quotient.
    if (v > -1000000000000000 && v < 1000000000000000) {
        std::string out = v < 0 ? "-" : "";
        const int64_t magnitude = v < 0 ? -v : v;
        out += std::to_string(magnitude / 10);
        if (magnitude % 10) out += DecimalSeparator() + std::to_string(magnitude % 10);
        return out + " dB";
    }
    std::array<char, 64> buf{};
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<double>(v) / 10,
                                   std::chars_format::general, 15);
    std::string out(buf.data(), ec == std::errc() ? end : buf.data());
    if (const size_t dot = out.find('.'); dot != std::string::npos)
        out.replace(dot, 1, DecimalSeparator());
    return out + " dB";
}

std::string StrToBytes(std::string_view text) {
    double x = 0.0;
    if (!text.empty() && text != "NULL" && !ParseFloat(text, x))
        throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
    constexpr double KB = 1024.0;
    constexpr double MB = KB * 1024.0;
    constexpr double GB = MB * 1024.0;
    if (x > GB) return FormatFloat("#####.## GB", x / GB);
    if (x > MB) return FormatFloat("####.## MB", x / MB);
    return FormatFloat("###0.# KB", x / KB);
}

CurrStatus StrToCurrStatus(std::string_view text) {
    static constexpr std::pair<unsigned char, const char*> names[] = {
        {0x80, "noDefect "},    {0x40, "lossOfFraming "},   {0x20, "lossOfSignal "},
        {0x10, "lossOfPower "}, {0x08, "lossOfSigQuality"},
    };
    CurrStatus status{" ", StatusCellNarrow};
    const unsigned char b = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    for (const auto& [bit, name] : names)
        if (b & bit) status.text += name;
    if (status.text != " " && status.text != " noDefect ") status.width = StatusCellWide;
    return status;
}

std::string FormatFloat(std::string_view pattern, double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    return FormatDecimal(pattern, DecimalFromDouble(value));
}

} // namespace core
