#include "app/link/ServiceLink.h"

#include "app/syslog/SysLogViewer.h"
#include "core/LineHistory.h"
#include "core/Settings.h"

namespace app {

ServiceLink::ServiceLink(Parts parts, Hooks hooks, QString socketPath, QObject* parent)
    : QObject(parent), parts_(parts), hooks_(std::move(hooks)), client_(std::move(socketPath)) {
    connect(&client_, &locallink::LinkClient::Connected, this, &ServiceLink::Connected);
    connect(&client_, &locallink::LinkClient::Received, this, &ServiceLink::Take);
    connect(&client_, &locallink::LinkClient::Disconnected, this, &ServiceLink::HandBack);
}

void ServiceLink::Find() {
    client_.ConnectNow(1000);
    client_.Keep();
}

void ServiceLink::StartHistory() {
    if (!serviceHasJobs_) parts_.history.Start();
}

bool ServiceLink::ActivateSysLog() {
    return serviceHasJobs_ || parts_.viewer.Activate();
}

void ServiceLink::SettingsChanged() {
    if (!serviceHasJobs_) return;
    parts_.store.WriteOptionsToReg(parts_.settings);
    client_.Send({{"type", "reload"}});
}

void ServiceLink::Connected(const QJsonObject& hello) {
    serviceHasJobs_ = true;
    // Ours stop first, our disabled line last in our file, then the service takes them.
    parts_.history.Stop();
    parts_.viewer.Deactivate();
    parts_.viewer.ShowServiceState(hello.value(QLatin1String("syslogActive")).toBool());
    client_.Send({{"type", "released"}});
}

void ServiceLink::Take(const QJsonObject& message) {
    const QString type = message.value(QLatin1String("type")).toString();
    if (type == QLatin1String("line")) {
        parts_.viewer.ShowLine(message.value(QLatin1String("text")).toString());
    } else if (type == QLatin1String("syslog")) {
        parts_.viewer.ShowServiceState(message.value(QLatin1String("active")).toBool());
    } else if (type == QLatin1String("sample")) {
        hooks_.historyChanged();
    } else if (type == QLatin1String("events")) {
        for (const core::history::Event& event : locallink::EventsOf(message))
            hooks_.tellEvent(event);
    } else if (type == QLatin1String("notices")) {
        const auto notices = locallink::NoticesOf(message);
        if (!notices.empty()) hooks_.tellNotices(notices);
    } else if (type == QLatin1String("bye")) {
        HandBack();
    }
}

void ServiceLink::HandBack() {
    if (!serviceHasJobs_) return;
    serviceHasJobs_ = false;
    parts_.viewer.ShowServiceState(std::nullopt);
    if (parts_.settings.SLActive) parts_.viewer.Activate();
    parts_.history.Start();
}

} // namespace app
