#include "HttpExchange.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <algorithm>

namespace {

// Fills `r` from what came so far; true once headers and body are complete.
bool Parse(const QByteArray& in, Reply& r) {
    const qsizetype end = in.indexOf("\r\n\r\n");
    if (end < 0) return false;
    const QList<QByteArray> lines = in.first(end).split('\n');
    r.status = lines[0].split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        r.headers[lines[i].first(std::max<qsizetype>(colon, 0)).toLower()] =
            lines[i].sliced(colon + 1).trimmed();
    }
    const qsizetype length = r.headers.value("content-length").toLongLong();
    if (in.size() < end + 4 + length) return false;
    r.body = in.sliced(end + 4, length);
    return true;
}

} // namespace

// Sends `request` and reads one answer, or what there is until the server closes.
Reply Exchange(const char* ip, quint16 port, const QByteArray& request, int ms) {
    Reply r;
    QTcpSocket s;
    s.connectToHost(QHostAddress(ip), port);
    if (!s.waitForConnected(ms)) return r;
    s.write(request);
    QElapsedTimer clock;
    clock.start();
    QByteArray in;
    bool complete = false;
    while (!(complete = Parse(in += s.readAll(), r)) &&
           s.state() == QAbstractSocket::ConnectedState && clock.elapsed() < ms) {
        if (s.bytesToWrite() > 0)
            s.waitForBytesWritten(50);
        else
            s.waitForReadyRead(50);
    }
    if (!complete) r.status = 0;
    if (s.state() == QAbstractSocket::ConnectedState) s.waitForReadyRead(100);
    r.closed = s.state() != QAbstractSocket::ConnectedState;
    return r;
}

QByteArray Request(const QByteArray& target, const char* host, const QByteArray& more,
                   const char* method) {
    return QByteArray(method) + ' ' + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + more +
           "\r\n";
}
