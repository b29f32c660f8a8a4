// The outside world the core touches, behind small interfaces: a real implementation for the
// program and a recording one for tests.
#pragma once

#include <QDateTime>
#include <chrono>

namespace core {

class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual QDateTime Now() const = 0;
    // For measuring how long something took: never set back, unlike the local time.
    [[nodiscard]] virtual std::chrono::steady_clock::time_point Monotonic() const = 0;
};

enum class Sound { Error, Information, Default };

class Sounds {
public:
    virtual ~Sounds() = default;
    virtual void Play(Sound sound) = 0;
};

// Busy (hourglass) cursor; the GUI implements it with QApplication::setOverrideCursor.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual void SetBusy() = 0;
    virtual void Restore() = 0;
};

// Restores the cursor on every path out of a scope.
class BusyCursorScope {
public:
    explicit BusyCursorScope(Cursor& cursor) : cursor_(cursor) { cursor_.SetBusy(); }
    ~BusyCursorScope() { cursor_.Restore(); }
    BusyCursorScope(const BusyCursorScope&) = delete;
    BusyCursorScope& operator=(const BusyCursorScope&) = delete;

private:
    Cursor& cursor_;
};

class SystemClock final : public Clock {
public:
    [[nodiscard]] QDateTime Now() const override { return QDateTime::currentDateTime(); }
    [[nodiscard]] std::chrono::steady_clock::time_point Monotonic() const override {
        return std::chrono::steady_clock::now();
    }
};

// libcanberra's freedesktop sound events when available; otherwise a fallback the GUI supplies.
class SystemSounds final : public Sounds {
public:
    using Fallback = void (*)(Sound);
    explicit SystemSounds(Fallback fallback = nullptr);
    ~SystemSounds() override;
    SystemSounds(const SystemSounds&) = delete;
    SystemSounds& operator=(const SystemSounds&) = delete;
    void Play(Sound sound) override;

private:
    struct Impl;
    Impl* impl_;
    Fallback fallback_;
};

class NullCursor final : public Cursor {
public:
    void SetBusy() override {}
    void Restore() override {}
};

} // namespace core
