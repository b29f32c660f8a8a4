// The syslog server: the listener, the rules that turn a datagram into a line, and the dated
// log file. The window shows the lines it emits and decides what a failed write means to the
// user; everything else about a datagram happens here.
#pragma once

#include "Seams.h"
#include "Settings.h"
#include "SysLogListener.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

namespace core {

// The file a line written on `date` goes to: with `addDate`, "(d-m-yyyy)" before the first "."
// of the file's own name (a dot in a directory name does not count), or at the end of a name
// without one.
QString SysLogDatedFileName(const QString& path, const QDate& date, bool addDate);

// A line's bytes in the file: datagram lines come as Latin-1 text and go back byte for byte; a
// line with characters beyond Latin-1 (a long date in some locales) goes as UTF-8.
QByteArray SysLogFileBytes(const QString& line);

// Appends the line and CR LF, opening and closing the file for this one line. False when the
// file cannot be opened or written.
bool AppendSysLogLine(const QString& fileName, const QString& line);

// "**** SysLog server enabled on <long date> at <long time> ****" and its disabled twin.
QString SysLogAnnouncement(bool enabled, const QDateTime& when);

class SysLogServer final : public QObject {
    Q_OBJECT

public:
    // Reads the SL* settings at each datagram and each line; they are never cached here.
    SysLogServer(const Settings& settings, Clock& clock, Sounds& sounds, uint16_t port,
                 QObject* parent = nullptr);
    ~SysLogServer() override;

    // Binds the port and starts listening; false, with the message for the user, when it
    // cannot be bound.
    bool Enable(QString& error);
    // Stops listening. Datagrams already received are still handled, before this returns.
    void Disable();
    [[nodiscard]] bool Active() const { return listener_.Running(); }
    [[nodiscard]] SysLogListener& Listener() { return listener_; }

    // Writes a line to the log file the settings name for today.
    [[nodiscard]] bool WriteToFile(const QString& line) const;
    [[nodiscard]] QString FileNameNow() const;
    // True while datagrams are being handled: lines then come in a batch that BatchDone ends.
    [[nodiscard]] bool InBatch() const { return handling_; }

    // One received datagram, on the user-interface thread.
    void IdUDPServer1UDPRead(const SysLogDatagram& datagram);
    // Handles what the listener has queued, a slice at a time so the window stays responsive.
    void Drain();

signals:
    // A line for the log, in arrival order: one per datagram, and one for every loss.
    void Line(const QString& line);
    void BatchDone();

private:
    const Settings& settings_;
    Clock& clock_;
    Sounds& sounds_;
    SysLogListener listener_;
    QDateTime lastBeep_; // SysLogLastBeep; invalid until the first beep
    bool handling_ = false;
};

} // namespace core
