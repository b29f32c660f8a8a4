// linescope_history_seed FILE DAYS: a line history of DAYS days of minute samples up to now, for
// the screenshots and the demo.
#include "HistorySynth.h"

#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3 || atoi(argv[2]) <= 0) {
        fputs("usage: linescope_history_seed FILE DAYS\n", stderr);
        return 2;
    }
    core::history::HistoryStore store(QString::fromLocal8Bit(argv[1]),
                                      core::history::HistoryStore::Mode::Write);
    if (!store.Open()) {
        fprintf(stderr, "linescope_history_seed: %s\n", qPrintable(store.Problem()));
        return 1;
    }
    const int64_t now = QDateTime::currentSecsSinceEpoch();
    const int64_t stored = bench::FillHistory(store, now - now % 60, atoi(argv[2]));
    printf("%lld samples in %s\n", static_cast<long long>(stored), argv[1]);
    return stored > 0 ? 0 : 1;
}
