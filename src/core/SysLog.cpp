#include "SysLog.h"

#include "SysLogLine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace core {

QString SysLogDatedFileName(const QString& path, const QDate& date, bool addDate) {
    if (!addDate) return path;
    const QString stamp = QStringLiteral("(%1-%2-%3)")
                              .arg(date.day())
                              .arg(date.month())
                              .arg(date.year(), 4, 10, QLatin1Char('0'));
    // Both separators count, so a Windows path keeps its meaning wherever it is read.
    const qsizetype nameStart =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = path.indexOf(QLatin1Char('.'), nameStart);
    QString dated = path;
    return dot < 0 ? dated.append(stamp) : dated.insert(dot, stamp);
}

QByteArray SysLogFileBytes(const QString& line) {
    for (const QChar c : line)
        if (c.unicode() > 0xFF) return line.toUtf8();
    return line.toLatin1();
}

bool AppendSysLogLine(const QString& fileName, const QString& line) {
    const QByteArray bytes = SysLogFileBytes(line) + "\r\n";
    // Plain system calls: opened, appended and closed for every line, this is the cost of a line.
    const int fd = ::open(QFile::encodeName(fileName).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool written = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) ==
                         static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && written;
}

QString SysLogAnnouncement(bool enabled, const QDateTime& when) {
    const QLocale locale = QLocale::system();
    return QStringLiteral("**** SysLog server %1 on %2 at %3 ****")
        .arg(enabled ? QStringLiteral("enabled") : QStringLiteral("disabled"),
             locale.toString(when.date(), QLocale::LongFormat),
             locale.toString(when.time(), QLocale::LongFormat));
}

SysLogServer::SysLogServer(Settings& settings, Clock& clock, Sounds& sounds, uint16_t port,
                           QObject* parent)
    : QObject(parent), settings_(settings), clock_(clock), sounds_(sounds), listener_(port) {
    listener_.SetNotify(
        [this] { QMetaObject::invokeMethod(this, &SysLogServer::Drain, Qt::QueuedConnection); });
}

SysLogServer::~SysLogServer() {
    listener_.Stop();
}

bool SysLogServer::Enable(QString& error) {
    std::string reason;
    if (listener_.Start(reason)) return true;
    // The long-standing text where it is true; any other cause (no permission for port 514,
    // say) is named, since "already in use" would send the user after the wrong program.
    error = reason == std::strerror(EADDRINUSE)
                ? QStringLiteral("Could not bind socket. Address and port are already in use.")
                : QStringLiteral("Could not bind socket to UDP port %1: %2.")
                      .arg(listener_.Port())
                      .arg(QString::fromLocal8Bit(reason));
    return false;
}

void SysLogServer::Disable() {
    listener_.Stop();
    if (!handling_) Drain();
}

QString SysLogServer::FileNameNow() const {
    return SysLogDatedFileName(settings_.SLFileName, clock_.Now().date(), settings_.SLFileDate);
}

void SysLogServer::Log(const QString& line, bool show, bool toFile) {
    if (show) emit Line(line);
    if (toFile && settings_.SLFileOut) WriteToFile(line);
}

void SysLogServer::Announce(bool enabled) {
    Log(SysLogAnnouncement(enabled, clock_.Now()));
}

void SysLogServer::WriteToFile(const QString& line) {
    while (!AppendSysLogLine(FileNameNow(), line)) {
        const SysLogFileChoice choice = askForFile_ ? askForFile_() : SysLogFileChoice{};
        switch (choice.outcome) {
        case SysLogFileChoice::Chosen:
            settings_.SLFileName = choice.path;
            break;
        case SysLogFileChoice::SessionEnded:
            // Not the user's cancel: nobody is left to ask, and file output stays as it was.
            fprintf(stderr, "linescope: %s could not be written: %s\n", qPrintable(FileNameNow()),
                    qPrintable(line));
            return;
        case SysLogFileChoice::Cancelled: {
            // Said once in the view, so no question follows for every further line.
            const QString failed = FileNameNow();
            settings_.SLFileOut = false;
            emit FileOutputSwitchedOff();
            Log(QStringLiteral("**** SysLog file output switched off: %1 could not be written ****")
                    .arg(failed),
                true, false);
            return;
        }
        }
    }
}

void SysLogServer::IdUDPServer1UDPRead(const SysLogDatagram& datagram) {
    const std::string line = SysLogLineFromDatagram(
        datagram.bytes, {settings_.SLRemError, settings_.SLSender},
        settings_.SLSender ? datagram.AddressText() : std::string(), datagram.port);
    Log(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    if (settings_.SLBeep) {
        const QDateTime now = clock_.Now();
        // Whole seconds either way: a burst within a second beeps once, a clock set back too.
        if (!lastBeep_.isValid() || std::abs(lastBeep_.msecsTo(now)) >= 1000) {
            sounds_.Play(Sound::Default);
            lastBeep_ = now;
        }
    }
}

void SysLogServer::Drain() {
    // A dialog opened while handling a datagram runs its own event loop; the datagrams behind
    // that one wait in the queue until it is done.
    if (handling_) return;
    handling_ = true;
    QElapsedTimer slice;
    slice.start();
    bool more = true;
    SysLogDatagram datagram;
    while (slice.elapsed() < 50 || !Active()) {
        if (!listener_.Take(datagram)) {
            more = false;
            break;
        }
        lost_ += datagram.lostBefore;
        if (!datagram.lossOnly) ++received_;
        if (datagram.lostBefore > 0)
            Log(QStringLiteral("**** SysLog server lost %1 datagram(s): receive queue full "
                               "****")
                    .arg(datagram.lostBefore));
        if (!datagram.lossOnly) IdUDPServer1UDPRead(datagram);
    }
    handling_ = false;
    emit BatchDone();
    if (more) QMetaObject::invokeMethod(this, &SysLogServer::Drain, Qt::QueuedConnection);
}

} // namespace core
