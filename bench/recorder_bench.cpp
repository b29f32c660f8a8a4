// The line history's sample: how many requests one takes (goal: 2 or fewer) and how long, against
// the simulated router (snmpsim, every object there) and net-snmp's snmpd (no ADSL line MIB, so
// most objects come back as exceptions), both on loopback.
#include "Agents.h"
#include "HistoryRecorder.h"
#include "SnmpdPeer.h"

#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

struct Quiet final : core::Sounds {
    void Play(core::Sound) override {}
};

// One sample after another at `address`, with the indices the pages would use there.
void TakeSample(benchmark::State& state, const std::string& address, const char* adslIndex,
                const char* wanIfxIndex) {
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
    core::history::HistoryRecorder recorder(query, stats, settings, clock);
    int64_t requests = 0, samples = 0, values = 0;
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
    benchmark::RegisterBenchmark("recorder/sample/snmpsim", TakeSample, router.Address(), "3", "7")
        ->Unit(kMicrosecond);
    // snmpd's loopback interface carries the 64-bit counters.
    benchmark::RegisterBenchmark("recorder/sample/snmpd", TakeSample, snmpd.Address(), "3", "1")
        ->Unit(kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
