// The BER codec: primitives, value texts, the messages it encodes and replies captured from real
// agents.
#include "snmp/Codec.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
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

} // namespace

TEST(CodecPrimitives, LengthsIntegersAndSubidentifiers) {
    const std::vector<std::pair<uint64_t, const char*>> lengths = {
        {127, "7F"}, {128, "81 80"}, {65536, "83 01 00 00"}};
    for (const auto& [n, hex] : lengths) {
        EXPECT_EQ(EncodeLength(n), H(hex)) << n;
        std::size_t pos = 0;
        EXPECT_EQ(DecodeLength(H(hex), pos), static_cast<int64_t>(n)) << hex;
        EXPECT_EQ(pos, H(hex).size()) << hex;
    }
    const std::vector<std::pair<int32_t, const char*>> integers = {
        {128, "00 80"}, {32768, "00 80 00"}, {INT32_MIN, "80 00 00 00"}};
    for (const auto& [v, hex] : integers)
        EXPECT_EQ(EncodeInteger(v), H(hex)) << v;
    const std::vector<std::pair<uint64_t, const char*>> subids = {
        {128, "81 00"}, {UINT64_MAX, "81 FF FF FF FF FF FF FF FF 7F"}};
    for (const auto& [v, hex] : subids) {
        EXPECT_EQ(EncodeSubId(v), H(hex)) << v;
        std::size_t pos = 0;
        EXPECT_EQ(DecodeSubId(H(hex), pos), v) << hex;
    }
    const std::vector<std::pair<const char*, const char*>> oids = {
        {"1.3.6.1.4.1.40917.1", "2B 06 01 04 01 82 BF 55 01"},
        {"2.8", "58"},
        {"0.39", "27"},
        {"2.999.3", "88 37 03"}};
    for (const auto& [text, hex] : oids) {
        EXPECT_EQ(OidTextToBer(text), H(hex)) << text;
        EXPECT_EQ(BerToOidText(H(hex)), text) << hex;
    }
    // Arcs that are not numbers, and a missing second arc, count as 0; a cut subidentifier ends.
    EXPECT_EQ(OidTextToBer("1.3.x.-1.2"), H("2B 00 00 02"));
    EXPECT_EQ(OidTextToBer("1"), H("28"));
    EXPECT_EQ(BerToOidText(H("2B 06 81")), "1.3.6.1");
}

// The one reader of leading integers, for the codec's decimal fields and the pages' numbers.
TEST(CodecPrimitives, LeadingInteger) {
    const std::vector<std::pair<const char*, int64_t>> numbers = {
        {"42", 42},
        {"  -17 dB", -17},
        {"\t+5", 5},
        {"NULL", 0},
        {"", 0},
        {"-", 0},
        {"- 3", 0},
        {"12.5", 12},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", INT64_MAX},
        {"99999999999999999999", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"-9223372036854775809", INT64_MIN}};
    for (const auto& [text, v] : numbers)
        EXPECT_EQ(LeadingInteger(text), v) << text;
}

// Every type's value text, read back from one encoded item. A number longer than 64 bits has
// none.
TEST(CodecReadItem, ValueTextPerType) {
    const std::vector<std::tuple<int32_t, const char*, std::string>> cases = {
        {tag::Integer, "FF", "-1"},
        {tag::Integer, "", "0"},
        {tag::Integer, "80 00 00 00 00 00 00 00", "-9223372036854775808"},
        {tag::Integer, "FF FF FF FF FF FF FF FF FF", ""},
        {tag::Boolean, "01", "1"},
        {tag::Enumerated, "80", "-128"},
        {tag::Counter64, "01 00 00 00 00 00 00 00 00", ""},
        {tag::Gauge32, "00 00 00 00 00 00 00 00 00 01", ""},
        {tag::IpAddress, "C0 A8 01 FE", "192.168.1.254"},
        {tag::Opaque, "9F 78 04", H("9F 78 04")},
        {tag::Null, "", ""},
        {tag::NoSuchInstance, "", ""}};
    for (const auto& [t, content, text] : cases) {
        const std::string item = MakeObject(H(content), t);
        std::size_t pos = 0;
        const Item read = ReadItem(item, pos);
        EXPECT_EQ(read.tag, t) << content;
        EXPECT_EQ(read.value, text) << t << " " << content;
        EXPECT_EQ(pos, item.size()) << content;
    }
}

TEST(CodecEncode, GetRequestAndLongLengths) {
    TSNMPRec rec;
    rec.Version = 3; // never sent: the message always says 1
    rec.Community = "public";
    rec.PDUType = tag::GetRequest;
    rec.AddVarBind("1.3.6.1.2.1.1.1.0", "", tag::Null);
    EXPECT_EQ(rec.Encode(), H("30 26 02 01 01 04 06 70 75 62 6C 69 63 A0 19 02 01 01 02 01 00 "
                              "02 01 00 30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00"));

    // Long lengths, and a round trip through Decode.
    rec.Clear();
    rec.PDUType = tag::SetRequest;
    rec.ID = 70000;
    rec.AddVarBind("1.3.6.1.2.1.1.4.0", std::string(300, '\0'), tag::OctetString);
    rec.AddVarBind("1.3.6.1.2.1.1.5.0", "gw", tag::OctetString);
    const std::string bytes = rec.Encode();
    EXPECT_EQ(bytes.substr(0, 4), H("30 82 01 66"));
    TSNMPRec back;
    ASSERT_TRUE(back.Decode(bytes));
    EXPECT_EQ(back.ID, 70000);
    EXPECT_EQ(back.Version, 1);
    ASSERT_EQ(back.VarBindCount(), 2);
    EXPECT_EQ(back.VarBind(0).Value, std::string(300, '\0'));
    back.PDUType = tag::SetRequest; // the PDU tag is not kept by Decode
    EXPECT_EQ(back.Encode(), bytes);
}

namespace {

// Replies captured from real agents on loopback: net-snmp 5.9.3 snmpd with a private snmpd.conf
// (`override` lines for octets with 00, -5 and a gauge and an integer at their limits) and
// snmpsim 0.4.5 serving TimeTicks 2^32-1, a MAC and Counter64 values of 2^64-1 and 2^63.
// The requests were this codec's own Encode() output; each reply datagram was pasted as received.
struct Capture {
    const char* hex;
    std::vector<TSNMPMib> binds;
};

const std::vector<Capture>& Captures() {
    const std::string mac("\x00\x16\x3e\x00\xa1\xff", 6);
    // clang-format off
    static const std::vector<Capture> captures = {
        {"306c02010104067075626c6963a25f02010102010002010030543015060b2b06010401868d1f010100040600"
         "163e00a1ff3010060b2b06010401868d1f0102000201fb3014060b2b06010401868d1f010300420500ffffff"
         "ff3013060b2b06010401868d1f01040002047fffffff",
         {{"1.3.6.1.4.1.99999.1.1.0", mac, tag::OctetString},
          {"1.3.6.1.4.1.99999.1.2.0", "-5", tag::Integer},
          {"1.3.6.1.4.1.99999.1.3.0", "4294967295", tag::Gauge32},
          {"1.3.6.1.4.1.99999.1.4.0", "2147483647", tag::Integer}}},
        {"3076020101040766697874757265a268020101020100020100305d301106082b06010201010300430500ffff"
         "ffff3014060a2b060102010202010602040600163e00a1ff3018060b2b060102011f0101010602460900ffff"
         "ffffffffffff3018060b2b060102011f0101010a024609008000000000000000",
         {{"1.3.6.1.2.1.1.3.0", "4294967295", tag::TimeTicks},
          {"1.3.6.1.2.1.2.2.1.6.2", mac, tag::OctetString},
          {"1.3.6.1.2.1.31.1.1.1.6.2", "18446744073709551615", tag::Counter64},
          {"1.3.6.1.2.1.31.1.1.1.10.2", "9223372036854775808", tag::Counter64}}},
    };
    // clang-format on
    return captures;
}

} // namespace

// Real replies decode field by field; cut anywhere, they are refused and add nothing.
TEST(CodecDecode, CapturedRepliesWholeAndCut) {
    for (const Capture& c : Captures()) {
        const std::string bytes = H(c.hex);
        TSNMPRec rec;
        ASSERT_TRUE(rec.Decode(bytes)) << c.hex;
        EXPECT_EQ(rec.Version, 1);
        EXPECT_EQ(rec.ID, 1);
        ASSERT_EQ(rec.VarBindCount(), static_cast<int>(c.binds.size()));
        for (std::size_t i = 0; i < c.binds.size(); ++i) {
            const TSNMPMib& m = rec.VarBind(static_cast<int>(i));
            EXPECT_EQ(m.OID, c.binds[i].OID) << i;
            EXPECT_EQ(m.Value, c.binds[i].Value) << i;
            EXPECT_EQ(m.ValueType, c.binds[i].ValueType) << i;
        }
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            EXPECT_FALSE(rec.Decode(std::string_view(bytes).substr(0, n))) << "cut at " << n;
            EXPECT_EQ(rec.VarBindCount(), static_cast<int>(c.binds.size()));
        }
    }
}

TEST(CodecDecode, MalformedFrames) {
    // Each item's length bounds what is inside it, and a varbind is exactly a name and a value.
    std::vector<std::pair<const char*, std::string>> cases = {
        {"primitive outer tag", H("020100")},
        {"outer length past the end", H("3005020101")},
        {"outer length beyond 32 bits", H("3084ffffffff020101")},
        {"no header fields", H("3000")},
        {"varbind without a value", H("30170201010400a2100201010201000201003005300306012b")},
        {"value past its varbind", H("301b0201010400a2140201010201000201003009300506012b04026162")},
        {"third item in a varbind", H("301b0201010400a21402010102010002010030093007060100050005"
                                      "00")}};
    for (const auto& entry : std::filesystem::directory_iterator(LINESCOPE_DECODE_CORPUS)) {
        if (entry.path().filename().string().rfind("malformed-", 0) != 0) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        cases.emplace_back("seed", std::string(std::istreambuf_iterator<char>(in), {}));
    }
    ASSERT_EQ(cases.size(), 11u);
    for (const auto& [name, bytes] : cases) {
        TSNMPRec rec;
        EXPECT_FALSE(rec.Decode(bytes)) << name;
        EXPECT_EQ(rec.VarBindCount(), 0) << name;
    }
    TSNMPRec zeroLength; // empty INTEGER contents read as 0
    EXPECT_TRUE(zeroLength.Decode(H("300e02000400a2080200020002003000")));
    EXPECT_EQ(zeroLength.Version, 0);
}

TEST(CodecDecode, AppendsAndFindsTheFirst) {
    TSNMPRec rec;
    rec.AddVarBind("1.3.6.1.2.1.1.5.0", "first", tag::OctetString);
    rec.AddVarBind("1.3.6.1.2.1.1.5.0", "second", tag::OctetString);
    EXPECT_EQ(rec.FindValue("1.3.6.1.2.1.1.5.0"), "first");
    EXPECT_EQ(rec.FindValue("1.3.6.1.2.1.1.5"), "");
    ASSERT_TRUE(rec.Decode(H(Captures()[0].hex)));
    EXPECT_EQ(rec.VarBindCount(), 6);
    EXPECT_EQ(rec.VarBind(2).OID, "1.3.6.1.4.1.99999.1.1.0");
}
