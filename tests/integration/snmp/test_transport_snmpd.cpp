// The transport against net-snmp's snmpd: writes with the read-write and the read-only
// community, the error replies a standard agent gives to refused writes (which the plain set
// still reports as sent), and live replies decoded the same way net-snmp's own snmpget reads them.
#include "Agents.h"
#include "Command.h"
#include "Transport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

const std::string kSysDescr = "1.3.6.1.2.1.1.1.0";
const std::string kSysContact = "1.3.6.1.2.1.1.4.0";
const std::string kSysName = "1.3.6.1.2.1.1.5.0";
const std::string kSysLocation = "1.3.6.1.2.1.1.6.0";

NetSnmpAgent& Agent() {
    static std::unique_ptr<NetSnmpAgent> agent = [] {
        auto a = std::make_unique<NetSnmpAgent>();
        a->Start();
        return a;
    }();
    return *agent;
}

class SnmpdTransport : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Agent().Running()) << Agent().Output(); }
    static std::string Host() { return Agent().Address(); }
};

std::string Read(const std::string& oid) {
    std::string value;
    EXPECT_TRUE(snmp::SNMPGetValue(oid, NetSnmpAgent::ReadCommunity, Agent().Address(), value));
    return value;
}

struct Reply {
    bool ok = false;
    int32_t errorStatus = -1;
    int32_t errorIndex = -1;
    std::string oid;
    std::string value;
    int32_t type = -1;
};

Reply Exchange(int32_t pdu, const std::string& community, const std::string& oid,
               int32_t type = snmp::tag::Null, const std::string& value = "") {
    snmp::TSNMPSend send;
    send.SetTarget(Agent().Address());
    send.Query.Community = community;
    send.Query.PDUType = pdu;
    send.Query.AddVarBind(oid, value, type);
    Reply r;
    r.ok = send.SendRequest();
    r.errorStatus = send.Reply.ErrorStatus;
    r.errorIndex = send.Reply.ErrorIndex;
    if (send.Reply.VarBindCount() > 0) {
        r.oid = send.Reply.VarBind(0).OID;
        r.value = send.Reply.VarBind(0).Value;
        r.type = send.Reply.VarBind(0).ValueType;
    }
    return r;
}

// What net-snmp's snmpget (or snmpgetnext) prints for one object with -On -Ov -Oe, turned into
// the value text and tag the codec should give. Empty tag -1 when the output is not understood.
struct Printed {
    std::string value;
    int32_t type = -1;
    std::string raw;
};

std::vector<unsigned char> HexOctets(const std::string& text) {
    std::vector<unsigned char> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        if (pos + 2 > text.size()) break;
        out.push_back(static_cast<unsigned char>(std::stoul(text.substr(pos, 2), nullptr, 16)));
        pos += 2;
    }
    return out;
}

// One line of net-snmp's -Ov output as a value text and tag.
Printed ParsePrinted(const std::string& line) {
    Printed p;
    p.raw = line;
    auto field = [&](const std::string& prefix, std::string& rest) {
        if (line.rfind(prefix, 0) != 0) return false;
        rest = line.substr(prefix.size());
        return true;
    };
    std::string rest;
    if (line == "\"\"") {
        p.type = snmp::tag::OctetString;
    } else if (field("STRING: ", rest)) {
        p.type = snmp::tag::OctetString;
        p.value = rest.size() >= 2 && rest.front() == '"' ? rest.substr(1, rest.size() - 2) : rest;
    } else if (field("Hex-STRING: ", rest)) {
        p.type = snmp::tag::OctetString;
        for (unsigned char c : HexOctets(rest))
            p.value.push_back(static_cast<char>(c));
    } else if (field("OID: .", rest)) {
        p.type = snmp::tag::ObjectId;
        p.value = rest;
    } else if (field("INTEGER: ", rest)) {
        p.type = snmp::tag::Integer;
        p.value = rest;
    } else if (field("IpAddress: ", rest)) {
        p.type = snmp::tag::IpAddress;
        p.value = rest;
    } else if (field("Counter32: ", rest)) {
        p.type = snmp::tag::Counter32;
        p.value = rest;
    } else if (field("Gauge32: ", rest)) {
        p.type = snmp::tag::Gauge32;
        p.value = rest;
    } else if (field("Counter64: ", rest)) {
        p.type = snmp::tag::Counter64;
        p.value = rest;
    } else if (field("Timeticks: (", rest)) {
        p.type = snmp::tag::TimeTicks;
        p.value = rest.substr(0, rest.find(')'));
    } else if (field("No Such Object", rest)) {
        p.type = snmp::tag::NoSuchObject;
    } else if (field("No Such Instance", rest)) {
        p.type = snmp::tag::NoSuchInstance;
    } else if (line.find("No more variables left in this MIB View") != std::string::npos) {
        p.type = snmp::tag::EndOfMibView;
    }
    return p;
}

// Runs a net-snmp tool (snmpget, snmpgetnext, snmpwalk) on the agent with -On -Ov -Oe and
// returns its output lines.
std::vector<std::string> NetSnmpLines(const char* tool, const std::string& oid,
                                      std::string* raw = nullptr) {
    TempDir state;
    auto r = RunCommand({tool, "-v2c", "-c", "public", "-On", "-Ov", "-Oe", "-t", "3", "-r", "0",
                         "udp:" + Agent().Address(), oid},
                        {"MIBS=", "SNMP_PERSISTENT_DIR=" + state.Path()});
    if (raw != nullptr) *raw = r.out + r.err;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < r.out.size()) {
        std::size_t end = r.out.find('\n', start);
        if (end == std::string::npos) end = r.out.size();
        lines.push_back(r.out.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

Printed NetSnmpPrints(const char* tool, const std::string& oid) {
    std::string raw;
    auto lines = NetSnmpLines(tool, oid, &raw);
    Printed p = ParsePrinted(lines.empty() ? std::string() : lines.front());
    p.raw = raw;
    return p;
}

} // namespace

TEST_F(SnmpdTransport, SetWithTheReadWriteCommunityIsReadBack) {
    const std::string before = Read(kSysName);
    ASSERT_EQ(before, "tavix-lab");
    for (const std::string& value : {std::string("gateway-2"), std::string(255, 'n')}) {
        EXPECT_TRUE(snmp::SNMPSetValue(kSysName, NetSnmpAgent::WriteCommunity, Host(),
                                       snmp::tag::OctetString, value));
        EXPECT_EQ(Read(kSysName), value);
    }
    EXPECT_TRUE(snmp::SNMPSetValue(kSysName, NetSnmpAgent::WriteCommunity, Host(),
                                   snmp::tag::OctetString, before));
    EXPECT_EQ(Read(kSysName), before);
}

// Every refused set still counts as sent: the reply arrived. Only the reply's error status and
// a read-back tell that nothing changed.
TEST_F(SnmpdTransport, RefusedSetsAreSentButChangeNothing) {
    struct Case {
        const char* name;
        const char* community;
        std::string oid;
        int32_t type;
        std::string value;
        int32_t status;
    };
    const Case cases[] = {
        {"read-only object", NetSnmpAgent::WriteCommunity, kSysDescr, snmp::tag::OctetString,
         "not a router", 17},
        {"read-only object of another type", NetSnmpAgent::WriteCommunity, "1.3.6.1.2.1.1.2.0",
         snmp::tag::ObjectId, "1.3.6.1.4.1.1", 17},
        {"read-only community", NetSnmpAgent::ReadCommunity, kSysContact, snmp::tag::OctetString,
         "taken over", 6},
        {"wrong type", NetSnmpAgent::WriteCommunity, kSysLocation, snmp::tag::Integer, "5", 7},
        {"too long", NetSnmpAgent::WriteCommunity, kSysLocation, snmp::tag::OctetString,
         std::string(256, 'x'), 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = Read(c.oid);
        ASSERT_FALSE(before.empty());

        EXPECT_TRUE(snmp::SNMPSetValue(c.oid, c.community, Host(), c.type, c.value));
        EXPECT_EQ(Read(c.oid), before);

        Reply r = Exchange(snmp::tag::SetRequest, c.community, c.oid, c.type, c.value);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.errorStatus, c.status);
        EXPECT_EQ(r.errorIndex, 1);
        EXPECT_EQ(r.oid, c.oid);
        EXPECT_EQ(Read(c.oid), before);
    }
}

TEST_F(SnmpdTransport, LiveRepliesDecodeAsSnmpgetReadsThem) {
    const std::string objects[] = {
        kSysDescr,
        "1.3.6.1.2.1.1.2.0",              // OID
        "1.3.6.1.2.1.1.7.0",              // INTEGER
        "1.3.6.1.2.1.2.2.1.3.1",          // INTEGER ifType of lo
        "1.3.6.1.2.1.2.2.1.5.1",          // Gauge32
        "1.3.6.1.2.1.2.2.1.6.1",          // empty OCTET STRING
        "1.3.6.1.2.1.4.20.1.1.127.0.0.1", // IpAddress
        "1.3.6.1.2.1.4.20.1.3.127.0.0.1", // IpAddress mask
        "1.3.6.1.2.1.10.94.1.1.3.1.6.4",  // BITS: one octet 0x80
        "1.3.6.1.2.1.99.0",               // noSuchObject
        "1.3.6.1.2.1.1.1.1",              // noSuchInstance
        "1.3.6.1.2.1.1.9.1.2.999",        // noSuchInstance in a table
    };
    for (const auto& oid : objects) {
        SCOPED_TRACE(oid);
        Printed expected = NetSnmpPrints("snmpget", oid);
        ASSERT_NE(expected.type, -1) << expected.raw;
        Reply r = Exchange(snmp::tag::GetRequest, NetSnmpAgent::ReadCommunity, oid);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.oid, oid);
        EXPECT_EQ(r.type, expected.type);
        EXPECT_EQ(r.value, expected.value);
        std::string plain = "stale";
        EXPECT_TRUE(snmp::SNMPGetValue(oid, NetSnmpAgent::ReadCommunity, Host(), plain));
        EXPECT_EQ(plain, expected.value);
    }
}

TEST_F(SnmpdTransport, LiveCountersDecodeWithinTheSnmpgetReading) {
    // These move between reads (our own requests add traffic on lo), so snmpget's reading must
    // lie between a reading before and one after it.
    const std::string objects[] = {
        "1.3.6.1.2.1.31.1.1.1.6.1", // ifHCInOctets of lo, Counter64
        "1.3.6.1.2.1.2.2.1.10.1",   // ifInOctets of lo, Counter32
        "1.3.6.1.2.1.1.3.0",        // sysUpTime, TimeTicks
    };
    for (const auto& oid : objects) {
        SCOPED_TRACE(oid);
        Reply before = Exchange(snmp::tag::GetRequest, NetSnmpAgent::ReadCommunity, oid);
        Printed printed = NetSnmpPrints("snmpget", oid);
        Reply after = Exchange(snmp::tag::GetRequest, NetSnmpAgent::ReadCommunity, oid);
        ASSERT_TRUE(before.ok && after.ok);
        ASSERT_NE(printed.type, -1) << printed.raw;
        EXPECT_EQ(before.type, printed.type);
        EXPECT_EQ(after.type, printed.type);
        const auto a = std::stoull(before.value), b = std::stoull(printed.value),
                   c = std::stoull(after.value);
        EXPECT_LE(a, b);
        EXPECT_LE(b, c);
    }
}

TEST_F(SnmpdTransport, EndOfTheViewDecodesAsSnmpgetnextReadsIt) {
    Printed expected = NetSnmpPrints("snmpgetnext", "2.25");
    ASSERT_EQ(expected.type, snmp::tag::EndOfMibView) << expected.raw;
    Reply r = Exchange(snmp::tag::GetNextRequest, NetSnmpAgent::ReadCommunity, "2.25");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.type, snmp::tag::EndOfMibView);
    EXPECT_EQ(r.value, "");

    std::string oid = "2.25", value = "stale";
    EXPECT_TRUE(snmp::SNMPGetNextValue(oid, NetSnmpAgent::ReadCommunity, Host(), value));
    EXPECT_EQ(value, "");
}

TEST_F(SnmpdTransport, WalksMatchSnmpwalkLineForLine) {
    // ipAddrTable and sysORTable: their values do not move between the two walks.
    for (const char* base : {"1.3.6.1.2.1.4.20", "1.3.6.1.2.1.1.9"}) {
        SCOPED_TRACE(base);
        std::vector<std::string> expected;
        for (const auto& line : NetSnmpLines("snmpwalk", base)) {
            Printed p = ParsePrinted(line);
            ASSERT_NE(p.type, -1) << line;
            expected.push_back(p.value);
        }
        ASSERT_FALSE(expected.empty());
        std::vector<std::string> rows;
        ASSERT_TRUE(snmp::SNMPWalkTable(base, NetSnmpAgent::ReadCommunity, Host(), rows));
        EXPECT_EQ(rows, expected);
    }
}
