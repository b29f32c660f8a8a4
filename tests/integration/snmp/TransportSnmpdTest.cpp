// The transport against net-snmp's snmpd: writes with the read-write and the read-only community,
// the error replies a standard agent gives to refused writes (which the plain set still reports as
// sent), and live replies decoded the same way net-snmp's own snmpget reads them.
#include "Agents.h"
#include "snmp/Transport.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

const std::string kSysDescr = "1.3.6.1.2.1.1.1.0";
const std::string kSysName = "1.3.6.1.2.1.1.5.0";

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

// One request through a TSNMPSend, for the reply's error status and value type.
snmp::TSNMPRec Exchange(int32_t pdu, const std::string& community, const std::string& oid,
                        int32_t type = snmp::tag::Null, const std::string& value = "") {
    snmp::TSNMPSend send;
    send.SetTarget(Agent().Address());
    send.Query.Community = community;
    send.Query.PDUType = pdu;
    send.Query.AddVarBind(oid, value, type);
    EXPECT_TRUE(send.SendRequest()) << oid;
    return send.Reply;
}

struct Printed {
    int32_t type = -1; // -1: the output was not understood
    std::string value;
};

// snmpget's -On -Ov -Oe line for one object, as the value text and tag the codec should give.
Printed SnmpgetPrints(const std::string& oid, std::string& raw) {
    // MIBS= and a private state directory: nothing from the machine's net-snmp set-up.
    const auto state =
        std::filesystem::temp_directory_path() / ("linescope-snmpget." + std::to_string(getpid()));
    const std::string command =
        "env MIBS= SNMP_PERSISTENT_DIR=" + state.string() +
        " snmpget -v2c -c public -On -Ov -Oe -t 3 -r 0 udp:" + Agent().Address() + " " + oid +
        " 2>/dev/null";
    raw.clear();
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            raw.append(buf, n);
        ::pclose(p);
    }
    std::error_code ignored;
    std::filesystem::remove_all(state, ignored);
    const std::string line = raw.substr(0, raw.find('\n'));
    const std::pair<const char*, int32_t> prefixes[] = {
        {"\"\"", snmp::tag::OctetString},
        {"STRING: ", snmp::tag::OctetString},
        {"Hex-STRING: ", snmp::tag::OctetString},
        {"OID: .", snmp::tag::ObjectId},
        {"INTEGER: ", snmp::tag::Integer},
        {"IpAddress: ", snmp::tag::IpAddress},
        {"Gauge32: ", snmp::tag::Gauge32},
        {"No Such Object", snmp::tag::NoSuchObject},
        {"No Such Instance", snmp::tag::NoSuchInstance},
    };
    Printed p;
    for (const auto& [prefix, tag] : prefixes) {
        if (line.rfind(prefix, 0) != 0) continue;
        p.type = tag;
        std::string rest = line.substr(std::strlen(prefix));
        if (prefix[0] == 'H') {
            for (std::size_t i = 0; i + 2 <= rest.size(); i += 3)
                p.value.push_back(static_cast<char>(std::stoul(rest.substr(i, 2), nullptr, 16)));
        } else if (prefix[0] == 'S' && rest.size() >= 2 && rest.front() == '"') {
            p.value = rest.substr(1, rest.size() - 2);
        } else if (prefix[0] != 'N' && prefix[0] != '"') {
            p.value = rest;
        }
        break;
    }
    return p;
}

} // namespace

// Any set that got a reply counts as sent, a refused one too: only the reply's error status and
// a read-back tell whether the value changed.
TEST_F(SnmpdTransport, SetsAreSentWhetherTakenOrRefused) {
    struct Case {
        const char* name;
        const char* community;
        std::string oid;
        int32_t type;
        std::string value;
        int32_t status;
    };
    const Case cases[] = {
        {"taken, 255 octets", NetSnmpAgent::WriteCommunity, kSysName, snmp::tag::OctetString,
         std::string(255, 'n'), 0},
        {"read-only object", NetSnmpAgent::WriteCommunity, kSysDescr, snmp::tag::OctetString,
         "not a router", 17}, // notWritable
        {"read-only community", NetSnmpAgent::ReadCommunity, kSysName, snmp::tag::OctetString,
         "taken over", 6}, // noAccess
        {"wrong type", NetSnmpAgent::WriteCommunity, kSysName, snmp::tag::Integer, "5", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = Read(c.oid);
        ASSERT_FALSE(before.empty());
        EXPECT_TRUE(snmp::SNMPSetValue(c.oid, c.community, Host(), c.type, c.value));
        EXPECT_EQ(Read(c.oid), c.status == 0 ? c.value : before);
        const snmp::TSNMPRec reply =
            Exchange(snmp::tag::SetRequest, c.community, c.oid, c.type, before);
        EXPECT_EQ(reply.ErrorStatus, c.status);
        EXPECT_EQ(reply.ErrorIndex, c.status == 0 ? 0 : 1);
        EXPECT_EQ(Read(c.oid), before);
    }
}

TEST_F(SnmpdTransport, LiveRepliesDecodeAsSnmpgetReadsThem) {
    const std::string objects[] = {
        kSysDescr,                        // STRING
        "1.3.6.1.2.1.1.2.0",              // OID
        "1.3.6.1.2.1.1.7.0",              // INTEGER
        "1.3.6.1.2.1.2.2.1.5.1",          // Gauge32
        "1.3.6.1.2.1.2.2.1.6.1",          // empty OCTET STRING
        "1.3.6.1.2.1.4.20.1.3.127.0.0.1", // IpAddress
        "1.3.6.1.2.1.10.94.1.1.3.1.6.4",  // BITS: one octet 0x80
        "1.3.6.1.2.1.99.0",               // noSuchObject
        "1.3.6.1.2.1.1.1.1",              // noSuchInstance
    };
    for (const auto& oid : objects) {
        SCOPED_TRACE(oid);
        std::string raw;
        const Printed expected = SnmpgetPrints(oid, raw);
        ASSERT_NE(expected.type, -1) << raw;
        const snmp::TSNMPRec reply = Exchange(snmp::tag::GetRequest, "public", oid);
        ASSERT_EQ(reply.VarBindCount(), 1);
        EXPECT_EQ(reply.VarBind(0).OID, oid);
        EXPECT_EQ(reply.VarBind(0).ValueType, expected.type);
        EXPECT_EQ(reply.VarBind(0).Value, expected.value);
        std::string plain = "stale";
        EXPECT_TRUE(snmp::SNMPGetValue(oid, "public", Host(), plain));
        EXPECT_EQ(plain, expected.value);
    }
}
