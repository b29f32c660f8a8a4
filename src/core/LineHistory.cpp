#include "LineHistory.h"

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

void LineHistory::Start() {
    // Held to what a millisecond timer interval can express, as the refresh timer is.
    seconds_ = std::clamp(settings_.HistoryInt, 0, std::numeric_limits<int>::max() / 1000);
    if (seconds_ >= 1) {
        timer_->start(seconds_ * 1000);
    } else {
        timer_->stop();
    }
}

void LineHistory::Stop() {
    timer_->stop();
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
