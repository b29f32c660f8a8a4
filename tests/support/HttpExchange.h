// One HTTP/1.1 exchange over a plain socket, for tests that must send what no client library
// would (a 1 MB URL, any method, any Host header) and see whether the server answered or closed.
#pragma once

#include <QByteArray>
#include <QMap>

struct Reply {
    int status = 0;                       // 0: no answer
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    bool closed = false; // the server closed the connection
};

// Sends `request` and reads one answer, or what there is until the server closes.
Reply Exchange(const char* ip, quint16 port, const QByteArray& request, int ms = 3000);

QByteArray Request(const QByteArray& target, const char* host, const QByteArray& more = {},
                   const char* method = "GET");
