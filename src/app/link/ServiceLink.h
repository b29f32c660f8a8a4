// The window beside the user's LineScope service. While the service runs it records the line
// history and runs the syslog server, and the window shows what it does: the log's lines as they
// arrive, the history as it is written, line events and the allowance's notices. The window's
// own recorder and server stay off, the syslog switch and the settings the service reads go to
// it, and the two hand the jobs over both ways. With no service the window runs them itself.
#pragma once

#include "core/History.h"
#include "core/Usage.h"
#include "locallink/LocalLink.h"

#include <QObject>
#include <functional>
#include <vector>

namespace core {
struct Settings;
class SettingsStore;
namespace history {
class LineHistory;
}
} // namespace core

namespace app {

class SysLogViewer;

class ServiceLink final : public QObject {
    Q_OBJECT

public:
    struct Parts {
        core::Settings& settings;
        core::SettingsStore& store;
        core::history::LineHistory& history;
        SysLogViewer& viewer;
    };
    struct Hooks {
        std::function<void()> historyChanged;
        std::function<void(const core::history::Event&)> tellEvent;
        std::function<void(const std::vector<core::history::UsageNotice>&)> tellNotices;
    };
    ServiceLink(Parts parts, Hooks hooks, QString socketPath = locallink::SocketPath(),
                QObject* parent = nullptr);

    // At start-up, before the window would start its jobs: a service already running is found
    // now, and one started later within RetryMs of its start.
    void Find();
    [[nodiscard]] bool ServiceRuns() const { return client_.Up(); }

    // The window's recorder, unless the service records.
    void StartHistory();
    // "Enable SysLog server": the window's server, or, with the service, true (the service is
    // told by SettingsChanged).
    bool ActivateSysLog();
    // A setting the service reads changed: with the service running, saved and sent to it.
    void SettingsChanged();

private:
    void Connected(const QJsonObject& hello);
    void Take(const QJsonObject& message);
    void HandBack();

    Parts parts_;
    Hooks hooks_;
    locallink::LinkClient client_;
    bool serviceHasJobs_ = false;
};

} // namespace app
