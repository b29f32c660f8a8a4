// The line history's clock in the window: every HistoryInt seconds, while the router is there,
// one sample read on the user-interface thread like any page read, then posted with the events
// it revealed to the store's writer thread, which the window never waits for. Telling the
// events belongs to the window.
#pragma once

#include "core/HistoryRecorder.h"
#include "core/HistoryWriter.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

class QTimer;

namespace app {

class LineHistory final : public QObject {
    Q_OBJECT

public:
    // `fileName`: the database (HistoryStore::DefaultFileName() when empty), opened with the
    // first sample, so a window that records nothing leaves no file behind.
    LineHistory(core::RouterQuery& query, core::Statistics& stats, core::Settings& settings,
                core::Clock& clock, QString fileName = {}, QObject* parent = nullptr);

    // Programs the timer from HistoryInt: off for 0, otherwise the first sample one interval
    // from now. Called once start-up has finished, and again whenever HistoryInt changes.
    void Start();
    void Stop();
    // One tick: a sample, if the router is there.
    void Tick();

    [[nodiscard]] QTimer* Timer() const { return timer_; }
    [[nodiscard]] core::history::HistoryRecorder& recorder() { return recorder_; }

signals:
    // A sample was read and posted; `events` are those it revealed, in kind order.
    void Sampled(const core::history::Sample& sample,
                 const std::vector<core::history::Event>& events);
    // A tick talked to the router; `wasPresent` as before it, so the window can show a router
    // the read lost.
    void Settled(bool wasPresent);
    // The writer has stored the sample taken at `time`: an open history view may refresh.
    void SampleWritten(qint64 time);
    // The store could not be used as it was: a file set aside, a sample not stored.
    void Problem(const QString& text);

private:
    core::Settings& settings_;
    core::RouterQuery& query_;
    core::history::HistoryRecorder recorder_;
    QString fileName_;
    core::history::HistoryWriter* writer_ = nullptr;
    QTimer* timer_;
    int seconds_ = 0; // what the timer was programmed with
};

} // namespace app
