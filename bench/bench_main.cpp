// linescope_bench: the SNMP client's costs next to their floors, in one run on loopback.
//   codec/*   encode a GetRequest and decode a reply captured from snmpd
//   get/*     one SNMPGetValue against a bare request/response of the same octets over a plain
//             connected socket, both to the same snmpd
//   walk/*    SNMPWalkTable of a 500-row table against bare get-next round trips and
//             against net-snmp's snmpwalk run as a process (whole process time; a one-object
//             snmpwalk gives its start-up cost)
// A summary with the ratios follows the table.
#include "SnmpdPeer.h"
#include "snmp/Transport.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <netinet/in.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr const char* kSysDescr = "1.3.6.1.2.1.1.1.0";

SnmpdPeer* gPeer = nullptr;
std::string gCapturedReply; // a GetResponse for sysDescr.0 as snmpd sent it

snmp::TSNMPRec GetRequestFor(const std::string& oid, int32_t id) {
    snmp::TSNMPRec q;
    q.ID = id;
    q.Community = "public";
    q.PDUType = snmp::tag::GetRequest;
    q.AddVarBind(oid, "", snmp::tag::Null);
    return q;
}

// A plain UDP socket connected to the peer: the floor any SNMP client pays per request.
class BareSocket {
public:
    explicit BareSocket(uint16_t port) {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in sin{};
        sin.sin_family = AF_INET;
        sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sin.sin_port = htons(port);
        connect(fd_, reinterpret_cast<sockaddr*>(&sin), sizeof sin);
    }
    ~BareSocket() { close(fd_); }
    BareSocket(const BareSocket&) = delete;
    BareSocket& operator=(const BareSocket&) = delete;
    ssize_t RoundTrip(const std::string& request) {
        if (send(fd_, request.data(), request.size(), 0) < 0) return -1;
        return recv(fd_, buffer_, sizeof buffer_, 0);
    }

private:
    int fd_ = -1;
    char buffer_[65536];
};

// ---- codec

void CodecEncode(benchmark::State& state) {
    snmp::TSNMPRec q = GetRequestFor(kSysDescr, 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(q.Encode());
}

void CodecDecode(benchmark::State& state) {
    snmp::TSNMPRec r;
    for (auto _ : state) {
        r.Clear();
        benchmark::DoNotOptimize(r.Decode(gCapturedReply));
    }
}

void CodecEncodeDecode(benchmark::State& state) {
    snmp::TSNMPRec q = GetRequestFor(kSysDescr, 1);
    snmp::TSNMPRec r;
    for (auto _ : state) {
        benchmark::DoNotOptimize(q.Encode());
        r.Clear();
        benchmark::DoNotOptimize(r.Decode(gCapturedReply));
    }
}

// ---- one get

void GetBareRoundTrip(benchmark::State& state) {
    BareSocket s(gPeer->Port());
    const std::string request = GetRequestFor(kSysDescr, 1).Encode();
    for (auto _ : state)
        if (s.RoundTrip(request) <= 0) state.SkipWithError("bare round trip failed");
}

void GetSNMPGetValue(benchmark::State& state) {
    const std::string host = gPeer->Address();
    std::string value;
    for (auto _ : state)
        if (!snmp::SNMPGetValue(kSysDescr, "public", host, value))
            state.SkipWithError("SNMPGetValue failed");
}

void GetReusedSend(benchmark::State& state) {
    snmp::TSNMPSend send;
    send.SetTarget(gPeer->Address());
    for (auto _ : state) {
        send.Query.Clear();
        send.Query.Community = "public";
        send.Query.PDUType = snmp::tag::GetRequest;
        send.Query.AddVarBind(kSysDescr, "", snmp::tag::Null);
        if (!send.SendRequest()) state.SkipWithError("SendRequest failed");
    }
}

// ---- walk

void WalkSNMPWalkTable(benchmark::State& state) {
    const std::string host = gPeer->Address();
    std::vector<std::string> rows;
    for (auto _ : state) {
        snmp::SNMPWalkTable(SnmpdPeer::kSubtree, "public", host, rows);
        if (rows.size() != SnmpdPeer::kInstances) state.SkipWithError("walk came back short");
    }
}

void WalkBareGetNext(benchmark::State& state) {
    std::vector<std::string> requests;
    for (int i = 0; i <= SnmpdPeer::kInstances; ++i) {
        snmp::TSNMPRec q;
        q.ID = i + 2;
        q.Community = "public";
        q.PDUType = snmp::tag::GetNextRequest;
        std::string oid = SnmpdPeer::kSubtree;
        if (i > 0) {
            oid += ".1.";
            oid += std::to_string(i);
        }
        q.AddVarBind(oid, "", snmp::tag::Null);
        requests.push_back(q.Encode());
    }
    BareSocket s(gPeer->Port());
    for (auto _ : state)
        for (const auto& r : requests)
            if (s.RoundTrip(r) <= 0) state.SkipWithError("bare round trip failed");
}

// Runs snmpwalk on `oid` as a separate process, output discarded; the exit status.
int RunSnmpwalk(const std::string& oid) {
    const std::string address = gPeer->Address();
    const std::string numericOid = "." + oid;
    std::vector<std::string> env = {"MIBS=", "SNMP_PERSISTENT_DIR=" + gPeer->StateDir()};
    if (const char* path = getenv("PATH")) env.push_back(std::string("PATH=") + path);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const char* argv[] = {"snmpwalk",         "-v2c", "-c", "public", "-On", "-Oq", address.c_str(),
                          numericOid.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int rc =
        posix_spawnp(&pid, "snmpwalk", &actions, nullptr, const_cast<char**>(argv), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void WalkSnmpwalkProcess(benchmark::State& state) {
    for (auto _ : state)
        if (RunSnmpwalk(SnmpdPeer::kSubtree) != 0) state.SkipWithError("snmpwalk failed");
}

void WalkSnmpwalkStartUp(benchmark::State& state) {
    for (auto _ : state)
        if (RunSnmpwalk(kSysDescr) != 0) state.SkipWithError("snmpwalk failed");
}

// Keeps each benchmark's median real and CPU time per iteration (seconds) for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(isatty(1) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" &&
                !run.error_occurred) {
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                seconds[run.run_name.function_name] = run.GetAdjustedRealTime() / unit;
                cpuSeconds[run.run_name.function_name] = run.GetAdjustedCPUTime() / unit;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
    std::map<std::string, double> cpuSeconds;
};

int CountSnmpwalkLines() {
    std::string cmd = "MIBS= SNMP_PERSISTENT_DIR='" + gPeer->StateDir() +
                      "' snmpwalk -v2c -c public -On -Oq " + gPeer->Address() + " ." +
                      SnmpdPeer::kSubtree + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr) return -1;
    int lines = 0;
    for (int c; (c = fgetc(p)) != EOF;)
        lines += c == '\n';
    pclose(p);
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    SnmpdPeer peer;
    gPeer = &peer;
    if (!peer.Start()) {
        std::fprintf(stderr, "linescope_bench: snmpd: %s\n", peer.Error().c_str());
        return 1;
    }
    std::printf("snmpd on %s, %d instances under %s\n", peer.Address().c_str(),
                SnmpdPeer::kInstances, SnmpdPeer::kSubtree);

    // Check every contestant does the job before timing it.
    snmp::TSNMPSend capture;
    capture.SetTarget(peer.Address());
    capture.Query = GetRequestFor(kSysDescr, 1);
    if (!capture.SendRequest()) {
        std::fprintf(stderr, "linescope_bench: no reply from snmpd\n");
        return 1;
    }
    gCapturedReply = capture.Buffer;
    std::vector<std::string> rows;
    const bool walked = snmp::SNMPWalkTable(SnmpdPeer::kSubtree, "public", peer.Address(), rows) ==
                        snmp::WalkEnd::LeftTable;
    const int snmpwalkLines = CountSnmpwalkLines();
    std::printf("check: reply %zu octets \"%s\"; SNMPWalkTable %s with %zu rows; snmpwalk %d "
                "lines\n\n",
                gCapturedReply.size(), capture.Reply.FindValue(kSysDescr).c_str(),
                walked ? "left the table" : "FAILED", rows.size(), snmpwalkLines);
    if (!walked || rows.size() != SnmpdPeer::kInstances) return 1;

    using benchmark::kMicrosecond;
    // Medians of several runs: other work on the machine shows up as outliers, not as a shift.
    constexpr int kRepetitions = 5;
    benchmark::RegisterBenchmark("codec/encode", CodecEncode)
        ->Unit(kMicrosecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("codec/decode", CodecDecode)
        ->Unit(kMicrosecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("codec/encode+decode", CodecEncodeDecode)
        ->Unit(kMicrosecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("get/bare_udp_round_trip", GetBareRoundTrip)
        ->Unit(kMicrosecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->UseRealTime();
    benchmark::RegisterBenchmark("get/SNMPGetValue", GetSNMPGetValue)
        ->Unit(kMicrosecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->UseRealTime();
    benchmark::RegisterBenchmark("get/TSNMPSend_reused", GetReusedSend)
        ->Unit(kMicrosecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->UseRealTime();
    benchmark::RegisterBenchmark("walk/bare_getnext_x501", WalkBareGetNext)
        ->Unit(kMicrosecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->UseRealTime();
    benchmark::RegisterBenchmark("walk/SNMPWalkTable_500", WalkSNMPWalkTable)
        ->Unit(kMicrosecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->UseRealTime();
    if (snmpwalkLines == SnmpdPeer::kInstances) {
        benchmark::RegisterBenchmark("walk/snmpwalk_process_500", WalkSnmpwalkProcess)
            ->Unit(kMicrosecond)
            ->Repetitions(kRepetitions)
            ->ReportAggregatesOnly(true)
            ->UseRealTime();
        benchmark::RegisterBenchmark("walk/snmpwalk_process_1", WalkSnmpwalkStartUp)
            ->Unit(kMicrosecond)
            ->Repetitions(kRepetitions)
            ->ReportAggregatesOnly(true)
            ->UseRealTime();
    }

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    peer.Stop();

    auto& t = reporter.seconds;
    auto us = [&](const char* name) { return t.count(name) ? t[name] * 1e6 : -1.0; };
    std::printf("\nsummary\n");
    auto cpuUs = [&](const char* name) {
        auto& c = reporter.cpuSeconds;
        return c.count(name) ? c[name] * 1e6 : -1.0;
    };
    // Real time for the exchanges (they wait on the agent), CPU time too where a busy machine
    // would otherwise hide the client's own cost.
    if (us("codec/encode+decode") > 0)
        std::printf("  encode+decode per message      %8.2f us   (CPU %.2f us; goal < 2 us)\n",
                    us("codec/encode+decode"), cpuUs("codec/encode+decode"));
    if (us("get/SNMPGetValue") > 0 && us("get/bare_udp_round_trip") > 0)
        std::printf("  SNMPGetValue / bare round trip %8.2f x    (%.1f us / %.1f us, CPU %.1f us / "
                    "%.1f us; goal <= 1.2 x)\n",
                    us("get/SNMPGetValue") / us("get/bare_udp_round_trip"), us("get/SNMPGetValue"),
                    us("get/bare_udp_round_trip"), cpuUs("get/SNMPGetValue"),
                    cpuUs("get/bare_udp_round_trip"));
    if (us("walk/SNMPWalkTable_500") > 0 && us("walk/bare_getnext_x501") > 0)
        std::printf("  walk / bare get-next floor     %8.2f x    (%.0f us / %.0f us)\n",
                    us("walk/SNMPWalkTable_500") / us("walk/bare_getnext_x501"),
                    us("walk/SNMPWalkTable_500"), us("walk/bare_getnext_x501"));
    if (us("walk/SNMPWalkTable_500") > 0 && us("walk/snmpwalk_process_500") > 0) {
        const double whole = us("walk/snmpwalk_process_500");
        const double startUp = us("walk/snmpwalk_process_1");
        std::printf(
            "  walk / snmpwalk whole process  %8.2f x    (%.0f us / %.0f us; goal <= 1 x)\n",
            us("walk/SNMPWalkTable_500") / whole, us("walk/SNMPWalkTable_500"), whole);
        if (startUp > 0 && whole > startUp)
            std::printf("  walk / snmpwalk minus start-up %8.2f x    (%.0f us / %.0f us)\n",
                        us("walk/SNMPWalkTable_500") / (whole - startUp),
                        us("walk/SNMPWalkTable_500"), whole - startUp);
    }
    return 0;
}
