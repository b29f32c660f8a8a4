// Tells the window that the user's session is ending: the desktop's session manager asking to
// save (QGuiApplication::commitDataRequest), or a SIGTERM or SIGHUP, which is what a log-off or a
// shut-down sends a program that has no session manager. The signals reach the event loop through
// a self-pipe, so the window's handler runs on the user-interface thread like any other.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace app {

class SessionEnd final : public QObject {
    Q_OBJECT

public:
    // One per process: it owns the SIGTERM and SIGHUP handlers while it lives.
    // Catches the signals at once; they wait in the self-pipe until Listen.
    explicit SessionEnd(QObject* parent = nullptr);
    ~SessionEnd() override;

    // Starts reporting Ending, once its receiver is connected; a signal caught before waits.
    void Listen();

signals:
    // `quit`: the program is to end after saving (a signal); false when the session manager only
    // asked to save and may still cancel the log-off.
    void Ending(bool quit);

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace app
