// The traffic graph's costs: painting the chart with a full window of 25 points, flat and in 3D,
// painting a year of line history (600 buckets per series, dashed companions, event marks; goal
// under 16 ms, one frame), and one sampler tick (two counter reads through the router query layer
// and the rate arithmetic) next to the bare pair of gets it is built on, both answered by a private
// snmpd on loopback.
#include "SnmpdPeer.h"
#include "core/TrafficSampler.h"
#include "snmp/Transport.h"
#include "widgets/TrafficChart.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

SnmpdPeer* gPeer = nullptr;
// snmpd's loopback interface: its 64-bit counters grow with the benchmark's own traffic.
const std::string kIn = "1.3.6.1.2.1.31.1.1.1.6.1";
const std::string kOut = "1.3.6.1.2.1.31.1.1.1.10.1";

void PaintChart(benchmark::State& state) {
    widgets::TrafficChart chart;
    QVector<widgets::ChartPoint> down, up;
    for (int x = 0; x < 25; ++x) {
        down.append({double(x), 3000.0 + 37 * (x % 7), QStringLiteral(" 3:04:%1").arg(x)});
        up.append({double(x), 400.0 + 11 * (x % 5), down.back().label});
    }
    chart.SetPoints(0, down);
    chart.SetPoints(1, up);
    chart.SetLeftAxis(8128, 508);
    chart.Set3D(state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(chart.Render(QSize(600, 418)));
}

// A year's history view as HistoryView leaves it: one bucket per pixel of a 600-pixel plot.
void PaintYear(benchmark::State& state) {
    widgets::TrafficChart chart;
    chart.resize(600, 418);
    const double from = 1.7e9, to = from + 365 * 86400.0, width = (to - from) / 600;
    QVector<widgets::ChartPoint> sync[2], attainable[2], labels;
    for (int b = 0; b < 600; ++b) {
        const double x = from + (b + 0.5) * width;
        for (int side = 0; side < 2; ++side) {
            sync[side].append({x, (side ? 832 : 8128) - 97.0 * (b % 13), {}});
            attainable[side].append({x, (side ? 1024 : 10240) - 53.0 * (b % 17), {}});
        }
    }
    for (int m = 0; m < 12; ++m)
        labels.append({from + m * 30.4 * 86400, 0, QStringLiteral("Jan 2026")});
    QVector<widgets::ChartMark> marks;
    for (int e = 0; e < 200; ++e)
        marks.append({from + e * 1.7 * 86400, QColor(255, 200, 0), QStringLiteral("Resync")});
    for (int side = 0; side < 2; ++side) {
        chart.SetPoints(side, sync[side]);
        chart.SetCompanion(side, attainable[side]);
    }
    chart.SetAxisLabels(labels);
    chart.SetMarks(marks);
    chart.SetBottomAxis(from, to);
    chart.SetLeftAxis(12000, 1000);
    for (auto _ : state)
        benchmark::DoNotOptimize(chart.Render(QSize(600, 418)));
}

void BareGetPair(benchmark::State& state) {
    std::string in, out;
    for (auto _ : state) {
        snmp::SNMPGetValue(kIn, "public", gPeer->Address(), in);
        snmp::SNMPGetValue(kOut, "public", gPeer->Address(), out);
    }
}

void SamplerTick(benchmark::State& state) {
    core::Settings settings;
    settings.IPAddress = QString::fromStdString(gPeer->Address());
    settings.Community = QStringLiteral("public");
    core::NullCursor cursor;
    struct : core::Sounds {
        void Play(core::Sound) override {}
    } sounds;
    core::SystemClock clock;
    core::RouterQuery query(settings, sounds, cursor);
    core::Statistics stats(query, settings, clock);
    query.RouterPresent = true;
    stats.WanIfxIndex = std::string(1, '1');
    core::TrafficSampler sampler(query, stats, clock);
    sampler.Start(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(sampler.Tick().in);
    if (!query.RouterPresent) state.SkipWithError("snmpd stopped answering");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    SnmpdPeer peer;
    gPeer = &peer;
    if (!peer.Start()) {
        std::fprintf(stderr, "linescope_graph_bench: snmpd: %s\n", peer.Error().c_str());
        return 1;
    }
    using benchmark::kMicrosecond;
    benchmark::RegisterBenchmark("chart/paint25/2d", PaintChart)->Arg(0)->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("chart/paint25/3d", PaintChart)->Arg(1)->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("chart/paint_year_600", PaintYear)->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("sampler/bare_get_pair", BareGetPair)->Unit(kMicrosecond);
    benchmark::RegisterBenchmark("sampler/tick", SamplerTick)->Unit(kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
