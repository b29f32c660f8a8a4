#include "WebAccess.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <array>
#include <unistd.h>

namespace service {

namespace {

// Digits only, 1 to 65535; nothing for anything else ("+1", " 1", "065536").
std::optional<quint16> Port(QByteArrayView text) {
    if (text.isEmpty() || text.size() > 5) return std::nullopt;
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > 65535) return std::nullopt;
    return static_cast<quint16>(n);
}

// A literal address as the listening setting or a Host header spells it: dotted IPv4 in its
// canonical form (no "127.1", no leading zeros), or IPv6 between brackets.
std::optional<QHostAddress> Literal(const QString& text, bool bracketed) {
    QHostAddress a;
    if (!a.setAddress(text)) return std::nullopt;
    if (bracketed) {
        if (a.protocol() != QAbstractSocket::IPv6Protocol) return std::nullopt;
    } else if (a.protocol() != QAbstractSocket::IPv4Protocol || a.toString() != text) {
        return std::nullopt;
    }
    return a;
}

struct HostPort {
    QString host;
    bool bracketed = false;
    QByteArrayView port; // empty: none given
};

// Splits "host", "host:port", "[v6]" or "[v6]:port"; nothing when the shape is wrong.
std::optional<HostPort> Split(QByteArrayView text) {
    HostPort out;
    QByteArrayView rest;
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        if (close < 0) return std::nullopt;
        out.host = QString::fromLatin1(text.sliced(1, close - 1));
        out.bracketed = true;
        rest = text.sliced(close + 1);
    } else {
        const qsizetype colon = text.lastIndexOf(':');
        out.host = QString::fromLatin1(colon < 0 ? text : text.first(colon));
        rest = colon < 0 ? QByteArrayView() : text.sliced(colon);
    }
    if (!rest.isEmpty()) {
        if (!rest.startsWith(':') || rest.size() == 1) return std::nullopt;
        out.port = rest.sliced(1);
    }
    return out;
}

bool IsToken(const QByteArray& text) {
    if (text.size() != 32) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

constexpr QFile::Permissions OthersMay = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                         QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

} // namespace

std::optional<ListenAddress> ParseListen(const QString& text, QString& error) {
    const QByteArray latin = text.toLatin1();
    const auto parts = text.size() == latin.size() ? Split(latin) : std::nullopt;
    if (!parts || parts->port.isEmpty()) {
        error = QStringLiteral("\"%1\" is not ADDRESS:PORT (e.g. 127.0.0.1:8514 or [::1]:8514)")
                    .arg(text);
        return std::nullopt;
    }
    const auto address = Literal(parts->host, parts->bracketed);
    if (!address) {
        error = QStringLiteral("\"%1\" is not an IPv4 address, or an IPv6 address in brackets")
                    .arg(parts->host);
        return std::nullopt;
    }
    const auto port = Port(parts->port);
    if (!port) {
        error = QStringLiteral("\"%1\" is not a port from 1 to 65535")
                    .arg(QString::fromLatin1(parts->port));
        return std::nullopt;
    }
    return ListenAddress{*address, *port};
}

bool NeedsToken(const QHostAddress& address) {
    return !address.isEqual(QHostAddress(QHostAddress::LocalHost),
                            QHostAddress::StrictConversion) &&
           !address.isEqual(QHostAddress(QHostAddress::LocalHostIPv6),
                            QHostAddress::StrictConversion);
}

QString TokenFileName(const QString& settingsFile) {
    return QFileInfo(settingsFile).absolutePath() + QStringLiteral("/LineScope.token");
}

std::optional<QByteArray> ReadToken(const QString& file, QString& error) {
    QFile f(file);
    if (!f.exists()) return std::nullopt;
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read the token file %1: %2").arg(file, f.errorString());
        return std::nullopt;
    }
    // Judged on the file opened, so a rename in between cannot slip another one in.
    const QFileInfo info(file);
    if (info.ownerId() != ::geteuid() || (f.permissions() & OthersMay)) {
        error = QStringLiteral("The token file %1 is not readable by its owner alone; remove it "
                               "and a new token is made")
                    .arg(file);
        return std::nullopt;
    }
    const QByteArray token = f.read(64).trimmed();
    if (!IsToken(token)) {
        error = QStringLiteral("The token file %1 holds no token; remove it and a new one is made")
                    .arg(file);
        return std::nullopt;
    }
    return token;
}

std::optional<QByteArray> LoadOrCreateToken(const QString& file, QString& error) {
    error.clear();
    if (auto token = ReadToken(file, error); token || !error.isEmpty()) return token;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    // Created with its final mode, so there is no moment in which others could read it.
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner)) {
        if (f.exists()) return ReadToken(file, error); // made by someone else just now
        error = QStringLiteral("Cannot create the token file %1: %2").arg(file, f.errorString());
        return std::nullopt;
    }
    std::array<quint32, 4> bits{};
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    const QByteArray token =
        QByteArray(reinterpret_cast<const char*>(bits.data()), sizeof bits).toHex();
    if (f.write(token + '\n') != token.size() + 1 || !f.flush()) {
        error = QStringLiteral("Cannot write the token file %1: %2").arg(file, f.errorString());
        f.remove();
        return std::nullopt;
    }
    return token;
}

bool TokenMatches(QByteArrayView given, QByteArrayView expected) {
    const QByteArray a = QCryptographicHash::hash(given, QCryptographicHash::Sha256);
    const QByteArray b = QCryptographicHash::hash(expected, QCryptographicHash::Sha256);
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0 && !expected.isEmpty();
}

bool HostMatches(QByteArrayView host, const QHostAddress& local, quint16 port) {
    const auto parts = Split(host);
    if (!parts) return false;
    if (!parts->port.isEmpty() && Port(parts->port) != port) return false;
    if (!parts->bracketed &&
        parts->host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return local.isLoopback();
    const auto named = Literal(parts->host, parts->bracketed);
    // An IPv4 client of a dual-stack socket arrives at ::ffff:a.b.c.d and names a.b.c.d.
    return named && named->isEqual(local, QHostAddress::ConvertV4MappedToIPv4);
}

} // namespace service
