// history_writer_loop FILE START STEP [COUNT]: posts samples timed START, START + STEP, ...
// through the history writer: COUNT of them at once and ends, or each once the one before is
// stored, forever.
#include "HistoryWriterLoop.h"
#include "core/HistoryWriter.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) return 2;
    const int64_t start = atoll(argv[2]), step = atoll(argv[3]);
    int64_t count = argc > 4 ? atoll(argv[4]) : -1;
    using namespace core::history;
    HistoryWriter writer(QString::fromLocal8Bit(argv[1]));
    int64_t next = start;
    auto post = [&] {
        Sample s;
        s.time = next;
        s.interval = step;
        for (int c = 0; c < ColumnCount; ++c)
            s.values[c] = loop::Value(next, c);
        std::vector<Event> events;
        if (loop::HasEvent(next))
            events.push_back(
                {next, EventKind((next / 60) % EventKindCount + 1), QString::number(next)});
        writer.Post(s, std::move(events));
        next += step;
    };
    if (count >= 0) { // all at once: the writer stores everything posted before it goes
        while (count-- > 0)
            post();
        return 0;
    }
    QObject::connect(&writer, &HistoryWriter::Written, post);
    QObject::connect(&writer, &HistoryWriter::Problem, [](const QString& text) {
        fprintf(stderr, "%s\n", qPrintable(text));
        QCoreApplication::exit(1);
    });
    post();
    return QCoreApplication::exec();
}
