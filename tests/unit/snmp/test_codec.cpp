// The BER codec: primitives, value texts, the messages it encodes and replies captured from real
// agents.
#include "Codec.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace snmp;

namespace {

// "30 26 02" or "302602" -> octets.
std::string H(std::string_view hex) {
    std::string digits, out;
    for (char c : hex)
        if (c != ' ') digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return out;
}

std::string Hex(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace

TEST(CodecPrimitives, LengthsIntegersAndSubidentifiers) {
    const std::vector<std::pair<uint64_t, const char*>> lengths = {
        {0, "00"},      {127, "7F"},       {128, "81 80"},
        {255, "81 FF"}, {256, "82 01 00"}, {65536, "83 01 00 00"}};
    for (const auto& [n, hex] : lengths) {
        EXPECT_EQ(Hex(EncodeLength(n)), hex) << n;
        std::size_t pos = 0;
        EXPECT_EQ(DecodeLength(H(hex), pos), static_cast<int64_t>(n)) << hex;
        EXPECT_EQ(pos, H(hex).size()) << hex;
    }

    const std::vector<std::pair<int32_t, const char*>> integers = {{0, "00"},
                                                                   {127, "7F"},
                                                                   {128, "00 80"},
                                                                   {256, "01 00"},
                                                                   {-1, "FF FF FF FF"},
                                                                   {-128, "FF FF FF 80"},
                                                                   {INT32_MAX, "7F FF FF FF"},
                                                                   {INT32_MIN, "80 00 00 00"},
                                                                   {32768, "00 80 00"}};
    for (const auto& [v, hex] : integers)
        EXPECT_EQ(Hex(EncodeInteger(v)), hex) << v;

    const std::vector<std::pair<uint64_t, const char*>> subids = {
        {0, "00"},      {127, "7F"},         {128, "81 00"},
        {200, "81 48"}, {40917, "82 BF 55"}, {UINT64_MAX, "81 FF FF FF FF FF FF FF FF 7F"}};
    for (const auto& [v, hex] : subids) {
        EXPECT_EQ(Hex(EncodeSubId(v)), hex) << v;
        std::size_t pos = 0;
        EXPECT_EQ(DecodeSubId(H(hex), pos), v) << hex;
        EXPECT_EQ(pos, H(hex).size());
    }
}

TEST(CodecPrimitives, OidTextsAndAddresses) {
    const std::vector<std::pair<const char*, const char*>> roundTrip = {
        {"1.3.6.1.2.1.1.1.0", "2B 06 01 02 01 01 01 00"},
        {"2.8", "58"},
        {"0.39", "27"},
        {"1.3.6.1.4.1.40917.1", "2B 06 01 04 01 82 BF 55 01"},
        {"2.999.3", "88 37 03"}};
    for (const auto& [text, hex] : roundTrip) {
        EXPECT_EQ(Hex(OidTextToBer(text)), hex) << text;
        EXPECT_EQ(BerToOidText(H(hex)), text) << hex;
    }
    // Arcs that are not numbers, and a missing second arc, count as 0.
    EXPECT_EQ(Hex(OidTextToBer("1.3.x.-1.2")), "2B 00 00 02");
    EXPECT_EQ(Hex(OidTextToBer("1")), "28");
    EXPECT_EQ(BerToOidText(""), "");
    // A subidentifier cut by the end still ends the text instead of reading on.
    EXPECT_EQ(BerToOidText(H("2B 06 81")), "1.3.6.1");

    const std::vector<std::pair<const char*, const char*>> addresses = {
        {"192.168.1.254", "C0 A8 01 FE"},
        {"256.257.-1.x", "00 01 FF 00"},
        {"10.1", "0A 01 00 00"},
        {"1.2.3.4.5", "01 02 03 04"},
        {"", "00 00 00 00"}};
    for (const auto& [text, hex] : addresses)
        EXPECT_EQ(Hex(IpTextToBytes(text)), hex) << text;
}

TEST(CodecPrimitives, LeadingIntegerAndOidOrder) {
    const std::vector<std::pair<const char*, int64_t>> numbers = {
        {"42", 42},
        {"  -17 dB", -17},
        {"+5", 5},
        {"NULL", 0},
        {"", 0},
        {"12.5", 12},
        {"- 3", 0},
        {"99999999999999999999", INT64_MAX},
        {"-9223372036854775808", INT64_MIN}};
    for (const auto& [text, v] : numbers)
        EXPECT_EQ(LeadingInteger(text), v) << text;

    struct Order {
        const char* a;
        const char* b;
        bool greater;
    };
    const std::vector<Order> order = {{"1.3.6.1.2.1.4.20.1.1.10", "1.3.6.1.2.1.4.20.1.1.9", true},
                                      {"1.3.6.1.2.1.4.20.1.1.9", "1.3.6.1.2.1.4.20.1.1.10", false},
                                      {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.1.0", false},
                                      {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.1", true},
                                      {"1.3.6.1.2.1.1.1", "1.3.6.1.2.1.1.1.0", false},
                                      {"1.3.6.1.2.1.2", "1.3.6.1.2.1.1.9.9", true},
                                      {"1.3.6.1.2.1.1.99", "1.3.6.1.2.1.2", false}};
    for (const auto& o : order)
        EXPECT_EQ(OidGreater(o.a, o.b), o.greater) << o.a << " vs " << o.b;
}

// Every type's value text, read back from one encoded item.
TEST(CodecReadItem, ValueTextPerType) {
    struct Case {
        int32_t tag;
        const char* content;
        std::string text;
    };
    const std::vector<Case> cases = {
        {tag::Integer, "FF", "-1"},
        {tag::Integer, "", "0"},
        {tag::Integer, "80 00 00 00 00 00 00 00", "-9223372036854775808"},
        {tag::Integer, "01 00 00 00 00 00 00 00 05", "5"}, // 9 octets keep the low 64 bits
        {tag::Boolean, "01", "1"},
        {tag::Enumerated, "80", "-128"},
        {tag::Counter32, "FF FF FF FF", "4294967295"},
        {tag::Gauge32, "", "0"},
        {tag::TimeTicks, "01 00", "256"},
        {tag::Counter64, "00 FF FF FF FF FF FF FF FF", "18446744073709551615"},
        {tag::IpAddress, "C0 A8 01 FE", "192.168.1.254"},
        {tag::ObjectId, "2B 06 01 04 01", "1.3.6.1.4.1"},
        {tag::OctetString, "00 16 3E 00 A1 FF", H("00 16 3E 00 A1 FF")},
        {tag::Opaque, "9F 78 04", H("9F 78 04")},
        {0x47, "01 02", H("01 02")},
        {tag::Null, "", ""},
        {tag::NoSuchObject, "", ""},
        {tag::NoSuchInstance, "", ""},
        {tag::EndOfMibView, "", ""}};
    for (const auto& c : cases) {
        const std::string item = MakeObject(H(c.content), c.tag);
        std::size_t pos = 0;
        const Item read = ReadItem(item, pos);
        EXPECT_EQ(read.tag, c.tag) << c.content;
        EXPECT_EQ(read.value, c.text) << std::hex << c.tag << " " << c.content;
        EXPECT_EQ(pos, item.size()) << c.content;
    }
}

TEST(CodecReadItem, MalformedItemsStopInsideTheBuffer) {
    struct Case {
        const char* bytes;
        std::size_t start;
        int32_t tag;
        std::string value;
        std::size_t end;
    };
    const std::vector<Case> cases = {
        {"", 0, tag::Null, "", 0},
        {"02", 0, tag::Null, "", 0},              // fewer than two octets
        {"02 01 05", 10, tag::Null, "", 10},      // position past the end
        {"04 05 61 62", 0, 0x04, "", 2},          // content cut
        {"04 84 FF FF FF FF 61", 0, 0x04, "", 6}, // beyond 32-bit lengths
        {"04 84 80 00 00 00", 0, 0x04, "", 6},
        {"04 89 01 00 00 00 00 00 00 00 00", 0, 0x04, "", 11}, // 9 length octets
        {"04 89 00 00 00 00 00 00 00 00 01 61", 0, 0x04, "a", 12},
        {"04 83 00 01", 0, 0x04, "", 4},               // length octets cut
        {"04 80 61", 0, 0x04, "", 2},                  // indefinite reads as 0
        {"30 03 02 01 05", 0, 0x30, H("02 01 05"), 2}, // constructed: step inside
        {"A2 81 05 02 01 05", 0, 0xA2, "", 3},
        {"06 03 2B 06 81", 0, 0x06, "1.3.6.1", 5}, // last subidentifier open
    };
    for (const auto& c : cases) {
        const std::string buffer = H(c.bytes);
        std::size_t pos = c.start;
        const Item read = ReadItem(buffer, pos);
        EXPECT_EQ(read.tag, c.tag) << c.bytes;
        EXPECT_EQ(read.value, c.value) << c.bytes;
        EXPECT_EQ(pos, c.end) << c.bytes;
    }
}

TEST(CodecEncode, GetRequestBytesAndVersionOne) {
    TSNMPRec rec;
    rec.Version = 3; // never sent: the message always says 1
    rec.Community = "public";
    rec.PDUType = tag::GetRequest;
    rec.AddVarBind("1.3.6.1.2.1.1.1.0", "", tag::Null);
    EXPECT_EQ(Hex(rec.Encode()), "30 26 02 01 01 04 06 70 75 62 6C 69 63 A0 19 02 01 01 02 01 00 "
                                 "02 01 00 30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00");

    TSNMPRec empty;
    empty.PDUType = tag::GetNextRequest;
    empty.ID = -2;
    EXPECT_EQ(Hex(empty.Encode()),
              "30 15 02 01 01 04 00 A1 0E 02 04 FF FF FF FE 02 01 00 02 01 00 30 00");
}

TEST(CodecEncode, ValuePartPerType) {
    struct Case {
        int32_t type;
        std::string value;
        std::string part;
    };
    const std::vector<Case> cases = {
        {tag::Null, "ignored", "05 00"},
        {tag::Integer, "-5", "02 04 FF FF FF FB"},
        {tag::Integer, "abc", "02 01 00"},
        {tag::Integer, "4294967296", "02 01 00"}, // no 32-bit number
        {tag::ObjectId, "1.3.6.1.4.1", "06 05 2B 06 01 04 01"},
        {tag::IpAddress, "127.0.0.1", "40 04 7F 00 00 01"},
        {tag::OctetString, std::string("a\0b", 3), "04 03 61 00 62"},
    };
    for (const auto& c : cases) {
        TSNMPRec rec;
        rec.AddVarBind("1.3", c.value, c.type);
        const std::string bytes = Hex(rec.Encode());
        // The value part closes the message.
        ASSERT_GE(bytes.size(), c.part.size());
        EXPECT_EQ(bytes.substr(bytes.size() - c.part.size()), c.part) << Hex(c.value);
    }
}

TEST(CodecEncode, LongMessagesUseLongLengthsAndRoundTrip) {
    TSNMPRec rec;
    rec.Community = "private";
    rec.PDUType = tag::SetRequest;
    rec.ID = 70000;
    const std::string big(300, '\0');
    rec.AddVarBind("1.3.6.1.2.1.1.4.0", big, tag::OctetString);
    rec.AddVarBind("1.3.6.1.2.1.1.5.0", "gw", tag::OctetString);
    const std::string bytes = rec.Encode();
    EXPECT_EQ(Hex(bytes.substr(0, 4)), "30 82 01 6D");

    TSNMPRec back;
    ASSERT_TRUE(back.Decode(bytes));
    EXPECT_EQ(back.Version, 1);
    EXPECT_EQ(back.Community, "private");
    EXPECT_EQ(back.ID, 70000);
    ASSERT_EQ(back.VarBindCount(), 2);
    EXPECT_EQ(back.VarBind(0).Value, big);
    EXPECT_EQ(back.VarBind(1).OID, "1.3.6.1.2.1.1.5.0");
    EXPECT_EQ(back.VarBind(1).Value, "gw");
    back.PDUType = tag::SetRequest; // the PDU tag is not kept by Decode
    EXPECT_EQ(back.Encode(), bytes);
}

namespace {

// Replies captured from real agents on loopback: net-snmp 5.9.3 snmpd with a private snmpd.conf
// (sysDescr "Capture host for codec fixtures", sysObjectID .1.3.6.1.4.1.40917.1, `override` lines
// under .1.3.6.1.4.1.99999.1 for octets with 00, -5 and two gauges/integers at their limits) and
// snmpsim 0.4.5 serving TimeTicks 2^32-1, a MAC and Counter64 values of 2^64-1 and 2^63. The
// requests were this codec's own Encode() output; each reply datagram was pasted as received.
struct Capture {
    const char* name;
    const char* hex;
    const char* community;
    int32_t id;
    int32_t errorStatus;
    int32_t errorIndex;
    std::vector<TSNMPMib> binds;
    bool reencodes; // only NULL, INTEGER, OID, IpAddress and octet values survive Encode unchanged
};

const std::vector<Capture>& Captures() {
    const std::string mac("\x00\x16\x3e\x00\xa1\xff", 6);
    // clang-format off
    static const std::vector<Capture> captures = {
        {"snmpd system group, 3 varbinds",
         "306c02010104067075626c6963a25f0201010201000201003054302b06082b06010201010100041f43617074"
         "75726520686f737420666f7220636f646563206669787475726573301506082b0601020101020006092b0601"
         "040182bf5501300e06082b0601020101030043020579",
         "public", 1, 0, 0,
         {{"1.3.6.1.2.1.1.1.0", "Capture host for codec fixtures", tag::OctetString},
          {"1.3.6.1.2.1.1.2.0", "1.3.6.1.4.1.40917.1", tag::ObjectId},
          {"1.3.6.1.2.1.1.3.0", "1401", tag::TimeTicks}}, false},
        {"snmpd octets with 00, integers and a gauge",
         "306c02010104067075626c6963a25f02010102010002010030543015060b2b06010401868d1f010100040600"
         "163e00a1ff3010060b2b06010401868d1f0102000201fb3014060b2b06010401868d1f010300420500ffffff"
         "ff3013060b2b06010401868d1f01040002047fffffff",
         "public", 1, 0, 0,
         {{"1.3.6.1.4.1.99999.1.1.0", mac, tag::OctetString},
          {"1.3.6.1.4.1.99999.1.2.0", "-5", tag::Integer},
          {"1.3.6.1.4.1.99999.1.3.0", "4294967295", tag::Gauge32},
          {"1.3.6.1.4.1.99999.1.4.0", "2147483647", tag::Integer}}, false},
        {"snmpd notWritable(17) at index 1",
         "3028020101040770726976617465a21a020101020111020101300f300d06082b06010201010100040178",
         "private", 1, 17, 1, {{"1.3.6.1.2.1.1.1.0", "x", tag::OctetString}}, true},
        {"snmpd 171 octets: 0x81 lengths",
         "3081a802010104067075626c6963a2819a02010102010002010030818e302b06082b06010201010100041f43"
         "61707475726520686f737420666f7220636f646563206669787475726573301c06082b06010201010400041"
         "06e6f63406578616d706c652e74657374301606082b06010201010500040a666978747572652d6777301206"
         "082b0601020101060004067261636b2034301506082b0601020101020006092b0601040182bf5501",
         "public", 1, 0, 0,
         {{"1.3.6.1.2.1.1.1.0", "Capture host for codec fixtures", tag::OctetString},
          {"1.3.6.1.2.1.1.4.0", "noc@example.test", tag::OctetString},
          {"1.3.6.1.2.1.1.5.0", "fixture-gw", tag::OctetString},
          {"1.3.6.1.2.1.1.6.0", "rack 4", tag::OctetString},
          {"1.3.6.1.2.1.1.2.0", "1.3.6.1.4.1.40917.1", tag::ObjectId}}, true},
        {"snmpsim large counters and a MAC",
         "3076020101040766697874757265a268020101020100020100305d301106082b06010201010300430500ffff"
         "ffff3014060a2b060102010202010602040600163e00a1ff3018060b2b060102011f0101010602460900ffff"
         "ffffffffffff3018060b2b060102011f0101010a024609008000000000000000",
         "fixture", 1, 0, 0,
         {{"1.3.6.1.2.1.1.3.0", "4294967295", tag::TimeTicks},
          {"1.3.6.1.2.1.2.2.1.6.2", mac, tag::OctetString},
          {"1.3.6.1.2.1.31.1.1.1.6.2", "18446744073709551615", tag::Counter64},
          {"1.3.6.1.2.1.31.1.1.1.10.2", "9223372036854775808", tag::Counter64}}, false},
    };
    // clang-format on
    return captures;
}

} // namespace

TEST(CodecCaptured, DecodesFieldByFieldAndReencodesExactly) {
    for (const Capture& c : Captures()) {
        SCOPED_TRACE(c.name);
        const std::string bytes = H(c.hex);
        TSNMPRec rec;
        ASSERT_TRUE(rec.Decode(bytes));
        EXPECT_EQ(rec.Version, 1);
        EXPECT_EQ(rec.Community, c.community);
        EXPECT_EQ(rec.ID, c.id);
        EXPECT_EQ(rec.ErrorStatus, c.errorStatus);
        EXPECT_EQ(rec.ErrorIndex, c.errorIndex);
        ASSERT_EQ(rec.VarBindCount(), static_cast<int>(c.binds.size()));
        for (std::size_t i = 0; i < c.binds.size(); ++i) {
            const TSNMPMib& m = rec.VarBind(static_cast<int>(i));
            EXPECT_EQ(m.OID, c.binds[i].OID) << i;
            EXPECT_EQ(m.Value, c.binds[i].Value) << i;
            EXPECT_EQ(m.ValueType, c.binds[i].ValueType) << i;
        }
        if (c.reencodes) {
            rec.PDUType = tag::GetResponse;
            EXPECT_EQ(rec.Encode(), bytes);
        }
    }
}

// A datagram cut anywhere is refused, whether its outer length has one octet or two.
TEST(CodecCaptured, EveryCutOfARealReplyIsRefused) {
    for (const Capture& c : Captures()) {
        const std::string bytes = H(c.hex);
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            TSNMPRec rec;
            EXPECT_FALSE(rec.Decode(std::string_view(bytes).substr(0, n)))
                << c.name << " cut at " << n;
            EXPECT_EQ(rec.VarBindCount(), 0);
        }
    }
}

TEST(CodecDecode, MalformedFrames) {
    struct Case {
        const char* name;
        std::string bytes;
        bool accepted;
        int varbinds;
    };
    // The system group reply, its last value (TimeTicks 05 79) cut and the outer length patched.
    std::string cutValue = H(Captures()[0].hex);
    cutValue.resize(cutValue.size() - 2);
    cutValue[1] = static_cast<char>(cutValue.size() - 2);

    const std::vector<Case> cases = {
        {"empty", "", false, 0},
        {"one octet", H("30"), false, 0},
        {"primitive outer tag", H("020100"), false, 0},
        {"outer length past the end", H("3005020101"), false, 0},
        {"outer length beyond 32 bits", H("3084ffffffff020101"), false, 0},
        {"nine length octets", H("3089010000000000000000"), false, 0},
        {"outer length octets cut", H("3081"), false, 0},
        {"empty sequence", H("3000"), true, 0},
        {"indefinite outer length", H("3080020101"), true, 0},
        {"zero-length integers", H("300e02000400a2080200020002003000"), true, 0},
        {"varbind without a value",
         H("30170201010400a210020101020100020100300530030601"
           "2b"),
         true, 1},
        {"varbind value cut", cutValue, true, 3},
        {"one octet after the id", H("300b0201010400a2030201ff41"), true, 0},
    };
    for (const auto& c : cases) {
        TSNMPRec rec;
        EXPECT_EQ(rec.Decode(c.bytes), c.accepted) << c.name;
        EXPECT_EQ(rec.VarBindCount(), c.varbinds) << c.name;
    }
    TSNMPRec cut;
    ASSERT_TRUE(cut.Decode(cutValue));
    EXPECT_EQ(cut.VarBind(2).OID, "1.3.6.1.2.1.1.3.0");
    EXPECT_EQ(cut.VarBind(2).Value, "");
    EXPECT_EQ(cut.VarBind(2).ValueType, tag::TimeTicks);
}

TEST(CodecDecode, AppendsFindsFirstAndClearKeepsId) {
    TSNMPRec rec;
    rec.ID = 7;
    rec.AddVarBind("1.3.6.1.2.1.1.5.0", "first", tag::OctetString);
    rec.AddVarBind("1.3.6.1.2.1.1.5.0", "second", tag::OctetString);
    EXPECT_EQ(rec.FindValue("1.3.6.1.2.1.1.5.0"), "first");
    EXPECT_EQ(rec.FindValue("1.3.6.1.2.1.1.5"), "");

    ASSERT_TRUE(rec.Decode(H(Captures()[0].hex)));
    EXPECT_EQ(rec.VarBindCount(), 5);
    EXPECT_EQ(rec.VarBind(2).OID, "1.3.6.1.2.1.1.1.0");

    rec.Clear();
    EXPECT_EQ(rec.VarBindCount(), 0);
    EXPECT_EQ(rec.Community, "");
    EXPECT_EQ(rec.Version, 0);
    EXPECT_EQ(rec.ErrorStatus, 0);
    EXPECT_EQ(rec.ID, 1); // the decoded reply's id, kept by Clear
    ASSERT_TRUE(rec.Decode(H(Captures()[0].hex)));
    EXPECT_EQ(rec.VarBindCount(), 3);
    EXPECT_EQ(rec.FindValue("1.3.6.1.2.1.1.3.0"), "1401");
}
