// The line history's clock: every HistoryInt seconds, while the router is there, one sample read
// on the owner's thread like any page read, then posted with the events it revealed to the
// store's writer thread, which the owner never waits for. Telling the events belongs to the
// owner: a window, or a service without one.
#pragma once

#include "HistoryRecorder.h"
#include "HistoryWriter.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QLockFile;
class QTimer;

namespace core::history {

class LineHistory final : public QObject {
    Q_OBJECT

public:
    // `fileName`: the database (HistoryStore::DefaultFileName() when empty), opened with the
    // first sample, so a window that records nothing leaves no file behind.
    LineHistory(core::RouterQuery& query, core::Statistics& stats, core::Settings& settings,
                core::Clock& clock, QString fileName = {}, QObject* parent = nullptr);
    ~LineHistory() override;
    LineHistory(const LineHistory&) = delete;
    LineHistory& operator=(const LineHistory&) = delete;

    // Programs the timer from HistoryInt: off for 0, otherwise the first sample one interval
    // from now. Called once start-up has finished, and again whenever HistoryInt changes.
    // One process records a history file at a time: it holds the lock beside the file while
    // its timer runs, and one that cannot take it does not record (Recording() says so).
    void Start();
    void Stop();
    [[nodiscard]] bool Recording() const;
    [[nodiscard]] QString LockFileName() const;
    // One tick: a sample, if the router is there.
    void Tick();

    [[nodiscard]] QTimer* Timer() const { return timer_; }
    [[nodiscard]] HistoryRecorder& recorder() { return recorder_; }

signals:
    // A sample was read and posted; `events` are those it revealed, in kind order.
    void Sampled(const std::vector<core::history::Event>& events);
    // A tick talked to the router; `wasPresent` as before it, so the owner can show a router
    // the read lost.
    void Settled(bool wasPresent);
    // The writer has stored the sample taken at `time`: an open history view may refresh.
    void SampleWritten(qint64 time);
    // The store could not be used as it was: a file set aside, a sample not stored.
    void Problem(const QString& text);
    // The sample just stored took the period's use past 80% or 100% of the allowance.
    void UsageNotices(const std::vector<core::history::UsageNotice>& notices);

private:
    bool TakeLock();

    core::Settings& settings_;
    core::RouterQuery& query_;
    HistoryRecorder recorder_;
    QString fileName_;
    HistoryWriter* writer_ = nullptr;
    QTimer* timer_;
    int seconds_ = 0; // what the timer was programmed with
    std::unique_ptr<QLockFile> lock_;
};

} // namespace core::history
