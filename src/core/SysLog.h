// The syslog server: the listener, the rules that turn a datagram into a line, and the dated
// log file with what a failed write leads to. Every line of the log takes one way, Log: shown
// (the window shows the lines it emits) and written. Who is asked for another file when one
// cannot be written is the window's; what follows the answer is decided here.
#pragma once

#include "Seams.h"
#include "Settings.h"
#include "SysLogListener.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>

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

// The answer to "the log file cannot be written: which file instead?".
struct SysLogFileChoice {
    enum Outcome {
        Chosen,      // `path` is the file to try next
        Cancelled,   // the user's no: file output goes off
        SessionEnded // nobody answered, the session is ending: nothing changes
    } outcome = SessionEnded;
    QString path;
};

class SysLogServer final : public QObject {
    Q_OBJECT

public:
    // Reads the SL* settings at each datagram and each line; they are never cached here. A failed
    // write changes SLFileName or SLFileOut as the question's answer says.
    SysLogServer(Settings& settings, Clock& clock, Sounds& sounds, uint16_t port,
                 QObject* parent = nullptr);
    ~SysLogServer() override;

    // Binds the port and starts listening; false, with the message for the user, when it
    // cannot be bound.
    bool Enable(QString& error);
    // Stops listening. Datagrams already received are still handled, before this returns.
    void Disable();
    [[nodiscard]] bool Active() const { return listener_.Running(); }
    [[nodiscard]] SysLogListener& Listener() { return listener_; }

    // Asked while the log file cannot be written; without one, nobody is there to answer.
    void SetFileQuestion(std::function<SysLogFileChoice()> ask) { askForFile_ = std::move(ask); }
    // A line of the log: shown (Line), then with `toFile` appended to the log file while
    // SLFileOut is on. A file that cannot be written is asked about until one can, the user
    // cancels (file output then goes off, said once in the view) or the session ends (standard
    // error then has the line, and the settings stay).
    void Log(const QString& line, bool show = true, bool toFile = true);
    // The "enabled" or "disabled" line, stamped now.
    void Announce(bool enabled);
    [[nodiscard]] QString FileNameNow() const;
    // True while datagrams are being handled: lines then come in a batch that BatchDone ends.
    [[nodiscard]] bool InBatch() const { return handling_; }
    // Datagrams handled and datagrams lost since this server was made.
    [[nodiscard]] uint64_t Received() const { return received_; }
    [[nodiscard]] uint64_t Lost() const { return lost_; }

    // One received datagram, on the user-interface thread.
    void IdUDPServer1UDPRead(const SysLogDatagram& datagram);
    // Handles what the listener has queued, a slice at a time so the window stays responsive.
    void Drain();

signals:
    // A line to show, in the log's order: one per datagram, one for every loss, and the rest
    // that Log is given.
    void Line(const QString& line);
    void BatchDone();
    // SLFileOut went off because the user cancelled the question for another file.
    void FileOutputSwitchedOff();

private:
    // Writes the line until a file takes it or the answer says to stop.
    void WriteToFile(const QString& line);

    Settings& settings_;
    Clock& clock_;
    Sounds& sounds_;
    SysLogListener listener_;
    QDateTime lastBeep_; // SysLogLastBeep; invalid until the first beep
    bool handling_ = false;
    uint64_t received_ = 0;
    uint64_t lost_ = 0;
    std::function<SysLogFileChoice()> askForFile_;
};

} // namespace core
