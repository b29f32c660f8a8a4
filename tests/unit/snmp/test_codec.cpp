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
    std::string out;
    int hi = -1;
    for (char c : hex) {
        if (c == ' ') continue;
        const int v = (c <= '9') ? c - '0' : (c | 0x20) - 'a' + 10;
        if (hi < 0) {
            hi = v;
        } else {
            out += static_cast<char>(hi * 16 + v);
            hi = -1;
        }
    }
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
        {"1.3.6.1.4.1", "2B 06 01 04 01"},
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
        {tag::Integer, "00 FF", "255"},
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
        {tag::ObjectId, "58", "2.8"},
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
