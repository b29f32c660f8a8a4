// The syslog server against real senders on loopback (plain UDP sockets and util-linux logger):
// the line rules, the dated log file, the arrival beep, and bursts of 20,000 datagrams.
#include "Process.h"
#include "SysLog.h"
#include "SysLogLine.h"
#include "TestSeams.h"
#include "UdpSender.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <thread>

namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "test_syslog_server";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Runs the event loop until `done` holds or 20 s have passed.
template <typename F> bool Until(F done) {
    const Deadline deadline = DeadlineIn(20000);
    while (!done() && RemainingMs(deadline) > 0)
        App().processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// The system-wide count of datagrams the kernel dropped for want of receive-queue room.
long RcvbufErrors() {
    std::ifstream snmp("/proc/net/snmp");
    std::string line, header;
    while (std::getline(snmp, line))
        if (line.rfind("Udp:", 0) == 0) {
            if (header.empty()) {
                header = line;
                continue;
            }
            std::istringstream names(header), values(line);
            std::string name, value;
            while (names >> name && values >> value)
                if (name == "RcvbufErrors") return std::stol(value);
        }
    return -1;
}

// Run as root, the program would get the large receive buffer only privileges allow; the bursts
// are meant for an ordinary user, so this process gives up CAP_NET_ADMIN first.
void DropNetAdmin() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) return;
    for (auto* set : {&data[CAP_NET_ADMIN / 32].effective, &data[CAP_NET_ADMIN / 32].permitted})
        *set &= ~(1u << (CAP_NET_ADMIN % 32));
    syscall(SYS_capset, &header, data);
}

struct Server {
    core::Settings settings;
    testing_seams::FixedClock clock;
    testing_seams::RecordingSounds sounds;
    core::SysLogServer server{settings, clock, sounds, 0};
    QStringList lines;
    Server() {
        App();
        QObject::connect(&server, &core::SysLogServer::Line, [this](const QString& line) {
            lines.append(line);
            EXPECT_TRUE(!settings.SLFileOut || server.WriteToFile(line));
        });
        QString error;
        EXPECT_TRUE(server.Enable(error));
    }
    [[nodiscard]] uint16_t Port() { return server.Listener().LocalPort(); }
};

} // namespace

TEST(SysLogServer, TurnsEachDatagramIntoOneLine) {
    Server s;
    UdpSender sender;
    const std::string from = "( 127.0.0.1:" + std::to_string(sender.port) + " ) ";
    const std::string big(65000, 'x');
    struct Case {
        std::string bytes;
        bool remError, addSender;
        std::string line;
    } cases[] = {
        {"<30>kernel: link up\n", true, true, from + "kernel: link up"},
        {"<30>kernel: link up\n", false, false, "<30>kernel: link up"},
        {"a\nb\n", false, false, "a"},
        {"no line feed\r", false, false, "no line feed\r"},
        {"\nrest", false, true, from},
        {"no priority > here", true, false, " here"},
        {std::string("<13>a\0b\xe9\xff", 9), true, false, std::string("a\0b\xe9\xff", 5)},
        {"", true, false, ""},
        {big, true, false, big.substr(0, core::SysLogBufferSize)},
    };
    for (const Case& c : cases) {
        s.settings.SLRemError = c.remError;
        s.settings.SLSender = c.addSender;
        s.lines.clear();
        sender.Send(s.Port(), c.bytes);
        ASSERT_TRUE(Until([&] { return !s.lines.isEmpty(); })) << c.line;
        EXPECT_EQ(core::SysLogFileBytes(s.lines.front()).toStdString(), c.line);
    }
    // logger sends RFC 3164 with its own priority and time stamp in front.
    s.lines.clear();
    const std::string command = "logger --rfc3164 -d -n 127.0.0.1 -P " + std::to_string(s.Port()) +
                                " -t router -p local0.info 'link up'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(Until([&] { return !s.lines.isEmpty(); }));
    EXPECT_TRUE(s.lines.front().endsWith(QStringLiteral(" router: link up")));
    EXPECT_FALSE(s.lines.front().contains(QLatin1Char('>')));
}

TEST(SysLogServer, BeepsOncePerSecondAtMost) {
    Server s;
    s.settings.SLBeep = true;
    UdpSender sender;
    for (int ms : {0, 400, 500, 1000}) { // from the first beep: 0, 0.4, 0.9, 1.9 s
        s.clock.AdvanceMSecs(ms);
        const qsizetype before = s.lines.size();
        sender.Send(s.Port(), "<30>beep");
        ASSERT_TRUE(Until([&] { return s.lines.size() > before; }));
    }
    EXPECT_EQ(s.sounds.Count(core::Sound::Default), 2);
}

TEST(SysLogFile, DateGoesBeforeTheFirstDotOfTheName) {
    const QDate date(2026, 12, 5);
    const std::pair<const char*, const char*> names[] = {
        {"/home/j.smith/SysLog.txt", "/home/j.smith/SysLog(5-12-2026).txt"},
        {"D:\\logs\\router.log", "D:\\logs\\router(5-12-2026).log"},
        {"D:\\my.logs\\router.tar.log", "D:\\my.logs\\router(5-12-2026).tar.log"},
        {"/var/log/router", "/var/log/router(5-12-2026)"},
    };
    for (const auto& [path, dated] : names)
        EXPECT_EQ(core::SysLogDatedFileName(QString::fromLatin1(path), date, true),
                  QString::fromLatin1(dated));
    EXPECT_EQ(core::SysLogDatedFileName(QStringLiteral("/a.b/c.txt"), date, false),
              QStringLiteral("/a.b/c.txt"));
}

// 20,000 datagrams with file output on. Paced, every one arrives; flooded, what is written plus
// what the program reports lost is what was sent, in order either way.
TEST(SysLogServer, BurstsOf20000) {
    DropNetAdmin();
    QTemporaryDir dir;
    for (const bool paced : {true, false}) {
        Server s;
        s.settings.SLFileOut = true;
        s.settings.SLFileDate = false;
        s.settings.SLFileName =
            dir.filePath(paced ? QStringLiteral("paced") : QStringLiteral("fast"));
        UdpSender sender;
        const long kernelBefore = RcvbufErrors();
        constexpr int Count = 20000;
        std::thread send([&] {
            for (int i = 0; i < Count; ++i) {
                sender.Send(s.Port(), "<30>line " + std::to_string(i));
                if (paced && i % 50 == 49)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
        // Written plus reported lost reaches the count; a loss at the very end shows with the
        // next datagram, so one more follows the burst.
        int written = 0, lost = 0, next = 0;
        bool ordered = true;
        QObject::connect(&s.server, &core::SysLogServer::Line, [&](const QString& line) {
            if (line.startsWith(QStringLiteral("**** "))) {
                lost += line.section(QLatin1Char(' '), 4, 4).toInt();
                return;
            }
            const int n = line.section(QLatin1Char(' '), 1).toInt();
            ordered = ordered && n >= next;
            next = n + 1;
            ++written;
        });
        send.join();
        Until([&] { return s.server.Listener().Queued() == 0 && written + lost >= Count; });
        sender.Send(s.Port(), "<30>line 99999");
        ASSERT_TRUE(Until([&] { return written + lost == Count + 1; })) << written << "+" << lost;
        EXPECT_TRUE(ordered);
        EXPECT_TRUE(!paced || lost == 0) << lost;
        std::printf("%s: written %d, reported lost %d, receive buffer %d, kernel RcvbufErrors "
                    "%ld -> %ld\n",
                    paced ? "paced" : "flood", written, lost,
                    s.server.Listener().ReceiveBufferBytes(), kernelBefore, RcvbufErrors());
        QFile file(s.settings.SLFileName);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().count("\r\n"), written + (lost > 0 ? 1 : 0));
    }
}

// The queue is bounded: a burst it cannot hold is counted, not silently lost.
TEST(SysLogListener, FullQueueCountsWhatItDrops) {
    core::SysLogListener listener(0, 100 * (core::SysLogListener::EntryOverhead + 16));
    std::string error;
    ASSERT_TRUE(listener.Start(error)) << error;
    UdpSender sender;
    for (int i = 0; i < 1000; ++i)
        sender.Send(listener.LocalPort(), "datagram " + std::to_string(1000 + i));
    sender.Send(listener.LocalPort(), "last");
    core::SysLogDatagram d;
    uint64_t taken = 0, lost = 0;
    const Deadline deadline = DeadlineIn(10000);
    while (d.bytes != "last" && RemainingMs(deadline) > 0)
        if (listener.Take(d)) {
            lost += d.lostBefore;
            taken += d.lossOnly ? 0 : 1;
        }
    EXPECT_GT(lost, 0u);
    EXPECT_EQ(taken + lost, 1001u);
}
