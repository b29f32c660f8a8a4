// The syslog server against real senders on loopback (plain UDP sockets and util-linux logger):
// the datagrams' way to a line with the arrival beep, the dated file name, and bursts of 20,000
// datagrams.
#include "Process.h"
#include "TestSeams.h"
#include "UdpSender.h"
#include "core/SysLog.h"
#include "core/SysLogLine.h"
#include "snmp/UdpSocket.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <thread>

namespace {

int argc = 1;
char* argv[] = {const_cast<char*>("SysLogServerTest"), nullptr};
QCoreApplication app(argc, argv);

// Runs the event loop until `done` holds or 20 s have passed.
template <typename F> bool Until(F done) {
    for (const Deadline end = DeadlineIn(20000); !done() && RemainingMs(end) > 0;)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// The kernel's system-wide count of datagrams dropped for want of receive-queue room.
void PrintRcvbufErrors() {
    std::system(
        "awk '/^Udp:/ && ++n == 2 { print \"kernel Udp RcvbufErrors\", $6 }' /proc/net/snmp");
}

// True once the kernel holds no datagram for `port` any more: the listener has read them all.
bool KernelQueueEmpty(uint16_t port) {
    std::ifstream udp("/proc/net/udp");
    std::string line;
    std::getline(udp, line); // the heading
    while (std::getline(udp, line)) {
        unsigned local = 0, rx = 0;
        if (std::sscanf(line.c_str(), "%*d: %*x:%x %*x:%*x %*x %*x:%x", &local, &rx) == 2 &&
            local == port)
            return rx == 0;
    }
    return false;
}

struct Server {
    core::Settings settings;
    testing_seams::FixedClock clock;
    testing_seams::RecordingSounds sounds;
    core::SysLogServer server{settings, clock, sounds, 0};
    QStringList lines;
    UdpSender sender;
    Server() {
        QObject::connect(&server, &core::SysLogServer::Line,
                         [this](const QString& line) { lines.append(line); });
        server.SetFileQuestion([] {
            ADD_FAILURE() << "a line could not be written";
            return core::SysLogFileChoice{core::SysLogFileChoice::Cancelled, {}};
        });
        QString error;
        EXPECT_TRUE(server.Enable(error));
    }
    // Sends and waits for the line.
    QString Line(std::string_view bytes) {
        const qsizetype before = lines.size();
        sender.Send(server.Listener().LocalPort(), bytes);
        return Until([&] { return lines.size() > before; }) ? lines.last() : QStringLiteral("-");
    }
};

} // namespace

// What the line rules cannot see: the sender as the socket reports it, a datagram longer than the
// receive buffer, logger's own format, and the arrival beep.
TEST(SysLogServer, RealSendersAndTheArrivalBeep) {
    Server s;
    s.settings.SLBeep = true; // once for a burst within a second
    s.settings.SLSender = true;
    EXPECT_EQ(s.Line("<30>kernel: link up\n"),
              "( 127.0.0.1:" + QString::number(s.sender.LocalPort()) + " ) kernel: link up");
    s.settings.SLSender = false;
    EXPECT_EQ(s.Line(std::string(65000, 'x')), QString(core::SysLogBufferSize, 'x'));
    // logger sends RFC 3164: its own priority and time stamp in front.
    const std::string logger = "logger --rfc3164 -d -n 127.0.0.1 -P " +
                               std::to_string(s.server.Listener().LocalPort()) + " -t router hi";
    ASSERT_EQ(std::system(logger.c_str()), 0);
    ASSERT_TRUE(Until([&] { return s.lines.last().endsWith(QStringLiteral(" router: hi")); }));
    EXPECT_FALSE(s.lines.last().contains(QLatin1Char('>')));
    s.clock.AdvanceMSecs(999);
    s.Line("<30>same second");
    s.clock.AdvanceMSecs(1);
    s.Line("<30>next second");
    EXPECT_EQ(s.sounds.Count(core::Sound::Default), 2);
}

TEST(SysLogFile, DateGoesBeforeTheFirstDotOfTheName) {
    const std::pair<QString, QString> names[] = {
        {"/home/j.smith/SysLog.txt", "/home/j.smith/SysLog(5-12-2026).txt"},
        {"D:\\my.logs\\router.tar.log", "D:\\my.logs\\router(5-12-2026).tar.log"},
        {"/var/log/router", "/var/log/router(5-12-2026)"}};
    for (const auto& [path, dated] : names)
        EXPECT_EQ(core::SysLogDatedFileName(path, QDate(2026, 12, 5), true), dated);
    EXPECT_EQ(core::SysLogDatedFileName("/a.b/c", QDate(2026, 12, 5), false), "/a.b/c");
}

// A file that cannot be written: asked about until one takes the line; the user's no switches file
// output off, said once and in the view only; the session's end leaves the settings as they are.
TEST(SysLogFile, AskedUntilAFileTakesTheLine) {
    using Choice = core::SysLogFileChoice;
    QTemporaryDir dir;
    core::Settings settings;
    settings.SLFileOut = true;
    settings.SLFileDate = false;
    settings.SLFileName = dir.filePath("no/a");
    testing_seams::FixedClock clock;
    testing_seams::RecordingSounds sounds;
    core::SysLogServer server(settings, clock, sounds, 0);
    QStringList shown;
    int switchedOff = 0;
    QObject::connect(&server, &core::SysLogServer::Line, [&](const QString& l) { shown << l; });
    QObject::connect(&server, &core::SysLogServer::FileOutputSwitchedOff, [&] { ++switchedOff; });
    const Choice answers[] = {{Choice::Chosen, dir.filePath("no/b")},
                              {Choice::Chosen, dir.filePath("ok")},
                              {Choice::SessionEnded, {}},
                              {Choice::Cancelled, {}}};
    std::size_t asked = 0;
    server.SetFileQuestion([&] { return answers[std::min(asked++, std::size(answers) - 1)]; });
    server.Log("one");
    EXPECT_EQ(asked, 2u);
    settings.SLFileName = dir.filePath("no/c");
    server.Log("two");
    EXPECT_TRUE(settings.SLFileOut && settings.SLFileName == dir.filePath("no/c"));
    server.Log("three", false);
    server.Log("four");
    EXPECT_EQ(asked, 4u);
    EXPECT_FALSE(settings.SLFileOut);
    EXPECT_EQ(switchedOff, 1);
    EXPECT_EQ(shown.join('|').toStdString(), "one|two|**** SysLog file output switched off: " +
                                                 dir.filePath("no/c").toStdString() +
                                                 " could not be written ****|four");
    QFile ok(dir.filePath("ok"));
    EXPECT_TRUE(ok.open(QIODevice::ReadOnly) && ok.readAll() == "one\r\n");
}

// 20,000 datagrams with file output on, as an ordinary user (without CAP_NET_ADMIN the receive
// buffer stays within net.core.rmem_max). Paced, every one is written; flooded, what is written
// plus what the program reports lost is what was sent. In order either way.
TEST(SysLogServer, BurstsOf20000) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2] = {};
    syscall(SYS_capget, &header, caps);
    caps[CAP_NET_ADMIN / 32].effective &= ~(1u << (CAP_NET_ADMIN % 32));
    syscall(SYS_capset, &header, caps);
    QTemporaryDir dir;
    for (const bool paced : {true, false}) {
        Server s;
        s.settings.SLFileOut = true;
        s.settings.SLFileDate = false;
        s.settings.SLFileName = dir.filePath(paced ? "paced" : "flood");
        PrintRcvbufErrors();
        // Sent from the user-interface thread, which meanwhile handles nothing.
        for (int i = 0; i < 20000; ++i) {
            s.sender.Send(s.server.Listener().LocalPort(), "<30>n " + std::to_string(i));
            if (paced && i % 50 == 49) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        // A loss at the very end shows with the next datagram.
        Until([&] { return s.server.Listener().Queued() == 0; });
        s.Line("<30>n 20000");
        int written = 0, lost = 0, next = 0;
        for (const QString& line : s.lines) {
            const int n = line.section(' ', line.startsWith("****") ? 4 : 1).toInt();
            lost += line.startsWith("****") ? n : 0;
            written += line.startsWith("****") ? 0 : 1;
            EXPECT_TRUE(line.startsWith("****") || n >= next) << n;
            next = line.startsWith("****") ? next : n + 1;
        }
        EXPECT_EQ(written + lost, 20001);
        EXPECT_TRUE(!paced || lost == 0) << lost;
        QFile file(s.settings.SLFileName);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly) &&
                    file.readAll().count("\r\n") == s.lines.size());
        std::printf("%s: written %d, reported lost %d, receive buffer %d\n",
                    paced ? "paced" : "flood", written, lost,
                    s.server.Listener().ReceiveBufferBytes());
        PrintRcvbufErrors();
    }
}

// The queue is bounded: a burst it cannot hold is counted, not silently lost.
TEST(SysLogListener, FullQueueCountsWhatItDrops) {
    core::SysLogListener listener(0, 100 * (core::SysLogListener::EntryOverhead + 16));
    std::string error;
    ASSERT_TRUE(listener.Start(error)) << error;
    UdpSender sender;
    for (int i = 0; i <= 1000; ++i)
        sender.Send(listener.LocalPort(), i < 1000 ? "datagram " + std::to_string(i) : "last");
    // Taken only once the listener has read the burst, or a busy machine that delays its thread
    // lets this loop keep the queue empty while the kernel still holds the rest.
    const Deadline read = DeadlineIn(10000);
    while (!KernelQueueEmpty(listener.LocalPort()) && RemainingMs(read) > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    core::SysLogDatagram d;
    uint64_t taken = 0, lost = 0;
    for (const Deadline end = DeadlineIn(10000); taken + lost < 1001 && RemainingMs(end) > 0;)
        if (listener.Take(d)) {
            lost += d.lostBefore;
            taken += d.lossOnly ? 0 : 1;
        }
    EXPECT_GT(lost, 0u);
    EXPECT_EQ(taken + lost, 1001u);
}

// Neither socket asks for SO_REUSEADDR or SO_REUSEPORT, so a second server, or anything else,
// can never bind the port silently beside the first and take half its datagrams.
TEST(SysLogListener, PortIsBoundOnlyOnce) {
    core::SysLogListener first(0, 1 << 20);
    std::string error;
    ASSERT_TRUE(first.Start(error)) << error;
    core::SysLogListener second(first.LocalPort(), 1 << 20);
    EXPECT_FALSE(second.Start(error));
    EXPECT_EQ(error, std::strerror(EADDRINUSE));
    snmp::UdpSocket client;
    EXPECT_FALSE(client.Bind("127.0.0.1", std::to_string(first.LocalPort())));
}
