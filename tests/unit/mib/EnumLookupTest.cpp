// Enumeration texts and the lookup that every page uses to show enumerated values.
#include "MIBConstants.h"

#include <gtest/gtest.h>
#include <span>
#include <string>
#include <string_view>

namespace {

TEST(EnumerationTables, ZeroThenEachNameWithItsNumber) {
    const struct {
        const char* name;
        std::span<const std::string_view> texts;
        size_t size;
        std::string_view last;
    } tables[] = {
        {"ForwardingText", mib::ForwardingText, 3, "non-forwarding(2)"},
        {"RtoAlgorithmText", mib::RtoAlgorithmText, 5, "vanj(4)"},
        {"EnableText", mib::EnableText, 3, "disabled(2)"},
        {"UpDownText", mib::UpDownText, 4, "testing(3)"},
        {"TruthText", mib::TruthText, 3, "false(2)"},
        {"RouteTypeText", mib::RouteTypeText, 5, "indirect(4)"},
        {"RouteProtoText", mib::RouteProtoText, 15, "bgp(14)"},
        {"NetToMediaTypeText", mib::NetToMediaTypeText, 5, "static(4)"},
        {"TcpConnStateText", mib::TcpConnStateText, 13, "deleteTCB(12)"},
    };
    for (const auto& t : tables) {
        SCOPED_TRACE(t.name);
        ASSERT_EQ(t.texts.size(), t.size);
        EXPECT_EQ(t.texts[0], "0");
        EXPECT_EQ(t.texts.back(), t.last);
        for (size_t i = 1; i < t.texts.size(); ++i) {
            // the number in parentheses must be the position, or lookups show the wrong state
            const std::string suffix = "(" + std::to_string(i) + ")";
            EXPECT_GT(t.texts[i].size(), suffix.size() + 1) << t.texts[i];
            EXPECT_TRUE(t.texts[i].ends_with(suffix)) << t.texts[i];
        }
    }
    EXPECT_EQ(mib::RouteProtoText[9], "is-is(9)");
    EXPECT_EQ(mib::TcpConnStateText[6], "finWait1(6)");
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
