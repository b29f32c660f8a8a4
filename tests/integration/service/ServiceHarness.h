// `linescope --service` as a process in a home of its own (settings, data and runtime
// directories), pointed at a router on loopback, and what the tests read back from it: the
// history, the syslog file, the web side.
#pragma once

#include "HttpExchange.h"
#include "Process.h"
#include "core/History.h"
#include "core/HistoryStore.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

// A TCP port on `ip` that was free a moment ago.
inline quint16 FreeTcpPort(const char* ip = "127.0.0.1") {
    QTcpServer probe;
    return probe.listen(QHostAddress(QString::fromLatin1(ip)), 0) ? probe.serverPort() : 0;
}

// Polls `done` every 100 ms until it holds or `ms` have passed; its last answer.
inline bool WaitFor(const std::function<bool()>& done, int ms = 20000) {
    const Deadline deadline = DeadlineIn(ms);
    while (!done()) {
        if (RemainingMs(deadline) == 0) return false;
        QThread::msleep(100);
    }
    return true;
}

class ServiceHome {
public:
    using Keys = std::map<QString, QString>;

    // The settings of a service that records `router` ("ip:port") every second, runs the
    // syslog server into LogFile() and serves on `listen`.
    static Keys Defaults(const std::string& router, const char* community, const QString& listen) {
        return {{"IPAddress", QString::fromStdString(router)},
                {"Community", QString::fromLatin1(community)},
                {"HistoryInt", "1"},
                {"SLActive", "1"},
                {"SLFileOut", "1"},
                {"SLFileDate", "0"},
                {"ServiceListen", listen}};
    }

    ServiceHome() {
        QDir(dir.path()).mkpath("config/Corvane");
        QDir(dir.path()).mkpath("data");
        QDir(dir.path()).mkpath("runtime");
        QFile::setPermissions(dir.filePath("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", dir.filePath("runtime").toLocal8Bit());
    }

    [[nodiscard]] QString SettingsFile() const {
        return dir.filePath("config/Corvane/LineScope.conf");
    }
    [[nodiscard]] QString LogFile() const { return dir.filePath("syslog.txt"); }
    [[nodiscard]] QString HistoryFile() const {
        return dir.filePath("data/Corvane/LineScope/history.sqlite");
    }

    void Write(Keys keys) {
        keys.emplace("SLFileName", LogFile());
        QFile file(SettingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[General]\n");
        for (const auto& [key, value] : keys)
            file.write((key + '=' + value + '\n').toUtf8());
    }

    [[nodiscard]] QByteArray Settings() const {
        QFile file(SettingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Runs the program with `args` in this home to its end; its exit code, output in `out`.
    int Run(const std::vector<std::string>& args, std::string* out = nullptr) const {
        ChildProcess p;
        std::vector<std::string> argv{LINESCOPE_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        if (!p.Start(argv)) return -1;
        p.ReadUntil(DeadlineIn(20000), [&p] { return p.Exited(); });
        const int code = p.Stop(1000, false);
        if (out) *out = p.out;
        return code;
    }

    // Starts the service and waits until its web side answers on `ip`:`port`.
    bool Start(uint16_t syslogPort, const char* ip, quint16 port) {
        if (!service.Start(
                {LINESCOPE_PROGRAM, "--service", "--syslog-port", std::to_string(syslogPort)},
                true))
            return false;
        return WaitFor([&] {
                   service.ReadUntil(DeadlineIn(50), [] { return false; });
                   return service.Exited() || Exchange(ip, port, Request("/", ip), 500).status != 0;
               }) &&
               !service.Exited();
    }

    void Signal(int number) const { ::kill(service.Pid(), number); }

    // The times of the recorded samples that hold `column`, oldest first.
    [[nodiscard]] std::vector<int64_t> SampleTimes(core::history::Col column) const {
        core::history::HistoryStore store(HistoryFile(), core::history::HistoryStore::Mode::Read);
        if (!store.Open()) return {};
        const auto extent = store.Extent();
        if (!extent) return {};
        std::vector<int64_t> times;
        const int64_t from = extent->first, to = extent->second + 1;
        for (const core::history::ViewPoint& p :
             store.Series(column, from, to, static_cast<int>(to - from)))
            times.push_back(p.time);
        return times;
    }

    [[nodiscard]] QStringList LogLines() const {
        QFile file(LogFile());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromLatin1(file.readAll())
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;
    ChildProcess service;
};
