// The local link between the window and the service of one user: a stream socket in
// $XDG_RUNTIME_DIR that only the user can open, carrying framed JSON messages. Each frame is a
// 4-byte big-endian length and that many bytes of one JSON object with a string "type"; a frame
// over MaxFrameBytes, or one that is not such an object, ends the connection. Each side's first
// message is "hello" with its "version"; a peer of another version is closed.
#pragma once

#include "core/History.h"
#include "core/Usage.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <optional>
#include <vector>

class QLocalServer;
class QLocalSocket;
class QTimer;

namespace locallink {

inline constexpr int Version = 1;
inline constexpr qsizetype MaxFrameBytes = 64 * 1024;
// A message's list (line events, notices) is cut to this many entries.
inline constexpr qsizetype MaxListEntries = 64;

// The socket's path; empty without XDG_RUNTIME_DIR, where no private place exists for it.
QString SocketPath();

QByteArray Frame(const QJsonObject& message);

// Splits what arrives into messages.
class FrameReader {
public:
    void Append(const QByteArray& bytes) { buffer_ += bytes; }
    // The next whole message, if one has arrived; nothing more once Broken().
    std::optional<QJsonObject> Next();
    [[nodiscard]] bool Broken() const { return broken_; }

private:
    QByteArray buffer_;
    bool broken_ = false;
};

// The messages that carry history data, and back; what is not well formed is left out.
QJsonObject EventsMessage(const std::vector<core::history::Event>& events);
std::vector<core::history::Event> EventsOf(const QJsonObject& message);
QJsonObject NoticesMessage(const std::vector<core::history::UsageNotice>& notices);
std::vector<core::history::UsageNotice> NoticesOf(const QJsonObject& message);

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
    // Tries in the background from now on.
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
