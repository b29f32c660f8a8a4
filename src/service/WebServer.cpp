#include "WebServer.h"

#include "WebPages.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>
#include <QTimer>

namespace service {

namespace {

// Watches one connection: counts what it sends and closes it when that passes the limit or it
// stays idle too long. A child of the socket, so it goes with it however the socket goes; Qt
// 6.4 drops every signal connection of a socket whose request it cannot parse and then leaves
// it open, and this timer is what closes such a socket.
class ConnectionGuard final : public QObject {
public:
    ConnectionGuard(QTcpSocket* socket, const WebLimits& limits, std::shared_ptr<int> open)
        : QObject(socket), socket_(socket), limit_(limits.maxBytesPerConnection),
          open_(std::move(open)) {
        ++*open_;
        setObjectName(Name);
        timer_.setSingleShot(true);
        timer_.setInterval(limits.idleMs);
        connect(&timer_, &QTimer::timeout, this, &ConnectionGuard::Close);
        // Connected before the HTTP server's own handler, so it sees each arrival unread.
        connect(socket, &QTcpSocket::readyRead, this, [this] {
            if (received_ == 0) {
                const QByteArray head = socket_->peek(512);
                const qsizetype eol = head.indexOf("\r\n");
                oneZero_ = eol > 0 && head.first(eol).endsWith(" HTTP/1.0");
            }
            received_ += socket_->bytesAvailable();
            if (received_ > limit_)
                QMetaObject::invokeMethod(this, &ConnectionGuard::Close, Qt::QueuedConnection);
        });
        timer_.start();
    }
    ~ConnectionGuard() override { --*open_; }
    // Found by name: without a meta-object of its own findChild would take any child.
    static constexpr auto Name = "linescope-connection-guard";
    ConnectionGuard(const ConnectionGuard&) = delete;
    ConnectionGuard& operator=(const ConnectionGuard&) = delete;

    void Restart() { timer_.start(); }
    // The connection opened with an HTTP/1.0 request, whose default is to close after it.
    [[nodiscard]] bool OneZero() const { return oneZero_; }
    void Close() {
        socket_->abort();
        socket_->deleteLater();
    }

private:
    QTcpSocket* socket_;
    qint64 limit_;
    qint64 received_ = 0;
    bool oneZero_ = false;
    std::shared_ptr<int> open_;
    QTimer timer_;
};

using Status = QHttpServerResponder::StatusCode;

} // namespace

BoundedTcpServer::BoundedTcpServer(const WebLimits& limits, QObject* parent)
    : QTcpServer(parent), limits_(limits) {}

void BoundedTcpServer::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor) || *open_ >= limits_.maxConnections) {
        socket->abort();
        delete socket;
        return;
    }
    // Bounds what waits in memory even when nobody reads it any more.
    socket->setReadBufferSize(limits_.maxBytesPerConnection + 1);
    new ConnectionGuard(socket, limits_, open_);
    addPendingConnection(socket);
}

namespace {
ConnectionGuard* GuardOf(const QTcpSocket* socket) {
    return static_cast<ConnectionGuard*>(socket->findChild<QObject*>(
        QLatin1String(ConnectionGuard::Name), Qt::FindDirectChildrenOnly));
}
} // namespace

void BoundedTcpServer::Answered(QTcpSocket* socket) {
    if (auto* guard = GuardOf(socket)) guard->Restart();
}

bool BoundedTcpServer::OneZero(const QTcpSocket* socket) {
    const auto* guard = GuardOf(socket);
    return guard && guard->OneZero();
}

struct WebServer::Reply {
    int status = 200;
    QByteArray type = "text/plain; charset=utf-8";
    QByteArray body;
    QByteArray extraName, extraValue; // one header more, when needed
    bool close = false;
};

WebServer::WebServer(const WebSource& source, const WebLimits& limits, QObject* parent)
    : QAbstractHttpServer(parent), source_(source), limits_(limits) {
    const QByteArray styleHash =
        QCryptographicHash::hash(PageStyle(), QCryptographicHash::Sha256).toBase64();
    policy_ = "default-src 'none'; img-src 'self'; style-src 'sha256-" + styleHash +
              "'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";
}

WebServer::~WebServer() = default;

bool WebServer::Listen(const ListenAddress& at, const QByteArray& token, QString& error) {
    if (tcp_) {
        error = QStringLiteral("The web server is already listening");
        return false;
    }
    if (NeedsToken(at.address) && token.isEmpty()) {
        error = QStringLiteral("Listening on %1 needs a token").arg(at.address.toString());
        return false;
    }
    auto* tcp = new BoundedTcpServer(limits_, this);
    if (!tcp->listen(at.address, at.port)) {
        error = QStringLiteral("Cannot listen on %1 port %2: %3")
                    .arg(at.address.toString())
                    .arg(at.port)
                    .arg(tcp->errorString());
        delete tcp;
        return false;
    }
    token_ = NeedsToken(at.address) ? token : QByteArray();
    tcp_ = tcp;
    bind(tcp_);
    return true;
}

quint16 WebServer::Port() const {
    return tcp_ ? tcp_->serverPort() : 0;
}

int WebServer::OpenConnections() const {
    return tcp_ ? tcp_->OpenConnections() : 0;
}

WebServer::Reply WebServer::Route(const QHttpServerRequest& request,
                                  const QTcpSocket& socket) const {
    auto fail = [](int status, const char* text) {
        return Reply{status, "text/plain; charset=utf-8", QByteArray(text) + '\n', {}, {}, true};
    };
    auto ok = [](const char* type, QByteArray body) {
        return Reply{200, type, std::move(body), {}, {}, false};
    };
    if (request.method() != QHttpServerRequest::Method::Get) {
        Reply r = fail(405, "only GET is served");
        r.extraName = "Allow";
        r.extraValue = "GET";
        return r;
    }
    if (!HostMatches(request.value("Host"), socket.localAddress(), socket.localPort()))
        return fail(403, "Host does not name this server");
    if (request.body().size() > limits_.maxBodyBytes) return fail(413, "request body too large");

    QString why;
    const auto query = ParseQuery(request.url().query(QUrl::FullyEncoded).toLatin1(),
                                  SpanParam | DaysParam | TokenParam, why);
    if (!token_.isEmpty()) {
        const QByteArray auth = request.value("Authorization");
        const bool bearer = auth.startsWith("Bearer ") && TokenMatches(auth.mid(7), token_);
        const bool given = query && query->token && TokenMatches(*query->token, token_);
        if (!bearer && !given) {
            Reply r = fail(401, "a token is needed");
            r.extraName = "WWW-Authenticate";
            r.extraValue = "Bearer realm=\"LineScope\"";
            return r;
        }
    }
    if (!query) return fail(400, why.toUtf8().constData());

    const QString path = request.url().path(QUrl::FullyEncoded);
    auto takes = [&query](unsigned params) {
        return (query->present & ~(params | TokenParam)) == 0;
    };
    const int64_t now = QDateTime::currentSecsSinceEpoch();
    const LiveState live = source_.Live();
    if (path == QLatin1String("/")) {
        if (!takes(SpanParam)) return fail(400, "unknown parameter");
        const QByteArray tokenQuery =
            query->token ? "token=" + QByteArray(*query->token).toPercentEncoding() : QByteArray();
        return ok("text/html; charset=utf-8",
                  StatusPage(live, source_.History(), query->span, now, tokenQuery));
    }
    if (path == QLatin1String("/metrics")) {
        if (!takes(0)) return fail(400, "unknown parameter");
        return ok("text/plain; version=0.0.4; charset=utf-8", Metrics(live, source_.History()));
    }
    if (const auto chart = ChartAt(path.toLatin1())) {
        if (!takes(SpanParam)) return fail(400, "unknown parameter");
        const QByteArray png = charts_ ? charts_(*chart, query->span, ChartSize) : QByteArray();
        if (!png.startsWith("\x89PNG\r\n\x1a\n")) return fail(503, "chart unavailable");
        return ok("image/png", png);
    }
    if (path == QLatin1String("/report.pdf")) {
        if (!takes(DaysParam)) return fail(400, "unknown parameter");
        const QByteArray pdf = report_ ? report_(query->days) : QByteArray();
        if (!pdf.startsWith("%PDF-")) return fail(503, "report unavailable");
        return Reply{200,
                     "application/pdf",
                     pdf,
                     "Content-Disposition",
                     "inline; filename=\"linescope-report.pdf\"",
                     false};
    }
    return fail(404, "not found");
}

void WebServer::Send(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply) {
    // Qt 6.4 keeps every connection open: an HTTP/1.0 client (Apache Bench) waits for the close.
    const QByteArray connection = request.value("Connection").toLower();
    const bool close = reply.close || connection.contains("close") ||
                       (BoundedTcpServer::OneZero(socket) && !connection.contains("keep-alive"));
    auto responder = makeResponder(request, socket);
    responder.writeStatusLine(static_cast<Status>(reply.status));
    responder.writeHeader("Content-Type", reply.type);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    responder.writeHeader("Content-Security-Policy", policy_);
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("X-Frame-Options", "DENY");
    // The token may be in the address; it must not travel on in a Referer or sit in a cache.
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("Cache-Control", "no-store");
    if (!reply.extraName.isEmpty()) responder.writeHeader(reply.extraName, reply.extraValue);
    if (close) responder.writeHeader("Connection", "close");
    responder.writeBody(reply.body);
    BoundedTcpServer::Answered(socket);
    if (close) socket->disconnectFromHost();
}

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    Send(request, socket, Route(request, *socket));
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    Send(request, socket, Reply{404, "text/plain; charset=utf-8", "not found\n", {}, {}, true});
}

} // namespace service
