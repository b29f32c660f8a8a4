#include "locallink/LocalLink.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace locallink {

namespace {

bool IsHello(const QJsonObject& m) {
    return m.value(QLatin1String("type")).toString() == QLatin1String("hello");
}

} // namespace

QString SocketPath() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) return {};
    return QDir(QString::fromLocal8Bit(runtime))
        .filePath(QStringLiteral("linescope-service.socket"));
}

Peer::Peer(QLocalSocket* socket, QJsonObject hello, QObject* parent)
    : QObject(parent), socket_(socket) {
    socket_->setParent(this);
    // What one peer may leave unread is bounded too.
    socket_->setReadBufferSize(4 * MaxFrameBytes);
    connect(socket_, &QLocalSocket::readyRead, this, &Peer::Read);
    connect(socket_, &QLocalSocket::disconnected, this, &Peer::Close);
    hello.insert(QStringLiteral("type"), QStringLiteral("hello"));
    hello.insert(QStringLiteral("version"), Version);
    socket_->write(Frame(hello));
    // Out now: until the other side has it, nothing is sent this way.
    socket_->flush();
    Read(); // what came before this object did
}

void Peer::Send(const QJsonObject& message) {
    if (closed_ || !greeted_) return;
    const QByteArray frame = Frame(message);
    // A peer that reads nothing is not waited for without end.
    if (frame.isEmpty() || socket_->bytesToWrite() > 16 * MaxFrameBytes) return;
    socket_->write(frame);
}

void Peer::Flush() {
    if (!closed_ && socket_->bytesToWrite() > 0) socket_->waitForBytesWritten(500);
}

void Peer::Close() {
    if (closed_) return;
    closed_ = true;
    socket_->abort();
    emit Closed();
}

void Peer::Read() {
    if (closed_) return;
    reader_.Append(socket_->readAll());
    while (const auto message = reader_.Next()) {
        if (!greeted_) {
            if (!IsHello(*message) || message->value(QLatin1String("version")).toInt() != Version)
                return Close();
            greeted_ = true;
            emit Greeting(*message);
        } else {
            emit Received(*message);
        }
        if (closed_) return;
    }
    if (reader_.Broken()) Close();
}

LinkServer::LinkServer(QString path, QObject* parent)
    : QObject(parent), path_(std::move(path)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            if (peers_.size() >= 16) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            auto* peer = new Peer(socket, hello_, this);
            peers_.push_back(peer);
            connect(peer, &Peer::Greeting, this, &LinkServer::WindowGreeted);
            connect(peer, &Peer::Received, this, &LinkServer::Received);
            connect(peer, &Peer::Closed, this, [this, peer] {
                std::erase(peers_, peer);
                peer->deleteLater();
            });
        }
    });
}

LinkServer::~LinkServer() {
    server_->close();
}

bool LinkServer::Listen(QString& error) {
    if (path_.isEmpty()) {
        error = QStringLiteral("XDG_RUNTIME_DIR is not set: no window can find this service");
        return false;
    }
    // A socket left by a service that died answers nobody and is removed; a live one is kept.
    QLocalSocket probe;
    probe.connectToServer(path_);
    if (probe.waitForConnected(500)) {
        error = QStringLiteral("another LineScope service runs for this user");
        return false;
    }
    QLocalServer::removeServer(path_);
    if (!server_->listen(path_)) {
        error = server_->errorString();
        return false;
    }
    return true;
}

void LinkServer::Broadcast(const QJsonObject& message) {
    for (Peer* peer : peers_)
        peer->Send(message);
}

void LinkServer::Flush() {
    for (Peer* peer : peers_)
        peer->Flush();
}

int LinkServer::Windows() const {
    return int(std::count_if(peers_.begin(), peers_.end(), [](Peer* p) { return p->Greeted(); }));
}

LinkClient::LinkClient(QString path, QObject* parent)
    : QObject(parent), path_(std::move(path)), retry_(new QTimer(this)) {
    retry_->setInterval(RetryMs);
    connect(retry_, &QTimer::timeout, this, &LinkClient::Attempt);
}

bool LinkClient::ConnectNow(int ms) {
    if (Up() || path_.isEmpty()) return Up();
    auto* socket = new QLocalSocket;
    socket->connectToServer(path_);
    if (!socket->waitForConnected(ms)) {
        delete socket;
        return false;
    }
    Adopt(socket);
    // The hello usually follows at once; this waits for it, within the same bound.
    while (peer_ != nullptr && !peer_->Greeted() && socket->waitForReadyRead(ms)) {
    }
    return Up();
}

void LinkClient::Keep() {
    Attempt();
    retry_->start();
}

void LinkClient::Send(const QJsonObject& message) {
    if (peer_ != nullptr) peer_->Send(message);
}

void LinkClient::Attempt() {
    if (peer_ != nullptr || path_.isEmpty()) return;
    auto* socket = new QLocalSocket;
    connect(socket, &QLocalSocket::connected, this, [this, socket] { Adopt(socket); });
    connect(socket, &QLocalSocket::errorOccurred, socket, [this, socket] {
        if (peer_ == nullptr || socket->parent() != peer_) socket->deleteLater();
    });
    socket->connectToServer(path_);
}

void LinkClient::Adopt(QLocalSocket* socket) {
    socket->disconnect(this);
    peer_ = new Peer(socket, {}, this);
    connect(peer_, &Peer::Greeting, this, &LinkClient::Connected);
    connect(peer_, &Peer::Received, this, &LinkClient::Received);
    connect(peer_, &Peer::Closed, this, [this] {
        const bool wasUp = peer_->Greeted();
        peer_->deleteLater();
        peer_ = nullptr;
        if (wasUp) emit Disconnected();
    });
}

} // namespace locallink
