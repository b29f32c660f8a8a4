// The line history's costs: a sample's insert (Add on the caller's thread, and through the
// writer thread, with what Post costs the window), and a synthetic year of minute samples: its
// file size and the time the 30-day and 1-year views take at 600 buckets, and the usage and
// line report queries over it, and the 30-day line report's PDF made from it. Goals: under
// 100 MB, under 50 ms per view and per query, under 2 s per report.
#include "HistorySynth.h"
#include "core/HistoryWriter.h"
#include "core/LineReport.h"
#include "core/Usage.h"
#include "report/LineReport.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

using namespace core::history;
using Clock = std::chrono::steady_clock;

constexpr int64_t End = 1767225600; // a minute's start

double Us(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

// Median of `runs` calls of `f`, in milliseconds.
template <typename F> double MedianMs(int runs, F f) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        t.push_back(Us(Clock::now() - start) / 1000);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

double FileMb(const QString& file) {
    double bytes = 0;
    for (const char* suffix : {"", "-wal", "-shm"})
        bytes += QFileInfo(file + suffix).size();
    return bytes / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // the report draws without a display
    QGuiApplication app(argc, argv);
    setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is measured
    QTemporaryDir dir;
    const int n = 5000;

    {
        HistoryStore store(dir.filePath("add.sqlite"), HistoryStore::Mode::Write);
        if (!store.Open()) return 1;
        bench::SynthLine line;
        std::vector<Event> events;
        const auto start = Clock::now();
        for (int i = 0; i < n; ++i)
            store.Add(bench::SynthSample(line, End + i * 60, 60, events), {});
        printf("insert, Add:            %8.1f us per sample\n", Us(Clock::now() - start) / n);
    }
    {
        HistoryWriter writer(dir.filePath("writer.sqlite"));
        QEventLoop loop;
        QObject::connect(&writer, &HistoryWriter::Written, [&](qint64 time) {
            if (time == End + (n - 1) * 60) loop.quit();
        });
        bench::SynthLine line;
        std::vector<Event> events;
        std::vector<Sample> samples;
        for (int i = 0; i < n; ++i)
            samples.push_back(bench::SynthSample(line, End + i * 60, 60, events));
        const auto start = Clock::now();
        Clock::duration posting{};
        for (const Sample& s : samples) {
            const auto before = Clock::now();
            writer.Post(s, {});
            posting += Clock::now() - before;
        }
        loop.exec();
        printf("insert, writer thread:  %8.1f us per sample (Post: %.2f us on the caller)\n",
               Us(Clock::now() - start) / n, Us(posting) / n);
    }

    const QString year = dir.filePath("year.sqlite");
    {
        HistoryStore store(year, HistoryStore::Mode::Write);
        if (!store.Open()) return 1;
        const auto start = Clock::now();
        const int64_t stored = bench::FillHistory(store, End, 365);
        printf("a year of minute samples: %lld stored in %.0f s\n", static_cast<long long>(stored),
               Us(Clock::now() - start) / 1e6);
    }
    printf("year file size:         %8.1f MB (goal < 100)\n", FileMb(year));
    HistoryStore view(year, HistoryStore::Mode::Read);
    if (!view.Open()) return 1;
    for (const auto& [name, span] : {std::pair{"30 days", 30}, std::pair{"1 year", 365}}) {
        for (const Col c : {AturCurrSnrMgn, AturPerfESs}) {
            size_t points = 0;
            const double ms = MedianMs(
                9, [&] { points = view.Series(c, End - int64_t(span) * 86400, End, 600).size(); });
            printf("Series %-7s %-11s %6.1f ms, %zu points (goal < 50 ms)\n", name,
                   c == AturCurrSnrMgn ? "(level):" : "(counter):", ms, points);
        }
    }
    const QDate last = QDateTime::fromSecsSinceEpoch(End - 1).date();
    const struct {
        const char* name;
        std::function<size_t()> query;
    } queries[] = {
        {"usage 24 h by hour:",
         [&] { return UsageBuckets(view, End - 86400, End, UsageGrain::Hour).size(); }},
        {"usage 1 y by day:",
         [&] { return UsageBuckets(view, End - 365 * 86400, End, UsageGrain::Day).size(); }},
        {"usage 1 y by month:",
         [&] { return UsageBuckets(view, End - 365 * 86400, End, UsageGrain::Month).size(); }},
        {"usage table, 1 y:", [&] { return UsageTable(view).size(); }},
        {"line report, 1 y:",
         [&] { return LineReportDays(view, last.addDays(-364), last).size(); }},
    };
    for (const auto& q : queries) {
        size_t rows = 0;
        const double ms = MedianMs(9, [&] { rows = q.query(); });
        printf("%-24s %6.1f ms, %zu rows (goal < 50 ms)\n", q.name, ms, rows);
    }
    QByteArray pdf;
    const QDateTime now = QDateTime::fromSecsSinceEpoch(End - 60);
    const double ms = MedianMs(5, [&] { pdf = report::LineReport::Pdf(view, 30, now); });
    printf("line report PDF, 30 d:  %8.0f ms, %.0f KB (goal < 2000 ms)\n", ms,
           double(pdf.size()) / 1e3);
    return pdf.startsWith("%PDF-") ? 0 : 1;
}
