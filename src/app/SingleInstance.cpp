#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

const QString LockName = QStringLiteral("linescope.lock");
const QString SocketName = QStringLiteral("linescope.socket");
constexpr char WakeWord[] = "show\n";

} // namespace

namespace app {

SingleInstance::SingleInstance(QString directory, QObject* parent)
    : QObject(parent), directory_(std::move(directory)) {
    if (directory_.isEmpty())
        directory_ = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

SingleInstance::~SingleInstance() {
    if (server_ != nullptr) server_->close(); // removes the socket file, before the lock goes
}

bool SingleInstance::Claim() {
    if (directory_.isEmpty() || !QDir(directory_).exists()) return true;
    lock_ = std::make_unique<QLockFile>(QDir(directory_).filePath(LockName));
    // Never stale by age: a lock whose process is gone is taken over at once, one whose process
    // lives is not, however long it has run.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() != QLockFile::LockFailedError) return true; // unwritable: run anyway
        lock_.reset();
        return false;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    const QString path = QDir(directory_).filePath(SocketName);
    QLocalServer::removeServer(path);        // left by a crash; the lock says nobody else owns it
    if (!server_->listen(path)) return true; // runs on, only unreachable for a second start
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains('\n')) emit Activated();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
    return true;
}

bool SingleInstance::WakeRunning() const {
    const QString path = QDir(directory_).filePath(SocketName);
    // The running one may be between taking the lock and listening: a few tries.
    for (int attempt = 0; attempt < 20; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(500)) {
            socket.write(WakeWord, sizeof WakeWord - 1);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace app
