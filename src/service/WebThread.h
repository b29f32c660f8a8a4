// The web side of the service on a thread of its own, so a request is answered while the
// service's thread waits on the router. The service posts what it learns to a LiveBoard; the web
// thread copies it out per request and reads the history through a store of its own.
#pragma once

#include "service/WebServer.h"

#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <optional>

namespace core {
class RouterQuery;
class Statistics;
} // namespace core

namespace service {

class LiveBoard {
public:
    // The newest lines kept for the page.
    static constexpr int KeptLines = 200;

    // The router as the service's last check and sample left it.
    void SetRouter(const core::RouterQuery& query, const core::Statistics& stats,
                   const std::optional<core::history::Sample>& sample);
    // A line of the syslog server's log, and its counts so far.
    void AddLine(const QString& line, uint64_t received, uint64_t lost);
    [[nodiscard]] LiveState Copy() const;

private:
    mutable QMutex mutex_;
    LiveState live_;
};

class WebThread final : public QThread {
public:
    WebThread(const LiveBoard& board, QString historyFile);
    ~WebThread() override;
    WebThread(const WebThread&) = delete;
    WebThread& operator=(const WebThread&) = delete;

    // Starts the thread and its server on `at`; false, with the reason in `error`, when it
    // cannot listen (the thread has then ended).
    bool Begin(const ListenAddress& at, const QByteArray& token, QString& error);
    [[nodiscard]] quint16 Port() const { return port_; }

protected:
    void run() override;

private:
    const LiveBoard& board_;
    QString historyFile_;
    ListenAddress at_;
    QByteArray token_;
    QString error_;
    bool listening_ = false;
    quint16 port_ = 0;
    QSemaphore ready_;
};

} // namespace service
