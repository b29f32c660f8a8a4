// Enumeration texts and the lookup that every page uses to show enumerated values.
#include "MIBConstants.h"

#include <gtest/gtest.h>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct EnumTable {
    const char* name;
    std::span<const std::string_view> texts;
    std::vector<std::string_view> expected;
};

std::vector<EnumTable> AllEnumTables() {
    return {
        {"ForwardingText", mib::ForwardingText, {"0", "forwarding(1)", "non-forwarding(2)"}},
        {"RtoAlgorithmText",
         mib::RtoAlgorithmText,
         {"0", "other(1)", "constant(2)", "rsre(3)", "vanj(4)"}},
        {"EnableText", mib::EnableText, {"0", "enabled(1)", "disabled(2)"}},
        {"UpDownText", mib::UpDownText, {"0", "up(1)", "down(2)", "testing(3)"}},
        {"TruthText", mib::TruthText, {"0", "true(1)", "false(2)"}},
        {"RouteTypeText",
         mib::RouteTypeText,
         {"0", "other(1)", "invalid(2)", "direct(3)", "indirect(4)"}},
        {"RouteProtoText",
         mib::RouteProtoText,
         {"0", "other(1)", "local(2)", "netmgmt(3)", "icmp(4)", "egp(5)", "ggp(6)", "hello(7)",
          "rip(8)", "is-is(9)", "es-is(10)", "ciscoIgrp(11)", "bbnSpfIgp(12)", "ospf(13)",
          "bgp(14)"}},
        {"NetToMediaTypeText",
         mib::NetToMediaTypeText,
         {"0", "other(1)", "invalid(2)", "dynamic(3)", "static(4)"}},
        {"TcpConnStateText",
         mib::TcpConnStateText,
         {"0", "closed(1)", "listen(2)", "synSent(3)", "synReceived(4)", "established(5)",
          "finWait1(6)", "finWait2(7)", "closeWait(8)", "lastAck(9)", "closing(10)", "timeWait(11)",
          "deleteTCB(12)"}},
    };
}

TEST(EnumerationTables, ZeroThenEachNameWithItsNumber) {
    for (const EnumTable& t : AllEnumTables()) {
        SCOPED_TRACE(t.name);
        ASSERT_EQ(t.texts.size(), t.expected.size());
        EXPECT_EQ(t.texts[0], "0");
        for (size_t i = 0; i < t.texts.size(); ++i) {
            EXPECT_EQ(t.texts[i], t.expected[i]);
            if (i == 0) continue;
            // the number in parentheses must be the position, or lookups show the wrong state
            const std::string suffix = "(" + std::to_string(i) + ")";
            const std::string_view text = t.texts[i];
            ASSERT_GT(text.size(), suffix.size());
            EXPECT_EQ(text.substr(text.size() - suffix.size()), suffix);
        }
    }
}

struct LookupCase {
    std::span<const std::string_view> table;
    std::string_view value;
    std::string_view shown;
};

TEST(EnumLookup, ReadsTheLeadingNumberAndKeepsWhatIsOutOfRange) {
    const LookupCase cases[] = {
        {mib::TcpConnStateText, "5", "established(5)"},
        {mib::TcpConnStateText, "12", "deleteTCB(12)"},
        {mib::TcpConnStateText, "13", "13"},
        {mib::UpDownText, "3", "testing(3)"},
        {mib::UpDownText, "5", "5"},
        {mib::ForwardingText, "1", "forwarding(1)"},
        {mib::ForwardingText, "2", "non-forwarding(2)"},
        {mib::ForwardingText, "3", "3"},
        {mib::RtoAlgorithmText, "4", "vanj(4)"},
        {mib::RtoAlgorithmText, "5", "5"},
        {mib::EnableText, "2", "disabled(2)"},
        {mib::RouteProtoText, "2", "local(2)"},
        {mib::RouteTypeText, "7", "7"},
        // a value that did not arrive reads as 0, which the tables show as "0"
        {mib::ForwardingText, "NULL", "0"},
        {mib::ForwardingText, "", "0"},
        {mib::ForwardingText, "0", "0"},
        {mib::TruthText, "abc1", "0"},
        // negative values are shown as received
        {mib::ForwardingText, "-1", "-1"},
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
    for (const LookupCase& c : cases) {
        SCOPED_TRACE("value '" + std::string(c.value) + "'");
        EXPECT_EQ(mib::EnumLookup(c.table, c.value), c.shown);
    }
}

} // namespace
