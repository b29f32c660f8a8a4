// Cross-check of Encode() against an independent SNMP dissector: the messages, wrapped by
// text2pcap in the UDP datagrams that would carry them to port 161, are read back by tshark field
// by field. Nothing goes out on a network.
#include "Codec.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace snmp;

namespace {

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

// One line of '@'-separated fields per message.
std::vector<std::vector<std::string>> FieldLines(const std::string& text) {
    std::vector<std::vector<std::string>> lines(1);
    std::string field;
    for (char c : text) {
        if (c == '@' || c == '\n') {
            lines.back().push_back(field);
            field.clear();
            if (c == '\n') lines.emplace_back();
        } else if (c != ':') { // some tshark versions print octets with ':' between them
            field += c;
        }
    }
    lines.pop_back();
    return lines;
}

} // namespace

TEST(CodecWire, TsharkReadsGetGetNextAndSet) {
    if (std::system("command -v tshark >/dev/null && command -v text2pcap >/dev/null") != 0)
        GTEST_SKIP() << "tshark or text2pcap is not installed";

    std::vector<std::string> messages;
    TSNMPRec rec;
    rec.Community = "wire-check";
    rec.PDUType = tag::GetRequest;
    rec.AddVarBind("1.3.6.1.2.1.1.1.0", "", tag::Null);
    rec.AddVarBind("1.3.6.1.2.1.1.3.0", "", tag::Null);
    messages.push_back(rec.Encode());
    rec.Clear();
    rec.Community = "wire-check";
    rec.PDUType = tag::GetNextRequest;
    rec.ID = 2;
    rec.AddVarBind("1.3.6.1.2.1.4.20.1.1", "", tag::Null);
    messages.push_back(rec.Encode());
    rec.Clear();
    rec.Community = "private";
    rec.PDUType = tag::SetRequest;
    rec.ID = 300;
    rec.AddVarBind("1.3.6.1.2.1.1.4.0", std::string("a\0b", 3), tag::OctetString);
    messages.push_back(rec.Encode());

    char dirTemplate[] = "/tmp/linescope-codec-wire-XXXXXX";
    ASSERT_NE(::mkdtemp(dirTemplate), nullptr);
    const std::filesystem::path dir = dirTemplate;
    {
        // text2pcap's hex dump: each message starts again at offset 0.
        std::ofstream dump(dir / "dump.txt");
        char cell[32];
        for (const std::string& m : messages) {
            for (std::size_t i = 0; i < m.size(); ++i) {
                if (i % 16 == 0) {
                    std::snprintf(cell, sizeof cell, "%s%06zx", i ? "\n" : "", i);
                    dump << cell;
                }
                std::snprintf(cell, sizeof cell, " %02x", static_cast<unsigned char>(m[i]));
                dump << cell;
            }
            dump << '\n';
        }
    }
    const std::string d = dir.string();
    const std::string fields = Output(
        "text2pcap -q -u 40000,161 " + d + "/dump.txt " + d + "/wire.pcap >/dev/null 2>&1 && " +
        "tshark -r " + d + "/wire.pcap -n -d udp.port==161,snmp -T fields -E separator=@ " +
        "-E aggregator=, -e snmp.version -e snmp.community -e snmp.data -e snmp.request_id " +
        "-e snmp.name -e snmp.value.octets 2>/dev/null");
    std::filesystem::remove_all(dir);

    const std::vector<std::vector<std::string>> expected = {
        {"1", "wire-check", "0", "1", "1.3.6.1.2.1.1.1.0,1.3.6.1.2.1.1.3.0", ""},
        {"1", "wire-check", "1", "2", "1.3.6.1.2.1.4.20.1.1", ""},
        {"1", "private", "3", "300", "1.3.6.1.2.1.1.4.0", "610062"}};
    EXPECT_EQ(FieldLines(fields), expected) << fields;
}
