#include "service/Service.h"

#include "core/HistoryStore.h"
#include "core/LineHistory.h"
#include "core/RouterQuery.h"
#include "core/Settings.h"
#include "core/Statistics.h"
#include "core/SysLog.h"
#include "service/WebThread.h"

#include <QMutex>
#include <QTimer>
#include <cstdio>

namespace service {

namespace {

// Nobody sits at a service to hear a sound.
class Silence final : public core::Sounds {
public:
    void Play(core::Sound) override {}
};

void Complain(const QString& text) {
    fprintf(stderr, "linescope: %s\n", qPrintable(text.simplified()));
}

// The keys a reload compares: which of the jobs they change.
bool RouterChanged(const core::Settings& a, const core::Settings& b) {
    return a.IPAddress != b.IPAddress || a.Community != b.Community;
}

} // namespace

struct Service::Parts {
    explicit Parts(const ServiceOptions& options, core::Clock& clock, QObject* owner)
        : store(options.settingsFile.isEmpty() ? core::SettingsStore::DefaultFileName()
                                               : options.settingsFile),
          query(settings, sounds, cursor), stats(query, settings, clock),
          history(new core::history::LineHistory(query, stats, settings, clock, options.historyFile,
                                                 owner)),
          syslog(settings, clock, sounds, options.syslogPort) {}

    core::Settings settings;
    core::SettingsStore store;
    Silence sounds;
    core::NullCursor cursor;
    core::RouterQuery query;
    core::Statistics stats;
    core::history::LineHistory* history;
    core::SysLogServer syslog;
    LiveBoard board;
    // While the jobs run, one that another process holds (the history's lock, the syslog
    // port) is tried again: a window hands them over by letting go.
    QTimer* retry = nullptr;
    bool waitSaid = false, syslogSaid = false;
    std::unique_ptr<WebThread> web;
    QString listening; // the ServiceListen the web side was started with
};

Service::Service(ServiceOptions options, core::Clock& clock, QObject* parent)
    : QObject(parent), options_(std::move(options)), clock_(clock),
      parts_(std::make_unique<Parts>(options_, clock_, this)) {
    Parts& p = *parts_;
    p.retry = new QTimer(this);
    p.retry->setInterval(RetryMs);
    connect(p.retry, &QTimer::timeout, this, &Service::TakeOver);
    connect(&p.syslog, &core::SysLogServer::Line, this, [this](const QString& line) {
        parts_->board.AddLine(line, parts_->syslog.Received(), parts_->syslog.Lost());
        emit SysLogLine(line);
    });
    connect(p.history, &core::history::LineHistory::Sampled, this, &Service::TellEvents);
    connect(p.history, &core::history::LineHistory::SampleWritten, this, &Service::SampleWritten);
    connect(p.history, &core::history::LineHistory::UsageNotices, this, &Service::TellNotices);
    connect(p.history, &core::history::LineHistory::Problem, this, &Complain);
    // Runs after each tick: a router the tick found absent is looked for again, so the next
    // tick can sample it. The window leaves that to its user; a service has none.
    connect(p.history->Timer(), &QTimer::timeout, this, [this] {
        if (!parts_->query.RouterPresent) ConnectRouter();
        parts_->board.SetRouter(parts_->query, parts_->stats, parts_->history->recorder().Last());
    });
}

Service::~Service() {
    Stop();
}

bool Service::Start(QString& error) {
    Parts& p = *parts_;
    if (!p.store.ReadOptionsOnly(p.settings)) {
        error = p.store.Problem();
        return false;
    }
    if (!StartWeb(error)) return false;
    StartJobs();
    return true;
}

bool Service::StartWeb(QString& error) {
    Parts& p = *parts_;
    const std::optional<ListenAddress> at = ParseListen(p.settings.ServiceListen, error);
    if (!at) {
        error = QStringLiteral("ServiceListen %1: %2").arg(p.settings.ServiceListen, error);
        return false;
    }
    QByteArray token;
    if (NeedsToken(at->address)) {
        const auto made = LoadOrCreateToken(TokenFileName(p.store.FileName()), error);
        if (!made) return false;
        token = *made;
    }
    auto web = std::make_unique<WebThread>(p.board, options_.historyFile);
    if (!web->Begin(*at, token, error)) return false;
    p.web = std::move(web);
    p.listening = p.settings.ServiceListen;
    return true;
}

void Service::StopWeb() {
    parts_->web.reset();
}

quint16 Service::WebPort() const {
    return parts_->web ? parts_->web->Port() : 0;
}

void Service::ConnectRouter() {
    Parts& p = *parts_;
    p.query.Disconnect();
    p.history->recorder().Forget();
    if (p.query.CorvanePresent()) {
        p.stats.FindInterfaceIndices();
        p.stats.UpdateRouterUpTime();
    }
}

void Service::StartJobs() {
    if (jobs_) return;
    jobs_ = true;
    if (parts_->settings.SLActive) StartSysLog();
    ConnectRouter();
    parts_->board.SetRouter(parts_->query, parts_->stats, std::nullopt);
    parts_->history->Start();
    parts_->retry->start();
}

void Service::StopJobs() {
    if (!jobs_) return;
    jobs_ = false;
    parts_->retry->stop();
    parts_->history->Stop();
    StopSysLog();
}

bool Service::SysLogActive() const {
    return parts_->syslog.Active();
}

void Service::TakeOver() {
    Parts& p = *parts_;
    if (!jobs_) return;
    if (p.settings.HistoryInt > 0 && !p.history->Recording()) {
        p.history->Start();
        if (!p.history->Recording() && !p.waitSaid) {
            p.waitSaid = true;
            Complain(QStringLiteral("another LineScope records the line history (%1); this "
                                    "service takes over once it stops")
                         .arg(p.history->LockFileName()));
        }
    }
    if (p.settings.SLActive && !p.syslog.Active()) StartSysLog(p.syslogSaid);
}

bool Service::JobsRunning() const {
    return jobs_;
}

void Service::StartSysLog(bool quiet) {
    core::SysLogServer& server = parts_->syslog;
    if (server.Active()) return;
    QString error;
    if (!server.Enable(error)) {
        if (quiet) return;
        parts_->syslogSaid = true; // tried again quietly until the port is free
        Complain(error);
        emit SysLogState(false, QStringLiteral("SysLog Server (Disabled)"));
        return;
    }
    parts_->syslogSaid = false;
    server.Announce(true);
    emit SysLogState(true, QStringLiteral("SysLog Server (Enabled)"));
}

void Service::StopSysLog() {
    core::SysLogServer& server = parts_->syslog;
    if (!server.Active()) return;
    server.Disable(); // what was received before is written before the closing line
    server.Announce(false);
    emit SysLogState(false, QStringLiteral("SysLog Server (Disabled)"));
}

void Service::Reload() {
    Parts& p = *parts_;
    core::Settings loaded;
    if (!p.store.ReadOptionsOnly(loaded)) {
        Complain(p.store.Problem() + QStringLiteral(" The settings stay as they were."));
        return;
    }
    const core::Settings before = p.settings;
    p.settings = loaded;
    if (p.settings.ServiceListen != p.listening) {
        StopWeb();
        QString error;
        if (!StartWeb(error)) Complain(error);
    }
    if (!jobs_) return;
    if (before.SLActive && !p.settings.SLActive) StopSysLog();
    if (!before.SLActive && p.settings.SLActive) StartSysLog();
    if (RouterChanged(before, p.settings)) {
        // Off until the new router answered: no tick may sample between the two.
        p.history->Stop();
        ConnectRouter();
        p.board.SetRouter(p.query, p.stats, std::nullopt);
        p.history->Start();
    } else if (before.HistoryInt != p.settings.HistoryInt) {
        p.history->Start();
    }
}

void Service::Stop() {
    StopJobs();
    StopWeb();
}

void Service::TellEvents(const std::vector<core::history::Event>& events) {
    // As the window tells them: in the log while the server runs.
    for (const core::history::Event& event : events)
        if (parts_->syslog.Active()) parts_->syslog.Log(core::history::EventLogLine(event));
    parts_->board.SetRouter(parts_->query, parts_->stats, parts_->history->recorder().Last());
    if (!events.empty()) emit LineEvents(events);
}

void Service::TellNotices(const std::vector<core::history::UsageNotice>& notices) {
    for (const core::history::UsageNotice& notice : notices)
        if (parts_->syslog.Active()) parts_->syslog.Log(core::history::NoticeLogLine(notice));
    if (!notices.empty()) emit UsageNotices(notices);
}

} // namespace service
