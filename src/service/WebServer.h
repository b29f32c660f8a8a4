// The web side: a read-only status page, the charts and the line report as the service draws
// them, and Prometheus metrics, over Qt HTTP Server. Qt 6.4's server sets no limits of its own,
// so it is given a listening socket of ours that does: connections, bytes per connection, body
// size and an idle timeout.
#pragma once

#include "WebAccess.h"
#include "WebSource.h"

#include <QAbstractHttpServer>
#include <QTcpServer>
#include <memory>

class QHttpServerRequest;

namespace service {

struct WebLimits {
    int maxConnections = 128; // above what a load test or a page of browsers opens at once
    qint64 maxBytesPerConnection = 64 * 1024; // all a client sends over one connection
    qint64 maxBodyBytes = 1024;               // nothing served takes a body
    int idleMs = 15000; // a connection that completes no request for this long is closed
};

// Accepts up to maxConnections at a time (one more is closed at once), reads at most
// maxBytesPerConnection from each and closes a connection idleMs after it opened or last got
// an answer.
class BoundedTcpServer final : public QTcpServer {
    Q_OBJECT

public:
    explicit BoundedTcpServer(const WebLimits& limits, QObject* parent = nullptr);
    [[nodiscard]] int OpenConnections() const { return *open_; }
    // An answer went out on `socket`: its idle time starts again.
    static void Answered(QTcpSocket* socket);
    // Whether `socket` opened with an HTTP/1.0 request line.
    static bool OneZero(const QTcpSocket* socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    WebLimits limits_;
    // Shared with each connection's guard, which may outlive this object's destructor body.
    std::shared_ptr<int> open_ = std::make_shared<int>(0);
};

class WebServer final : public QAbstractHttpServer {
    Q_OBJECT

public:
    explicit WebServer(const WebSource& source, const WebLimits& limits = {},
                       QObject* parent = nullptr);
    ~WebServer() override;

    void SetChartRenderer(ChartRenderer renderer) { charts_ = std::move(renderer); }
    void SetReportRenderer(ReportRenderer renderer) { report_ = std::move(renderer); }

    // Listens on `at` (port 0: a free one). Where NeedsToken(at.address), every request must
    // carry `token` and an empty one is refused. Once per server; false with the reason in
    // `error` when it cannot listen.
    bool Listen(const ListenAddress& at, const QByteArray& token, QString& error);
    [[nodiscard]] quint16 Port() const;
    [[nodiscard]] int OpenConnections() const;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Reply;
    Reply Route(const QHttpServerRequest& request, const QTcpSocket& socket) const;
    void Send(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply);

    const WebSource& source_;
    WebLimits limits_;
    BoundedTcpServer* tcp_ = nullptr;
    QByteArray token_; // empty: none needed
    QByteArray policy_;
    ChartRenderer charts_;
    ReportRenderer report_;
};

} // namespace service
