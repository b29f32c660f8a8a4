#include "service/ServiceSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace service {

namespace {

int pipeFds[2] = {-1, -1};

void Caught(int number) {
    const char byte = static_cast<char>(number);
    // Async-signal-safe; a full pipe already holds a byte that will be read.
    [[maybe_unused]] const ssize_t n = write(pipeFds[1], &byte, 1);
}

void Catch(int number, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, nullptr);
}

} // namespace

ServiceSignals::ServiceSignals(QObject* parent) : QObject(parent) {
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (read(pipeFds[0], &byte, 1) == 1) {
            if (byte == SIGHUP)
                emit Hangup();
            else
                emit Terminate();
        }
    });
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        Catch(number, Caught);
}

ServiceSignals::~ServiceSignals() {
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        Catch(number, SIG_DFL);
    if (pipeFds[0] >= 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        pipeFds[0] = pipeFds[1] = -1;
    }
}

} // namespace service
