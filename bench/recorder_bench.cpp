// The line history's sample: how many requests one takes (goal: 2 or fewer) and how long, against
// the simulated router (snmpsim, every object there) and net-snmp's snmpd (no ADSL line MIB, so
// most objects come back as exceptions), both on loopback; beside each, the floor under it: the
// same one request sent and answered, nothing parsed or compared. A summary gives the ratios.
#include "Agents.h"
#include "SnmpdPeer.h"
#include "core/HistoryRecorder.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <utility>

namespace {

std::map<std::string, double> gMicroseconds; // mean wall time per iteration, by benchmark

// Times the loop body of a benchmark in wall time, for the summary.
class Clocked {
public:
    Clocked(const benchmark::State& state, std::string name)
        : state_(state), name_(std::move(name)) {}
    ~Clocked() {
        const std::chrono::duration<double, std::micro> spent = Now() - start_;
        if (state_.iterations() > 0)
            gMicroseconds[name_] = spent.count() / static_cast<double>(state_.iterations());
    }

private:
    static std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }
    const benchmark::State& state_;
    std::string name_;
    std::chrono::steady_clock::time_point start_ = Now();
};

struct Quiet final : core::Sounds {
    void Play(core::Sound) override {}
};

// One sample after another at `address`, with the indices the pages would use there.
void TakeSample(benchmark::State& state, const std::string& agent, const std::string& address,
                const char* adslIndex, const char* wanIfxIndex, const char* wanIfIndex) {
    core::Settings settings;
    settings.IPAddress = QString::fromStdString(address);
    settings.Community = QStringLiteral("public");
    core::NullCursor cursor;
    Quiet sounds;
    core::SystemClock clock;
    core::RouterQuery query(settings, sounds, cursor);
    query.RouterPresent = true;
    core::Statistics stats(query, settings, clock);
    stats.AdslIfIndex = adslIndex;
    stats.WanIfxIndex = wanIfxIndex;
    stats.WanIfIndex = wanIfIndex;
    core::history::HistoryRecorder recorder(query, stats, settings, clock);
    int64_t requests = 0, samples = 0, values = 0;
    const Clocked clocked(state, "sample/" + agent);
    for (auto _ : state) {
        const auto reading = recorder.Take();
        if (!reading) {
            state.SkipWithError("the agent stopped answering");
            break;
        }
        requests += recorder.LastRequests();
        ++samples;
        values = 0;
        for (const auto& value : reading->sample.values)
            values += value.has_value();
    }
    state.counters["requests_per_sample"] =
        samples > 0 ? static_cast<double>(requests) / static_cast<double>(samples) : 0;
    state.counters["values_present"] = static_cast<double>(values);
}

// The same single request of every object, sent and answered on a reused sender.
void BareRequest(benchmark::State& state, const std::string& agent, const std::string& address,
                 const char* adslIndex, const char* wanIfxIndex, const char* wanIfIndex) {
    snmp::TSNMPSend send;
    send.SetTarget(address);
    send.Timeout = snmp::NormalTimeout;
    send.Query.Community = "public";
    send.Query.PDUType = snmp::tag::GetRequest;
    for (const std::string& oid :
         core::history::HistoryRecorder::Oids(adslIndex, wanIfxIndex, wanIfIndex))
        if (!oid.empty()) send.Query.AddVarBind(oid, "", snmp::tag::Null);
    const Clocked clocked(state, "bare/" + agent);
    for (auto _ : state) {
        ++send.Query.ID;
        if (!send.SendRequest()) {
            state.SkipWithError("the agent stopped answering");
            break;
        }
    }
}

void Summary(const char* agent) {
    const double sample = gMicroseconds[std::string("sample/") + agent];
    const double bare = gMicroseconds[std::string("bare/") + agent];
    if (sample > 0 && bare > 0)
        std::printf("  sample / bare request at %-8s %5.2f x  (%.0f us / %.0f us)\n", agent,
                    sample / bare, sample, bare);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    SimulatedRouter router;
    if (!router.Start()) {
        std::fprintf(stderr, "linescope_recorder_bench: snmpsim: %s\n", router.Output().c_str());
        return 1;
    }
    SnmpdPeer snmpd;
    if (!snmpd.Start()) {
        std::fprintf(stderr, "linescope_recorder_bench: snmpd: %s\n", snmpd.Error().c_str());
        return 1;
    }
    using benchmark::kMicrosecond;
    for (const auto& [agent, address, wanIfxIndex, wanIfIndex] :
         {std::tuple{"snmpsim", router.Address(), "7", "4"},
          // snmpd's loopback interface carries both kinds of octet counters.
          std::tuple{"snmpd", snmpd.Address(), "1", "1"}}) {
        benchmark::RegisterBenchmark((std::string("recorder/bare_request/") + agent).c_str(),
                                     BareRequest, agent, address, "3", wanIfxIndex, wanIfIndex)
            ->Unit(kMicrosecond);
        benchmark::RegisterBenchmark((std::string("recorder/sample/") + agent).c_str(), TakeSample,
                                     agent, address, "3", wanIfxIndex, wanIfIndex)
            ->Unit(kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\nsummary\n");
    Summary("snmpsim");
    Summary("snmpd");
    benchmark::Shutdown();
    return 0;
}
