// The always-on recorder: the window's core objects without a window. It records the line
// history, runs the syslog server while SLActive is set and serves the web page and metrics from
// what those two keep. It reads the settings file and never writes it.
//
// The recorder and the syslog server are its jobs; they can be stopped and started again while
// the process and its web side keep running, so another recorder can take them over and hand
// them back.
#pragma once

#include "core/History.h"
#include "core/Usage.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace core {
class Clock;
}

namespace service {

struct ServiceOptions {
    QString settingsFile; // SettingsStore::DefaultFileName() when empty
    QString historyFile;  // HistoryStore::DefaultFileName() when empty
    uint16_t syslogPort = 514;
};

class Service final : public QObject {
    Q_OBJECT

public:
    Service(ServiceOptions options, core::Clock& clock, QObject* parent = nullptr);
    ~Service() override;
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Loads the settings without writing them, starts the web side and then the jobs. False,
    // with the reason in `error`, when the settings cannot be read or the web side cannot
    // listen; nothing then runs.
    bool Start(QString& error);
    // The recorder (connecting to the router first) and, while SLActive, the syslog server with
    // its enabled line. Does nothing for a job that runs already.
    void StartJobs();
    // Both jobs, the syslog server with its disabled line; the web side keeps serving.
    void StopJobs();
    [[nodiscard]] bool JobsRunning() const;
    [[nodiscard]] bool SysLogActive() const;
    // A job another process held is tried again now (every RetryMs anyway).
    void TakeOver();
    static constexpr int RetryMs = 2000;
    // Reads the settings again and restarts what they changed. A new router or community is
    // connected to before its first sample, so nothing is recorded under the old one. A file
    // that cannot be read keeps the settings as they were.
    void Reload();
    // Everything: the jobs (the syslog disabled line last of all), then the web side.
    void Stop();

    // The port the web side listens on (the one asked for, or the system's choice for 0);
    // 0 while it does not listen.
    [[nodiscard]] quint16 WebPort() const;

signals:
    // Each line of the syslog server's log, as it is logged (received ones, losses, the
    // enabled and disabled lines, line events).
    void SysLogLine(const QString& line);
    // The server started or stopped; `caption` as the window's log view heads it.
    void SysLogState(bool active, const QString& caption);
    // The history has stored the sample taken at `time`.
    void SampleWritten(qint64 time);
    // The line events a sample revealed.
    void LineEvents(const std::vector<core::history::Event>& events);
    // A stored sample took the period's use past 80% or 100% of the allowance.
    void UsageNotices(const std::vector<core::history::UsageNotice>& notices);

private:
    struct Parts;
    void ConnectRouter();
    void StartSysLog(bool quiet = false);
    void StopSysLog();
    void TellEvents(const std::vector<core::history::Event>& events);
    void TellNotices(const std::vector<core::history::UsageNotice>& notices);
    bool StartWeb(QString& error);
    void StopWeb();

    ServiceOptions options_;
    core::Clock& clock_;
    std::unique_ptr<Parts> parts_;
    bool jobs_ = false;
};

} // namespace service
