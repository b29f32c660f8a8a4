// What the window does when the user's session ends, and when it turns out not to.
//
// A save request of the session manager, or a signal, asks the window to save and stop. Dialogs
// open at that moment are ended first (Modal), and the saving waits until their loops have
// unwound, since it frees the floating window they may belong to. After a save request alone the
// log-off may still be cancelled, and Qt does not say so: the first user input to one of the
// program's windows, or the program still running ResumeAfter later, is taken as the sign, and
// the window makes whole again what the saving stopped.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace app {

class LogOff final : public QObject {
    Q_OBJECT

public:
    struct Steps {
        // Write the closing line and the settings, and free the floating window; no dialog is
        // open, and none may open.
        std::function<void()> save;
        // The log-off was cancelled: start again what `save` stopped.
        std::function<void()> resume;
    };
    LogOff(Steps steps, QObject* parent);
    ~LogOff() override;

    // The session is ending; with `quit` the program ends once saved (Finished), otherwise it
    // waits to be told by the user, or by the time, that the log-off was cancelled.
    void End(bool quit);
    // The window is being closed: true when the close is to save; false while a close or a
    // log-off has saved, or is about to.
    [[nodiscard]] bool BeginClose();
    void SetResumeAfter(std::chrono::milliseconds wait) { resumeTimer_.setInterval(wait); }
    // Saved for the log-off, and not resumed.
    [[nodiscard]] bool Saved() const { return state_ == State::Saved; }

signals:
    void Finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class State { Running, Ending, Saved, Closed };
    void Save();
    void Resume();
    void Finish();

    Steps steps_;
    State state_ = State::Running;
    bool quit_ = false;
    bool finished_ = false;
    QTimer resumeTimer_;
};

} // namespace app
