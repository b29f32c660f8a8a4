#include "app/tray/LogOff.h"

#include "app/Dialogs.h"

#include <QCoreApplication>
#include <QEvent>

namespace app {

LogOff::LogOff(Steps steps, QObject* parent) : QObject(parent), steps_(std::move(steps)) {
    resumeTimer_.setSingleShot(true);
    resumeTimer_.setInterval(std::chrono::seconds(60));
    connect(&resumeTimer_, &QTimer::timeout, this, &LogOff::Resume);
}

LogOff::~LogOff() {
    qApp->removeEventFilter(this);
    Modal::Resume(); // the window is gone; the next one starts afresh
}

void LogOff::End(bool quit) {
    quit_ = quit_ || quit;
    if (quit_) resumeTimer_.stop(); // a log-off that really ends starts nothing again
    const bool save = state_ == State::Running;
    if (save) state_ = State::Ending;
    Modal::EndAll(this, [this, save] {
        if (save)
            Save();
        else if (quit_ && state_ != State::Ending)
            Finish();
    });
}

bool LogOff::BeginClose() {
    if (state_ != State::Running) return false;
    state_ = State::Closed;
    return true;
}

void LogOff::Save() {
    steps_.save();
    state_ = State::Saved;
    if (quit_) return Finish();
    qApp->installEventFilter(this);
    resumeTimer_.start();
}

void LogOff::Resume() {
    if (state_ != State::Saved || quit_) return;
    qApp->removeEventFilter(this);
    resumeTimer_.stop();
    state_ = State::Running;
    Modal::Resume();
    steps_.resume();
}

void LogOff::Finish() {
    if (finished_) return;
    finished_ = true;
    emit Finished();
}

bool LogOff::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
        // Before the input itself is handled, so it meets the program whole again.
        if (watched->isWidgetType() || watched->isWindowType()) Resume();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace app
