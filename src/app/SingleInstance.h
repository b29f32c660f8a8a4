// One LineScope window per user. The whole settings record is written when the window closes, so
// two windows would overwrite each other's changes, and a tray program runs once anyway. The first
// start holds a lock file in the user's runtime directory and listens on a local socket beside
// it; a later start finds the lock taken, asks the running one to come to the front, and ends.
// Only the window claims it: a start that opens no window need not (and must not) wait for it.
#pragma once

#include <QLockFile>
#include <QObject>
#include <memory>

class QLocalServer;

namespace app {

class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // `directory`: where the lock and the socket live (the runtime directory when empty).
    explicit SingleInstance(QString directory = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the one instance (or no runtime directory exists to hold
    // a lock in, when every start runs as it always did); false when another one holds it.
    bool Claim();
    // For a start that found the lock taken: asks the running instance to show its window.
    // False when it could not be reached.
    bool WakeRunning() const;

signals:
    // Another start asked for the window.
    void Activated();

private:
    QString directory_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace app
