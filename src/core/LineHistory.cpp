#include "LineHistory.h"

#include "HistoryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <utility>

namespace core::history {

LineHistory::LineHistory(core::RouterQuery& query, core::Statistics& stats,
                         core::Settings& settings, core::Clock& clock, QString fileName,
                         QObject* parent)
    : QObject(parent), settings_(settings), query_(query), recorder_(query, stats, settings, clock),
      fileName_(std::move(fileName)), timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("HistoryTimer"));
    connect(timer_, &QTimer::timeout, this, &LineHistory::Tick);
}

LineHistory::~LineHistory() = default;

void LineHistory::Start() {
    // Held to what a millisecond timer interval can express, as the refresh timer is.
    seconds_ = std::clamp(settings_.HistoryInt, 0, std::numeric_limits<int>::max() / 1000);
    if (seconds_ >= 1 && TakeLock()) {
        timer_->start(seconds_ * 1000);
    } else {
        Stop();
    }
}

void LineHistory::Stop() {
    timer_->stop();
    lock_.reset();
}

bool LineHistory::Recording() const {
    return timer_->isActive();
}

QString LineHistory::LockFileName() const {
    return (fileName_.isEmpty() ? HistoryStore::DefaultFileName() : fileName_) +
           QStringLiteral(".lock");
}

bool LineHistory::TakeLock() {
    if (lock_) return true;
    const QString name = LockFileName();
    QDir().mkpath(QFileInfo(name).absolutePath());
    auto lock = std::make_unique<QLockFile>(name);
    // Only a holder that still runs keeps it: one that died leaves a lock Qt takes over.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) return false;
    lock_ = std::move(lock);
    return true;
}

void LineHistory::Tick() {
    // A changed interval takes effect from this tick on.
    if (settings_.HistoryInt != seconds_) Start();
    if (!timer_->isActive() || !query_.RouterPresent) return;
    auto reading = recorder_.Take();
    emit Settled(true);
    if (!reading) return;
    if (writer_ == nullptr) {
        writer_ = new HistoryWriter(fileName_, this);
        connect(writer_, &HistoryWriter::Written, this, &LineHistory::SampleWritten);
        connect(writer_, &HistoryWriter::Problem, this, &LineHistory::Problem);
        connect(writer_, &HistoryWriter::UsageNotices, this, &LineHistory::UsageNotices);
    }
    // The allowance as it stands now, so a changed one counts from this sample on.
    writer_->SetAllowance({settings_.UsageCapGB, settings_.UsageCapDay});
    writer_->Post(reading->sample, reading->events);
    // The identity line the line report names; one seen again within the hour costs no write.
    writer_->PostIdentity(query_.StatusText, reading->sample.time);
    emit Sampled(reading->events);
}

} // namespace core::history
