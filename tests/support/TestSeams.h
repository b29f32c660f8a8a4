// Test implementations of the core's seams: a clock that stands still until told, and sounds and
// a cursor that only count what the code asked of them.
#pragma once

#include "core/Seams.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <algorithm>
#include <utility>
#include <vector>

namespace testing_seams {

class FixedClock final : public core::Clock {
public:
    explicit FixedClock(QDateTime now = QDateTime(QDate(2026, 12, 6), QTime(8, 30, 0)))
        : now_(std::move(now)) {}
    [[nodiscard]] QDateTime Now() const override { return now_; }
    [[nodiscard]] std::chrono::steady_clock::time_point Monotonic() const override {
        return realMonotonic_ ? std::chrono::steady_clock::now() : monotonic_;
    }
    void AdvanceMSecs(qint64 msecs) {
        now_ = now_.addMSecs(msecs);
        monotonic_ += std::chrono::milliseconds(msecs);
    }
    // For a test whose peer keeps real time: the monotonic reading runs, the local time stays.
    void RunMonotonic() { realMonotonic_ = true; }

private:
    QDateTime now_;
    std::chrono::steady_clock::time_point monotonic_{};
    bool realMonotonic_ = false;
};

class RecordingSounds final : public core::Sounds {
public:
    void Play(core::Sound sound) override { played_.push_back(sound); }
    [[nodiscard]] int Count(core::Sound sound) const {
        return static_cast<int>(std::count(played_.begin(), played_.end(), sound));
    }
    [[nodiscard]] int Total() const { return static_cast<int>(played_.size()); }
    [[nodiscard]] const std::vector<core::Sound>& Played() const { return played_; }
    void Clear() { played_.clear(); }

private:
    std::vector<core::Sound> played_;
};

class CountingCursor final : public core::Cursor {
public:
    void SetBusy() override {
        ++busy_;
        ++depth_;
    }
    void Restore() override {
        ++restored_;
        --depth_;
    }
    [[nodiscard]] int BusyCount() const { return busy_; }
    [[nodiscard]] int RestoreCount() const { return restored_; }
    // Busy calls not yet restored; negative when the code restored more than it set.
    [[nodiscard]] int Depth() const { return depth_; }

private:
    int busy_ = 0;
    int restored_ = 0;
    int depth_ = 0;
};

} // namespace testing_seams
