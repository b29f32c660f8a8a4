#include "Formatters.h"

#include <QLocale>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using core::ConversionError;

struct Case {
    std::string in;
    std::string out;
};

// The locale decides the decimal separator; pin it so the machine's LANG cannot.
class Formatters : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    static void UseGerman() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
};

TEST_F(Formatters, LeadingIntegerReads64BitsAndSaturates) {
    constexpr int64_t max = std::numeric_limits<int64_t>::max();
    constexpr int64_t min = std::numeric_limits<int64_t>::min();
    const std::vector<std::pair<std::string, int64_t>> cases = {
        {"", 0},
        {"NULL", 0},
        {"-", 0},
        {"  42 apples", 42},
        {"\t+17", 17},
        {"-15", -15},
        {"12x34", 12},
        {"4294967295", 4294967295LL},
        {"3000000000", 3000000000LL},
        {"9223372036854775807", max},
        {"9223372036854775808", max},
        {"18446744073709551615", max},
        {"99999999999999999999999999999999", max},
        {"-9223372036854775808", min},
        {"-9223372036854775809", min},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(core::LeadingInteger(in), out) << '"' << in << '"';
}

TEST_F(Formatters, MacAddressOnlyForSixOctets) {
    const std::string six("\x00\x11\x22\xAA\xBB\x0F", 6);
    EXPECT_EQ(core::StrToMAC(six), "00:11:22:AA:BB:0F");
    EXPECT_EQ(core::StrToMAC(std::string("\xFF\x01\x02\x03\x04\xFE", 6)), "FF:01:02:03:04:FE");
    for (const std::string& passThrough :
         {std::string("NULL"), std::string(), std::string("\x00\x11\x22\xAA\xBB", 5),
          std::string("\x00\x11\x22\xAA\xBB\x0F\x01", 7)})
        EXPECT_EQ(core::StrToMAC(passThrough), passThrough);
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
        {"99", 0, false, "0 days 0 hours 0 mins 0 secs ", "0d:0h:0m:0s:"},
        {"123456789", 0, false, "14 days 6 hours 56 mins 7 secs ", "14d:6h:56m:7s:"},
        {"NULL", 0, false, "0 days 0 hours 0 mins 0 secs ", "0d:0h:0m:0s:"},
        // Relative: elapsed since the recorded moment.
        {"1000", 361000, true, "0 days 1 hours 0 mins 0 secs ", "0d:1h:0m:0s:"},
        {"500400", 500000, true, "0 days 0 hours 0 mins -4 secs ", "0d:0h:0m:-4s:"},
        {"NULL", 8640000, true, "1 days 0 hours 0 mins 0 secs ", "1d:0h:0m:0s:"},
        // Past 2^31 - 1 hundredths (about 248 days) the value keeps counting.
        {"2147483648", 0, false, "248 days 13 hours 13 mins 56 secs ", "248d:13h:13m:56s:"},
        {"4294967295", 0, false, "497 days 2 hours 27 mins 52 secs ", "497d:2h:27m:52s:"},
        {"100", 4294967295LL, true, "497 days 2 hours 27 mins 51 secs ", "497d:2h:27m:51s:"},
        {"-8640100", 0, false, "-1 days 0 hours 0 mins -1 secs ", "-1d:0h:0m:-1s:"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::StrToTime(c.in, c.upTime, c.relative, true), c.verbose) << c.in;
        EXPECT_EQ(core::StrToTime(c.in, c.upTime, c.relative, false), c.brief) << c.in;
    }
}

TEST_F(Formatters, TimeDifferenceCannotOverflow) {
    constexpr int64_t max = std::numeric_limits<int64_t>::max();
    constexpr int64_t min = std::numeric_limits<int64_t>::min();
    const std::string atMax = core::StrToTime("9223372036854775807", max, false, false);
    EXPECT_EQ(core::StrToTime("-9223372036854775808", max, true, false), atMax);
    EXPECT_EQ(core::StrToTime("9223372036854775807", min, true, false).front(), '-');
}

TEST_F(Formatters, SpeedBoundaries) {
    const std::vector<Case> cases = {
        {"NULL", "0 Kbps"},
        {"999", "0 Kbps"},
        {"640000", "640 Kbps"},
        {"1000000", "1000 Kbps"},
        {"1000001", "1 Mbps"},
        {"1005000", "1.01 Mbps"},
        {"1500000", "1.5 Mbps"},
        {"8128000", "8.13 Mbps"},
        {"8125000", "8.13 Mbps"},
        {"8124999", "8.12 Mbps"},
        {"2999995000", "3000 Mbps"},
        {"4294967295", "4294.97 Mbps"},
        {"9223372036854775807", "9223372036854.78 Mbps"},
        {"-2500", "-2 Kbps"},
        {"12000 bps", "12 Kbps"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::StrToSpeed(c.in), c.out) << c.in;
}

TEST_F(Formatters, Decibels) {
    const std::vector<Case> cases = {
        {"65", "6.5 dB"},
        {"120", "12 dB"},
        {"-3", "-0.3 dB"},
        {"-15", "-1.5 dB"},
        {"NULL", "0 dB"},
        {"0", "0 dB"},
        {"-10", "-1 dB"},
        {"2147483648", "214748364.8 dB"},
        {"-2147483649", "-214748364.9 dB"},
        {"999999999999999", "99999999999999.9 dB"},
        // Beyond 15 significant digits the general form rounds.
        {"1234567890123456", "123456789012346 dB"},
        {"9223372036854775807", "9.22337203685478e+17 dB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::StrTodB(c.in), c.out) << c.in;
}

TEST_F(Formatters, BytesUnitsAndThresholds) {
    const std::vector<Case> cases = {
        {"NULL", "0 KB"},
        {"", "0 KB"},
        {"0", "0 KB"},
        {"51", "0 KB"},
        {"52", "0.1 KB"},
        {"512", "0.5 KB"},
        {"1500", "1.5 KB"},
        {"1048576", "1024 KB"},
        {"1048577", "1 MB"},
        {"5000000", "4.77 MB"},
        {"1073741824", "1024 MB"},
        {"1073741825", "1 GB"},
        {"10000000000", "9.31 GB"},
        {"18446744073709551615", "17179869184 GB"},
        // 5.125 MB is exact in binary and rounds up as a person would.
        {"5373952", "5.13 MB"},
        {"  2048  ", "2 KB"},
        {"-1500", "-1.5 KB"},
        {"1.5e3", "1.5 KB"},
        {"2E6", "1.91 MB"},
        {"1e-400", "0 KB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::StrToBytes(c.in), c.out) << c.in;
}

TEST_F(Formatters, BytesRejectsTextThatIsNotANumber) {
    for (const std::string bad : {"abc", "12abc", "1,5", "1.2.3", " ", "e5", "1e", "0x10", "inf",
                                  "nan", "1e999", "--1", "1 000", "null"}) {
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
        {0x07, " ", core::StatusCellNarrow},
        {0x60, " lossOfFraming lossOfSignal ", core::StatusCellWide},
        {0x08, " lossOfSigQuality", core::StatusCellWide},
        {0x10, " lossOfPower ", core::StatusCellWide},
        {0xF8, " noDefect lossOfFraming lossOfSignal lossOfPower lossOfSigQuality",
         core::StatusCellWide},
    };
    for (const auto& c : cases) {
        // Only the first octet counts.
        const std::string text{static_cast<char>(c.octet), '\xFF'};
        const core::CurrStatus status = core::StrToCurrStatus(text);
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
        {"#####.## Mbps", 1.005, "1.01 Mbps"},
        {"#####.## Mbps", 2.675, "2.68 Mbps"},
        {"#####.## Mbps", -2.675, "-2.68 Mbps"},
        {"#####.## Mbps", 0.999, "1 Mbps"},
        {"#####.## Mbps", 99999.999, "100000 Mbps"},
        {"###0.# KB", 0.04, "0 KB"},
        {"###0.# KB", -0.04, "0 KB"},
        {"###0.# KB", 0.05, "0.1 KB"},
        {"###0.# KB", 9.95, "10 KB"},
        {"####.## MB", 1e20, "100000000000000000000 MB"},
        {"0.00", 1.5, "1.50"},
        {"#####.## GB", 0.25, ".25 GB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::FormatFloat(c.pattern, c.value), c.out) << c.pattern << ' ' << c.value;
}

TEST_F(Formatters, GermanLocaleUsesDecimalComma) {
    UseGerman();
    EXPECT_EQ(core::StrToSpeed("8128000"), "8,13 Mbps");
    EXPECT_EQ(core::StrToBytes("5000000"), "4,77 MB");
    EXPECT_EQ(core::StrToBytes("1500"), "1,5 KB");
    EXPECT_EQ(core::StrToBytes("1,5e3"), "1,5 KB");
    EXPECT_EQ(core::StrTodB("-15"), "-1,5 dB");
    EXPECT_EQ(core::StrTodB("1234567890123456"), "123456789012346 dB");
    EXPECT_EQ(core::StrTodB("12345678901234567"), "1,23456789012346e+15 dB");
    EXPECT_THROW(core::StrToBytes("1.5"), ConversionError);
}

} // namespace
