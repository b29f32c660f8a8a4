// Replies captured from real agents on loopback, decoded field by field.
//
// How they were obtained: net-snmp 5.9.3 snmpd, started by hand with a private snmpd.conf
// (agentAddress udp:127.0.0.1:PORT, rocommunity public, rwcommunity private, sysDescr "Capture host
// for codec fixtures", sysObjectID .1.3.6.1.4.1.40917.1, psyscontact/psysname/psyslocation and
// `override .1.3.6.1.4.1.99999.1.N.0` lines for an octet string with 00 octets, -5, a Gauge32 of
// 4294967295 and 2147483647), and snmpsim 0.4.5 serving a data file with a TimeTicks of 2^32-1, a
// MAC address and Counter64 values of 2^64-1 and 2^63. The requests were this codec's own
// Encode() output (request id 1, GetNext id 2) sent from a plain UDP socket; each reply datagram
// was pasted as received.
#include "Codec.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace snmp;

namespace {

std::string H(std::string_view hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
        out += static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1]));
    }
    return out;
}

struct Bind {
    std::string oid;
    std::string value;
    int32_t tag;
};

struct Capture {
    const char* name;
    const char* hex;
    const char* community;
    int32_t id;
    int32_t errorStatus;
    int32_t errorIndex;
    std::vector<Bind> binds;
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
        {"snmpd Counter64 ifHCInOctets.1",
         "302b02010104067075626c6963a21e02010102010002010030133011060b2b060102011f010101060146021094",
         "public", 1, 0, 0, {{"1.3.6.1.2.1.31.1.1.1.6.1", "4244", tag::Counter64}}, false},
        {"snmpd IpAddress",
         "302f02010104067075626c6963a22202010102010002010030173015060d2b06010201041401017f0000014004"
         "7f000001",
         "public", 1, 0, 0, {{"1.3.6.1.2.1.4.20.1.1.127.0.0.1", "127.0.0.1", tag::IpAddress}}, true},
        {"snmpd octets with 00, integers and a gauge",
         "306c02010104067075626c6963a25f02010102010002010030543015060b2b06010401868d1f010100040600"
         "163e00a1ff3010060b2b06010401868d1f0102000201fb3014060b2b06010401868d1f010300420500ffffff"
         "ff3013060b2b06010401868d1f01040002047fffffff",
         "public", 1, 0, 0,
         {{"1.3.6.1.4.1.99999.1.1.0", mac, tag::OctetString},
          {"1.3.6.1.4.1.99999.1.2.0", "-5", tag::Integer},
          {"1.3.6.1.4.1.99999.1.3.0", "4294967295", tag::Gauge32},
          {"1.3.6.1.4.1.99999.1.4.0", "2147483647", tag::Integer}}, false},
        {"snmpd noSuchObject and noSuchInstance",
         "303402010104067075626c6963a227020101020100020100301c300c06082b060102010163008000300c0608"
         "2b060102010101018100",
         "public", 1, 0, 0,
         {{"1.3.6.1.2.1.1.99.0", "", tag::NoSuchObject},
          {"1.3.6.1.2.1.1.1.1", "", tag::NoSuchInstance}}, true},
        {"snmpd endOfMibView",
         "302402010104067075626c6963a217020102020100020100300c300a06062b06010909098200",
         "public", 2, 0, 0, {{"1.3.6.1.9.9.9", "", tag::EndOfMibView}}, true},
        {"snmpd set of sysContact",
         "3037020101040770726976617465a229020101020100020100301e301c06082b0601020101040004106e6f63"
         "406578616d706c652e74657374",
         "private", 1, 0, 0, {{"1.3.6.1.2.1.1.4.0", "noc@example.test", tag::OctetString}}, true},
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
            EXPECT_EQ(m.OID, c.binds[i].oid) << i;
            EXPECT_EQ(m.Value, c.binds[i].value) << i;
            EXPECT_EQ(m.ValueType, c.binds[i].tag) << i;
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
    // Outer length patched to cover a reply whose IpAddress value lost its last two octets.
    std::string cutValue = H(Captures()[2].hex);
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
        // The cut value leaves the position after its length, so its two octets read as one more
        // (empty) varbind.
        {"varbind value cut", cutValue, true, 2},
        {"one octet after the id", H("300b0201010400a2030201ff41"), true, 0},
    };
    for (const auto& c : cases) {
        TSNMPRec rec;
        EXPECT_EQ(rec.Decode(c.bytes), c.accepted) << c.name;
        EXPECT_EQ(rec.VarBindCount(), c.varbinds) << c.name;
    }
    TSNMPRec cut;
    ASSERT_TRUE(cut.Decode(cutValue));
    EXPECT_EQ(cut.VarBind(0).OID, "1.3.6.1.2.1.4.20.1.1.127.0.0.1");
    EXPECT_EQ(cut.VarBind(0).Value, "");
    EXPECT_EQ(cut.VarBind(0).ValueType, tag::IpAddress);
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
