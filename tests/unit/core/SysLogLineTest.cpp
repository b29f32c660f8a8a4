// The rules that turn one syslog datagram into one log line, on the bytes alone.
#include "core/SysLogLine.h"

#include <gtest/gtest.h>
#include <string>

TEST(SysLogLine, OneDatagramOneLine) {
    const std::string big(core::SysLogBufferSize, 'x');
    const struct {
        std::string datagram;
        bool removePriority, addSender;
        std::string line;
    } cases[] = {
        {"<30>kernel: link up\n", true, true, "( 192.168.1.254:1024 ) kernel: link up"},
        {"<30>kernel: link up\n", false, false, "<30>kernel: link up"},
        // Cut at the first line feed; a carriage return before it stays.
        {"a\nb\n", false, false, "a"},
        {"cr lf\r\n", false, false, "cr lf\r"},
        {"no line feed", false, false, "no line feed"},
        {"\nrest", false, true, "( 192.168.1.254:1024 ) "},
        // The first ">" anywhere, and only within what the cut leaves.
        {"no priority > here", true, false, " here"},
        {"<1>a>b", true, false, "a>b"},
        {"a\n<1>b", true, false, "a"},
        {"no priority", true, false, "no priority"},
        // Bytes stay bytes.
        {std::string("<13>a\0b\xe9\xff", 9), true, false, std::string("a\0b\xe9\xff", 5)},
        {"", true, true, "( 192.168.1.254:1024 ) "},
        // What lies beyond the receive buffer is gone, a ">" there too.
        {big + "yz", false, false, big},
        {big + ">yz", true, false, big},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::SysLogLineFromDatagram(c.datagram, {c.removePriority, c.addSender},
                                               "192.168.1.254", 1024),
                  c.line)
            << c.datagram.substr(0, 40);
}
