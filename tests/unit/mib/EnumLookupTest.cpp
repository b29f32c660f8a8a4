// Enumeration texts and the lookup that every page uses to show enumerated values.
#include "mib/MIBConstants.h"

#include <gtest/gtest.h>
#include <span>
#include <string>
#include <string_view>

namespace {

// The number in parentheses must be the position, or lookups show the wrong state.
TEST(EnumerationTables, ZeroThenEachNameWithItsNumber) {
    const std::span<const std::string_view> tables[] = {
        mib::ForwardingText, mib::RtoAlgorithmText,   mib::EnableText,
        mib::UpDownText,     mib::TruthText,          mib::RouteTypeText,
        mib::RouteProtoText, mib::NetToMediaTypeText, mib::TcpConnStateText};
    for (const auto& texts : tables) {
        ASSERT_GT(texts.size(), 2u);
        EXPECT_EQ(texts[0], "0");
        for (size_t i = 1; i < texts.size(); ++i) {
            const std::string suffix = "(" + std::to_string(i) + ")";
            EXPECT_GT(texts[i].size(), suffix.size() + 1) << texts[i];
            EXPECT_TRUE(texts[i].ends_with(suffix)) << texts[i];
        }
    }
}

TEST(EnumLookup, ReadsTheLeadingNumberAndKeepsWhatIsOutOfRange) {
    const struct {
        std::span<const std::string_view> table;
        std::string_view value;
        std::string_view shown;
    } cases[] = {
        {mib::TcpConnStateText, "12", "deleteTCB(12)"},
        {mib::TcpConnStateText, "13", "13"},
        {mib::ForwardingText, "1", "forwarding(1)"},
        {mib::ForwardingText, "3", "3"},
        // a value that did not arrive reads as 0, which the tables show as "0"
        {mib::ForwardingText, "NULL", "0"},
        {mib::ForwardingText, "", "0"},
        {mib::TruthText, "abc1", "0"},
        // negative values are shown as received
        {mib::TcpConnStateText, "-5", "-5"},
        // blanks, a sign, and trailing text around the number
        {mib::RtoAlgorithmText, " 3", "rsre(3)"},
        {mib::RtoAlgorithmText, "3abc", "rsre(3)"},
        {mib::RtoAlgorithmText, "+2", "constant(2)"},
        {mib::RtoAlgorithmText, "02", "constant(2)"},
        {mib::RtoAlgorithmText, "- 2", "0"},
        // numbers beyond any integer type must not wrap round into a valid index
        {mib::ForwardingText, "4294967297", "4294967297"},
        {mib::ForwardingText, "18446744073709551617", "18446744073709551617"},
        {mib::ForwardingText, "99999999999999999999999999999", "99999999999999999999999999999"},
        {mib::ForwardingText, "-99999999999999999999999999999", "-99999999999999999999999999999"},
        {{}, "0", "0"},
        {{}, "NULL", "NULL"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mib::EnumLookup(c.table, c.value), c.shown) << "value '" << c.value << "'";
}

} // namespace
