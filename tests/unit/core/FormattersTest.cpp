#include "core/Formatters.h"

#include <QLocale>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using core::ConversionError;
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

// The locale decides the decimal separator; pin it so the machine's LANG cannot.
class Formatters : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(Formatters, OneValueFormatters) {
    using Formatter = std::string (*)(std::string_view);
    struct Case {
        Formatter f;
        std::string in;
        std::string out;
    };
    const Formatter mac = core::StrToMAC, speed = core::StrToSpeed, dB = core::StrTodB,
                    bytes = core::StrToBytes;
    const std::vector<Case> cases = {
        {mac, std::string("\x00\x11\x22\xAA\xBB\x0F", 6), "00:11:22:AA:BB:0F"},
        {mac, std::string("\x00\x11\x22\xAA\xBB", 5), std::string("\x00\x11\x22\xAA\xBB", 5)},
        {mac, "\x01\x11\x22\xAA\xBB\x0F\x01", "\x01\x11\x22\xAA\xBB\x0F\x01"},
        // Kbps up to one million inclusive, truncated; Mbps above, rounded half away from zero.
        {speed, "1000000", "1000 Kbps"},
        {speed, "1000001", "1 Mbps"},
        {speed, "1500000", "1.5 Mbps"},
        {speed, "8125000", "8.13 Mbps"},
        {speed, "9223372036854775807", "9223372036854.78 Mbps"},
        {speed, "-2500", "-2 Kbps"},
        {dB, "65", "6.5 dB"},
        {dB, "-15", "-1.5 dB"},
        // Beyond 15 significant digits the general form rounds, and far beyond it turns to an
        // exponent.
        {dB, "1234567890123456", "123456789012346 dB"},
        {dB, "9223372036854775807", "9.22337203685478e+17 dB"},
        // Powers of 1024 with strict thresholds.
        {bytes, "NULL", "0 KB"},
        {bytes, "51", "0 KB"},
        {bytes, "52", "0.1 KB"},
        {bytes, "1048576", "1024 KB"},
        {bytes, "1048577", "1 MB"},
        {bytes, "5373952", "5.13 MB"}, // 5.125 exactly: half rounds up
        {bytes, "1073741825", "1 GB"},
        {bytes, "18446744073709551615", "17179869184 GB"},
        {bytes, "  2048  ", "2 KB"},
        {bytes, "-1500", "-1.5 KB"},
        {bytes, "1.5e3", "1.5 KB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.f(c.in), c.out) << '"' << c.in << '"';
}

TEST_F(Formatters, TimeVerboseAndShort) {
    struct TimeCase {
        std::string in;
        int64_t upTime;
        bool relative;
        std::string verbose;
        std::string brief;
    };
    const std::vector<TimeCase> cases = {
        {"8640000", 0, false, "1 days 0 hours 0 mins 0 secs ", "1d:0h:0m:0s:"},
        {"123456789", 0, false, "14 days 6 hours 56 mins 7 secs ", "14d:6h:56m:7s:"},
        // Relative: elapsed since the recorded moment.
        {"1000", 361000, true, "0 days 1 hours 0 mins 0 secs ", "0d:1h:0m:0s:"},
        {"500400", 500000, true, "NULL", "NULL"},
        // Past 2^31 - 1 hundredths (about 248 days) the value keeps counting.
        {"2147483648", 0, false, "248 days 13 hours 13 mins 56 secs ", "248d:13h:13m:56s:"},
        {"100", 4294967295LL, true, "497 days 2 hours 27 mins 51 secs ", "497d:2h:27m:51s:"},
        {"-8640100", 0, false, "NULL", "NULL"}, // a negative duration is never shown
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::StrToTime(c.in, c.upTime, c.relative, true), c.verbose) << c.in;
        EXPECT_EQ(core::StrToTime(c.in, c.upTime, c.relative, false), c.brief) << c.in;
    }
    // The difference of two extreme values must not overflow.
    EXPECT_EQ(core::StrToTime("-9223372036854775808", kMax, true, false),
              core::StrToTime("9223372036854775807", 0, false, false));
    EXPECT_EQ(core::StrToTime("9223372036854775807", kMin, true, false), "NULL");
}

TEST_F(Formatters, BytesRejectsTextThatIsNotANumber) {
    for (const std::string bad :
         {"12abc", "1,5", "1.2.3", " ", "e5", "0x10", "inf", "nan", "1e999", "1 000", "null"}) {
        try {
            core::StrToBytes(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const ConversionError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + bad + "' is not a valid floating point value");
        }
    }
}

TEST_F(Formatters, LineStatusNamesAndCellWidth) {
    struct StatusCase {
        unsigned char octet;
        std::string text;
        int width;
    };
    const std::vector<StatusCase> cases = {
        {0x80, " noDefect ", core::StatusCellNarrow},
        {0x00, " ", core::StatusCellNarrow},
        {0x60, " lossOfFraming lossOfSignal ", core::StatusCellWide},
        {0x08, " lossOfSigQuality", core::StatusCellWide},
        {0xF8, " noDefect lossOfFraming lossOfSignal lossOfPower lossOfSigQuality",
         core::StatusCellWide},
    };
    for (const auto& c : cases) {
        // Only the first octet counts.
        const core::CurrStatus status =
            core::StrToCurrStatus(std::string{static_cast<char>(c.octet), '\xFF'});
        EXPECT_EQ(status.text, c.text) << int(c.octet);
        EXPECT_EQ(status.width, c.width) << int(c.octet);
    }
    EXPECT_EQ(core::StrToCurrStatus("").text, " ");
}

TEST_F(Formatters, PatternsRoundHalfAwayFromZeroInDecimal) {
    struct PatternCase {
        const char* pattern;
        double value;
        std::string out;
    };
    const std::vector<PatternCase> cases = {
        {"#####.## Mbps", 1.005, "1.01 Mbps"}, {"#####.## Mbps", -2.675, "-2.68 Mbps"},
        {"#####.## Mbps", 0.999, "1 Mbps"},    {"###0.# KB", 0.04, "0 KB"},
        {"###0.# KB", 9.95, "10 KB"},          {"####.## MB", 1e20, "100000000000000000000 MB"},
        {"#####.## GB", 0.25, ".25 GB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::FormatFloat(c.pattern, c.value), c.out) << c.pattern << ' ' << c.value;
}

TEST_F(Formatters, GermanLocaleUsesDecimalComma) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(core::StrToSpeed("8128000"), "8,13 Mbps");
    EXPECT_EQ(core::StrToBytes("1,5e3"), "1,5 KB");
    EXPECT_EQ(core::StrTodB("12345678901234567"), "1,23456789012346e+15 dB");
    EXPECT_THROW(core::StrToBytes("1.5"), ConversionError);
}

} // namespace
