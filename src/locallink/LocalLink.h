// The local link between the window and the service of one user: a stream socket in
// $XDG_RUNTIME_DIR that only the user can open, carrying framed JSON messages (Frames.h); a
// broken stream ends the connection. Each side's first message is "hello" with its "version";
// a peer of another version is closed.
#pragma once

#include "locallink/Frames.h"

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QTimer;

namespace locallink {

// The socket's path; empty without XDG_RUNTIME_DIR, where no private place exists for it.
QString SocketPath();

// One connection, either side: says hello, checks the other's, then passes messages on.
class Peer final : public QObject {
    Q_OBJECT

public:
    // Takes `socket` over; `hello` is this side's hello, with what the other side should know.
    Peer(QLocalSocket* socket, QJsonObject hello, QObject* parent = nullptr);
    void Send(const QJsonObject& message);
    // Waits a moment for what is queued to go out: before the process ends.
    void Flush();
    [[nodiscard]] bool Greeted() const { return greeted_; }
    void Close();

signals:
    void Greeting(const QJsonObject& hello);
    void Received(const QJsonObject& message);
    void Closed();

private:
    void Read();

    QLocalSocket* socket_;
    FrameReader reader_;
    bool greeted_ = false;
    bool closed_ = false;
};

// The service's end: listens at SocketPath() and sends to every window that said hello.
class LinkServer final : public QObject {
    Q_OBJECT

public:
    explicit LinkServer(QString path = SocketPath(), QObject* parent = nullptr);
    ~LinkServer() override;
    // False, with the reason, when another service answers there or it cannot listen.
    bool Listen(QString& error);
    void SetHello(const QJsonObject& hello) { hello_ = hello; }
    void Broadcast(const QJsonObject& message);
    void Flush();
    [[nodiscard]] int Windows() const;

signals:
    void WindowGreeted();
    void Received(const QJsonObject& message);

private:
    QString path_;
    QLocalServer* server_;
    QJsonObject hello_;
    std::vector<Peer*> peers_;
};

// The window's end: connects to the service, and tries again every RetryMs while it is not.
class LinkClient final : public QObject {
    Q_OBJECT

public:
    static constexpr int RetryMs = 2000;
    explicit LinkClient(QString path = SocketPath(), QObject* parent = nullptr);
    // One attempt, waiting up to `ms` for the service's hello: whether it is there.
    bool ConnectNow(int ms);
    // Tries in the background from now on, the first time at once.
    void Keep();
    [[nodiscard]] bool Up() const { return peer_ != nullptr && peer_->Greeted(); }
    void Send(const QJsonObject& message);

signals:
    void Connected(const QJsonObject& hello);
    void Received(const QJsonObject& message);
    void Disconnected();

private:
    void Attempt();
    void Adopt(QLocalSocket* socket);

    QString path_;
    QTimer* retry_;
    Peer* peer_ = nullptr;
};

} // namespace locallink
