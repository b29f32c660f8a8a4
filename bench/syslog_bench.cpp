// linescope_syslog_bench: LineScope's syslog server next to rsyslog (imudp + omfile), in one run,
// with the same sender, bursts and privileges. For each program:
//   burst N      N datagrams as fast as one sender can: lines written, lost, time to drain
//   sustained    the highest offered rate (of a ladder) written to the file without loss
//   memory       resident size after 1,000,000 lines (LineScope's view stays at 5000 lines)
// Usage: linescope_syslog_bench LINESCOPE_BINARY [--unprivileged]
// --unprivileged runs both without CAP_NET_ADMIN, so neither can force a receive buffer above
// net.core.rmem_max. LineScope runs offscreen with a private profile and --syslog-port.
#include "Process.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
bool gUnprivileged = false;

struct Peer {
    std::string name;
    std::string file; // where every line ends up
    int port = 0;
    ChildProcess process;
};

// Both programs start through the tests' launcher, with the same privileges; `env` goes first.
void Start(Peer& peer, std::vector<std::string> argv, const std::vector<std::string>& env) {
    argv.insert(argv.begin(), env.begin(), env.end());
    argv.insert(argv.begin(), "env");
    if (gUnprivileged)
        argv.insert(argv.begin(),
                    {"setpriv", "--bounding-set=-net_admin", "--inh-caps=-net_admin"});
    if (!peer.process.Start(argv)) std::fprintf(stderr, "cannot start %s\n", argv[0].c_str());
}

// Lines in a file that only grows, read from where the last call stopped.
long LinesIn(const std::string& path) {
    static std::map<std::string, std::pair<std::streamoff, long>> seen;
    auto& [offset, lines] = seen[path];
    std::ifstream in(path, std::ios::binary);
    in.seekg(offset);
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i)
            lines += buffer[i] == '\n';
        offset += in.gcount();
        if (!in) break;
    }
    return lines;
}

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = 0;
    while (status >> key)
        if (key == "VmRSS:" && status >> value) return value;
    return -1;
}

// Sends `count` datagrams, at `rate` per second (0: as fast as possible), each numbered.
void Send(int port, long count, long rate) {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(port));
    const auto start = Clock::now();
    char text[128];
    for (long i = 0; i < count; ++i) {
        const int n = std::snprintf(text, sizeof text,
                                    "<134>Dec  6 07:45:11 router kernel: ppp0 link up %ld", i);
        sendto(fd, text, static_cast<size_t>(n), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        if (rate > 0 && i % 100 == 99)
            std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1000000 / rate));
    }
    close(fd);
}

// Waits until the file holds `expected` more lines than `before`, or stops growing for 2 s.
// Returns the lines added and the seconds from `start` to the last growth.
std::pair<long, double> Drain(const Peer& peer, long before, long expected,
                              Clock::time_point start) {
    long lines = LinesIn(peer.file), last = lines;
    auto lastGrowth = Clock::now();
    while (lines - before < expected && Clock::now() - lastGrowth < std::chrono::seconds(2)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        lines = LinesIn(peer.file);
        if (lines != last) lastGrowth = Clock::now(), last = lines;
    }
    return {lines - before, std::chrono::duration<double>(lastGrowth - start).count()};
}

struct Result {
    long written[2]{};
    double drain[2]{};
    long sustained = 0;
    long rssKiB = 0;
};

Result Measure(Peer& peer) {
    Result r;
    const long bursts[2] = {20000, 100000};
    for (int b = 0; b < 2; ++b) {
        const long before = LinesIn(peer.file);
        const auto start = Clock::now();
        Send(peer.port, bursts[b], 0);
        std::tie(r.written[b], r.drain[b]) = Drain(peer, before, bursts[b], start);
    }
    // Sustained: every line written, and the last within half a second of the sender's end,
    // so nothing is piling up in a queue.
    for (long rate : {10000L, 20000L, 40000L, 60000L, 80000L, 120000L, 160000L}) {
        const long before = LinesIn(peer.file);
        const long count = rate * 3;
        Send(peer.port, count, rate);
        const auto sent = Clock::now();
        const auto [written, seconds] = Drain(peer, before, count, sent);
        if (written != count || seconds > 0.5) break;
        r.sustained = rate;
    }
    const long before = LinesIn(peer.file);
    Send(peer.port, 1000000, r.sustained > 0 ? r.sustained : 10000);
    Drain(peer, before, 1000000, Clock::now());
    r.rssKiB = ResidentKiB(peer.process.Pid());
    return r;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s LINESCOPE_BINARY [--unprivileged]\n", argv[0]);
        return 2;
    }
    gUnprivileged = argc > 2 && std::strcmp(argv[2], "--unprivileged") == 0;
    char dirTemplate[] = "/tmp/linescope-syslog-bench-XXXXXX";
    const std::string dir = mkdtemp(dirTemplate);

    Peer rsyslog{"rsyslog", dir + "/rsyslog.log", FreeUdpPort(), {}};
    std::ofstream(dir + "/rsyslog.conf")
        << "global(workDirectory=\"" << dir << "\")\nmodule(load=\"imudp\")\n"
        << "input(type=\"imudp\" address=\"127.0.0.1\" port=\"" << rsyslog.port
        << "\" rcvBufSize=\"16m\")\ntemplate(name=\"raw\" type=\"string\" string=\"%rawmsg%\\n\")\n"
        << "action(type=\"omfile\" file=\"" << rsyslog.file << "\" template=\"raw\")\n";
    Start(rsyslog, {"rsyslogd", "-n", "-f", dir + "/rsyslog.conf", "-i", dir + "/rsyslog.pid"}, {});

    Peer linescope{"LineScope", dir + "/linescope.log", FreeUdpPort(), {}};
    std::string config = dir + "/config/Corvane";
    std::system(("mkdir -p " + config).c_str());
    std::ofstream(config + "/LineScope.conf")
        << "[General]\nIPAddress=127.0.0.1:9\nSLActive=1\nSLFileOut=1\nSLFileDate=0\nSLFileName="
        << linescope.file << "\n";
    Start(linescope, {argv[1], "--syslog-port", std::to_string(linescope.port)},
          {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + dir + "/config",
           "DBUS_SESSION_BUS_ADDRESS=disabled:"});
    std::this_thread::sleep_for(std::chrono::seconds(2)); // both bound and LineScope started

    std::printf("privileges: %s\n", gUnprivileged ? "root without CAP_NET_ADMIN" : "as invoked");
    Result results[2];
    Peer* peers[2] = {&rsyslog, &linescope};
    for (int i = 0; i < 2; ++i)
        results[i] = Measure(*peers[i]);
    std::printf("%-10s %22s %22s %12s %10s\n", "program", "burst 20000 (lost, s)",
                "burst 100000 (lost, s)", "sustained/s", "RSS MiB");
    for (int i = 0; i < 2; ++i) {
        const Result& r = results[i];
        std::printf("%-10s %8ld (%5ld, %5.2f) %8ld (%5ld, %5.2f) %12ld %10.1f\n",
                    peers[i]->name.c_str(), r.written[0], 20000 - r.written[0], r.drain[0],
                    r.written[1], 100000 - r.written[1], r.drain[1], r.sustained,
                    static_cast<double>(r.rssKiB) / 1024.0);
    }
    std::printf(
        "ratio LineScope/rsyslog: drain 20000 %.2f, drain 100000 %.2f, sustained %.2f, "
        "RSS %.2f\n",
        results[1].drain[0] / results[0].drain[0], results[1].drain[1] / results[0].drain[1],
        static_cast<double>(results[1].sustained) / static_cast<double>(results[0].sustained),
        static_cast<double>(results[1].rssKiB) / static_cast<double>(results[0].rssKiB));
    for (Peer* peer : peers)
        peer->process.Stop();
    std::system(("rm -rf " + dir).c_str());
    return 0;
}
