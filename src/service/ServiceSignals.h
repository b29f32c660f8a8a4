// SIGTERM and SIGHUP for the service, through a self-pipe into its event loop, so stopping and
// re-reading the settings run on the service's thread between two jobs, never inside one.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace service {

class ServiceSignals final : public QObject {
    Q_OBJECT

public:
    // One per process: it owns the two handlers while it lives.
    explicit ServiceSignals(QObject* parent = nullptr);
    ~ServiceSignals() override;

signals:
    void Terminate(); // SIGTERM or SIGINT
    void Hangup();    // SIGHUP

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace service
