// Who may reach the web side: the listening address from ServiceListen, the token that any
// address beyond 127.0.0.1 and [::1] needs, and the checks every request passes (the Host
// header against DNS rebinding, the token in constant time).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QString>
#include <optional>

namespace service {

inline constexpr auto DefaultListen = "127.0.0.1:8514";

struct ListenAddress {
    QHostAddress address;
    quint16 port = 0;
};

// "ADDR:PORT" with a literal IPv4 address in dotted form or an IPv6 one in brackets, and a port
// 1 to 65535. Host names are refused: what the service listens on must not depend on DNS.
// Nothing, with the reason in `error`, for anything else.
std::optional<ListenAddress> ParseListen(const QString& text, QString& error);

// Only 127.0.0.1 and ::1 go without a token; any other address, loopback ones like 127.0.0.2
// included, needs one.
[[nodiscard]] bool NeedsToken(const QHostAddress& address);

// The token's file beside the settings file: <dir>/LineScope.token.
QString TokenFileName(const QString& settingsFile);

// The token: 128 random bits as 32 lower-case hex digits. Read from `file`, or made and written
// there (mode 0600, never over an existing file) when there is none. Nothing, with the reason in
// `error`, when it cannot be had, or when the file holds no token, belongs to another user or can
// be read by others (such a token is no secret any more: remove the file and a new one is made).
std::optional<QByteArray> LoadOrCreateToken(const QString& file, QString& error);
// The same without making one: nothing when the file is missing.
std::optional<QByteArray> ReadToken(const QString& file, QString& error);

// Whether `given` is `expected`, in time that depends on neither (both are hashed first, so not
// even the length shows).
[[nodiscard]] bool TokenMatches(QByteArrayView given, QByteArrayView expected);

// Whether a Host header names the address and port the request came in on: the address (an IPv6
// one in brackets), optionally with the port, or "localhost" when the address is loopback.
[[nodiscard]] bool HostMatches(QByteArrayView host, const QHostAddress& local, quint16 port);

} // namespace service
