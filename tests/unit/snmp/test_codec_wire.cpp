// Cross-check of Encode() against an independent SNMP dissector: the messages are sent over
// loopback to a port nobody listens on, captured by tshark, and read back field by field.
#include "Codec.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace snmp;

namespace {

std::string FindTool(const char* name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

struct Fd {
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int fd;
};

// A loopback port with no listener: bind port 0, read it back, let it go.
uint16_t UnusedPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    return lines;
}

std::vector<std::string> Split(const std::string& line, char sep) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t at; (at = line.find(sep, start)) != std::string::npos; start = at + 1)
        fields.push_back(line.substr(start, at - start));
    fields.push_back(line.substr(start));
    return fields;
}

// tshark capturing on lo into `file` while printing a summary line per packet, so the test can
// tell when capture is live and when its datagrams are in, without guessing delays.
class Capture {
public:
    Capture(const std::string& tshark, uint16_t port, const std::string& file) {
        const std::string filter = "udp port " + std::to_string(port);
        const std::string decodeAs = "udp.port==" + std::to_string(port) + ",snmp";
        std::vector<std::string> args = {tshark, "-i",   "lo", "-n",     "-l", "-P",
                                         "-f",   filter, "-d", decodeAs, "-w", file};
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, tshark.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~Capture() {
        Stop();
        if (out_ >= 0) ::close(out_);
    }

    // Reads tshark's output until `text` shows up, calling `tick` every 100 ms meanwhile; false
    // when tshark ends or the limit passes first.
    template <typename Tick>
    bool WaitFor(std::string_view text, std::chrono::milliseconds limit, Tick tick) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (pid_ > 0 && output_.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            tick();
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buf[512];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) return false;
            output_.append(buf, static_cast<std::size_t>(n));
        }
        return pid_ > 0;
    }

    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGINT);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    const std::string& Output() const { return output_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string output_;
};

std::string ReadCommand(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

} // namespace

TEST(CodecWire, TsharkReadsGetGetNextAndSet) {
    const std::string tshark = FindTool("tshark");
    if (tshark.empty()) GTEST_SKIP() << "tshark is not installed";

    char dirTemplate[] = "/tmp/linescope-codec-wire-XXXXXX";
    ASSERT_NE(::mkdtemp(dirTemplate), nullptr);
    const std::filesystem::path dir = dirTemplate;
    const std::string file = (dir / "cap.pcapng").string();
    const uint16_t port = UnusedPort();

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

    // Replies to nobody: tshark shows it as get-response and it tells the test capture is live.
    TSNMPRec probe;
    probe.PDUType = tag::GetResponse;
    const std::string probeBytes = probe.Encode();

    const Fd sender(::socket(AF_INET, SOCK_DGRAM, 0));
    ASSERT_GE(sender.fd, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    auto send = [&](const std::string& m) {
        return ::sendto(sender.fd, m.data(), m.size(), 0, reinterpret_cast<sockaddr*>(&to),
                        sizeof to) == static_cast<ssize_t>(m.size());
    };
    {
        Capture capture(tshark, port, file);
        const bool started = capture.WaitFor("Capturing on", std::chrono::seconds(20), [] {});
        if (!started && capture.Output().find("ermission") != std::string::npos)
            GTEST_SKIP() << "capture not permitted: " << capture.Output();
        ASSERT_TRUE(started) << capture.Output();
        ASSERT_TRUE(capture.WaitFor("get-response", std::chrono::seconds(20), [&] {
            send(probeBytes);
        })) << capture.Output();
        for (const std::string& m : messages)
            ASSERT_TRUE(send(m));
        ASSERT_TRUE(capture.WaitFor("set-request", std::chrono::seconds(20), [] {}))
            << capture.Output();
    }

    const std::string fields =
        ReadCommand(tshark + " -r " + file + " -n -d udp.port==" + std::to_string(port) +
                    ",snmp -Y 'snmp.data != 2' -T fields -E separator=@ -E aggregator=,"
                    " -e snmp.version -e snmp.community -e snmp.data -e snmp.request_id -e "
                    "snmp.name -e snmp.value.octets 2>/dev/null");
    std::filesystem::remove_all(dir);

    const std::vector<std::string> lines = Lines(fields);
    ASSERT_EQ(lines.size(), 3u) << fields;
    const std::vector<std::vector<std::string>> expected = {
        {"1", "wire-check", "0", "1", "1.3.6.1.2.1.1.1.0,1.3.6.1.2.1.1.3.0", ""},
        {"1", "wire-check", "1", "2", "1.3.6.1.2.1.4.20.1.1", ""},
        {"1", "private", "3", "300", "1.3.6.1.2.1.1.4.0", "610062"}};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> got = Split(lines[i], '@');
        // Some tshark versions print octets with ':' between them.
        if (got.size() == 6) std::erase(got[5], ':');
        EXPECT_EQ(got, expected[i]) << lines[i];
    }
}
