// The service's end of the link to the user's window: it tells an open window what the jobs do
// (the log's lines, the server's state, each stored sample, line events and the allowance's
// notices) and takes its requests: read the settings again, or take over what it let go.
#pragma once

#include "locallink/LocalLink.h"

#include <QObject>

namespace service {

class Service;

class WindowLink final : public QObject {
    Q_OBJECT

public:
    WindowLink(Service& service, QObject* parent = nullptr);
    // False, with the reason, when no window can reach this service; it runs on without one.
    bool Listen(QString& error);
    // The service stops: sent after its jobs ended, so a window may start its own.
    void SayGoodbye();

private:
    void Hello();
    void Take(const QJsonObject& message);

    Service& service_;
    locallink::LinkServer server_;
};

} // namespace service
