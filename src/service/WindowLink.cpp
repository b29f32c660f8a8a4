#include "service/WindowLink.h"

#include "service/Service.h"

#include <QLocalSocket>

namespace service {

WindowLink::WindowLink(Service& service, QObject* parent) : QObject(parent), service_(service) {
    Hello();
    connect(&service_, &Service::SysLogLine, this, [this](const QString& line) {
        server_.Broadcast({{"type", "line"}, {"text", line}});
    });
    connect(&service_, &Service::SysLogState, this, [this](bool active, const QString&) {
        Hello();
        server_.Broadcast({{"type", "syslog"}, {"active", active}});
    });
    connect(&service_, &Service::SampleWritten, this, [this](qint64 time) {
        server_.Broadcast({{"type", "sample"}, {"time", double(time)}});
    });
    connect(&service_, &Service::LineEvents, this,
            [this](const auto& events) { server_.Broadcast(locallink::EventsMessage(events)); });
    connect(&service_, &Service::UsageNotices, this,
            [this](const auto& notices) { server_.Broadcast(locallink::NoticesMessage(notices)); });
    connect(&server_, &locallink::LinkServer::Received, this, &WindowLink::Take);
}

bool WindowLink::Listen(QString& error) {
    return server_.Listen(error);
}

void WindowLink::Hello() {
    server_.SetHello({{"syslogActive", service_.SysLogActive()}});
}

void WindowLink::Take(const QJsonObject& message) {
    const QString type = message.value(QLatin1String("type")).toString();
    if (type == QLatin1String("reload")) {
        service_.Reload();
    } else if (type == QLatin1String("released")) {
        service_.TakeOver();
    }
}

void WindowLink::SayGoodbye() {
    server_.Broadcast({{"type", "bye"}});
    server_.Flush();
}

} // namespace service
