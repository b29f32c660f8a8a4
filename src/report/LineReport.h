// The line report: a PDF of a few A4 pages for a person at an ISP's help desk. The router and
// the span, the line at the last sample with the rules of thumb's verdicts, a row per day, the
// history charts and the line events, as searchable text. Drawn with QPainter on QPdfWriter,
// without a window: it needs a QGuiApplication, which the offscreen platform serves.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QIODevice;

namespace core::history {
class HistoryStore;
}

namespace report {

inline constexpr int DefaultDays = 7;
inline constexpr int MaxDays = 366;

class LineReport {
public:
    // The report over the `days` days (1 to MaxDays) that end with the day of `now`, from the
    // store as it is (a store that is not open reads as an empty history). False, with the
    // reason in `error`, when `days` is out of range or the file could not be written whole; a
    // file is replaced only by a whole report.
    static bool Write(const QString& fileName, const core::history::HistoryStore& store, int days,
                      const QDateTime& now, QString& error);
    // The same into an open device, for a report served from memory.
    static bool Write(QIODevice& device, const core::history::HistoryStore& store, int days,
                      const QDateTime& now, QString& error);
    // The PDF's bytes; empty when it could not be made.
    static QByteArray Pdf(const core::history::HistoryStore& store, int days, const QDateTime& now);
};

} // namespace report
