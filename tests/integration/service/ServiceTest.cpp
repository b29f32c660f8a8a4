// `linescope --service` as the process systemd starts: the settings it reads and never writes,
// SIGHUP moving it to another router, SIGTERM ending the log with the disabled line, Prometheus
// scraping the moving line, and bad requests from outside that leave the sampling on time.
#include "Agents.h"
#include "ServiceHarness.h"
#include "UdpSender.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using core::history::Col;

// Sends `text` to the syslog server the way a router's messages come, through logger(1).
bool Logger(uint16_t port, const QString& text) {
    ChildProcess p;
    if (!p.Start({"logger", "-n", "127.0.0.1", "-P", std::to_string(port), "-d", "--",
                  text.toStdString()}))
        return false;
    p.ReadUntil(DeadlineIn(5000), [&p] { return p.Exited(); });
    return p.Stop(1000, false) == 0;
}

std::string Local(quint16 port) {
    return "127.0.0.1:" + std::to_string(port);
}

TEST(ServiceTest, ReadsSettingsOnlyMovesRouterOnHangupAndEndsTheLogOnTerminate) {
    SimulatedRouter* router = SharedSimulatedRouter();
    ASSERT_NE(router, nullptr);
    NetSnmpAgent other;
    ASSERT_TRUE(other.Start()) << other.Output();
    ServiceHome home;
    const quint16 web = FreeTcpPort();
    const uint16_t syslog = static_cast<uint16_t>(FreeUdpPort());
    home.Write(ServiceHome::Defaults(router->Address(), SimulatedRouter::Community,
                                     QString::fromStdString(Local(web))));
    QByteArray written = home.Settings();
    ASSERT_TRUE(home.Start(syslog, "127.0.0.1", web)) << home.service.out << home.service.err;
    EXPECT_EQ(Exchange("127.0.0.1", web, Request("/metrics", "127.0.0.1")).status, 200);
    ASSERT_TRUE(WaitFor([&] { return home.SampleTimes(Col::AtucCurrSnrMgn).size() >= 2; }));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Logger(syslog, QStringLiteral("line %1 from the router").arg(i)));
    ASSERT_TRUE(WaitFor([&] { return home.LogLines().filter("from the router").size() == 3; }));

    // The agent without an ADSL line: its samples hold uptime but no margin.
    auto keys = ServiceHome::Defaults(other.Address(), NetSnmpAgent::ReadCommunity,
                                      QString::fromStdString(Local(web)));
    // Neither the start nor the reload fills in a default or rewrites the file.
    EXPECT_EQ(home.Settings().toStdString(), written.toStdString());
    home.Write(keys);
    written = home.Settings();
    home.Signal(SIGHUP);
    const auto lineless = [&] {
        const auto all = home.SampleTimes(Col::SysUpTime);
        const auto line = home.SampleTimes(Col::AtucCurrSnrMgn);
        std::vector<int64_t> rest;
        std::set_difference(all.begin(), all.end(), line.begin(), line.end(),
                            std::back_inserter(rest));
        return rest;
    };
    ASSERT_TRUE(WaitFor([&] { return lineless().size() >= 2; }));
    // Once the new router is recorded, the old one never is again.
    EXPECT_LT(home.SampleTimes(Col::AtucCurrSnrMgn).back(), lineless().front());

    home.Signal(SIGTERM);
    ASSERT_TRUE(WaitFor([&] {
        home.service.ReadUntil(DeadlineIn(50), [] { return false; });
        return home.service.Exited();
    }));
    EXPECT_EQ(home.service.Stop(1000, false), 0) << home.service.err;
    const QStringList log = home.LogLines();
    ASSERT_GE(log.size(), 5);
    EXPECT_TRUE(log.front().startsWith("**** SysLog server enabled on "))
        << log.front().toStdString();
    EXPECT_TRUE(log.back().startsWith("**** SysLog server disabled on "))
        << log.back().toStdString();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(log.filter(QStringLiteral("line %1 from the router").arg(i)).size(), 1);
    EXPECT_EQ(home.Settings().toStdString(), written.toStdString());
}

// Prometheus with a private configuration and data folder, scraping `target` every second.
class Prometheus {
public:
    bool Start(const std::string& target) {
        port = FreeTcpPort();
        QFile config(dir.filePath("prometheus.yml"));
        if (!config.open(QIODevice::WriteOnly)) return false;
        config.write(("global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
                      "scrape_configs:\n  - job_name: linescope\n    static_configs:\n"
                      "      - targets: ['" +
                      target + "']\n")
                         .c_str());
        config.close();
        return process.Start({"prometheus", "--config.file=" + config.fileName().toStdString(),
                              "--storage.tsdb.path=" + dir.filePath("data").toStdString(),
                              "--web.listen-address=127.0.0.1:" + std::to_string(port)});
    }
    // The value of an instant query's first series; NaN while it has none.
    double Query(const QString& query) {
        process.ReadUntil(DeadlineIn(10), [] { return false; });
        const Reply r = Exchange("127.0.0.1", port,
                                 Request("/api/v1/query?query=" + QUrl::toPercentEncoding(query),
                                         ("127.0.0.1:" + std::to_string(port)).c_str()));
        const QJsonArray result =
            QJsonDocument::fromJson(r.body).object()["data"].toObject()["result"].toArray();
        if (result.isEmpty()) return std::nan("");
        return result[0].toObject()["value"].toArray()[1].toString().toDouble();
    }
    QTemporaryDir dir;
    ChildProcess process;
    quint16 port = 0;
};

TEST(ServiceTest, PrometheusScrapesTheMarginAndARiseInErroredSeconds) {
    if (!QFile::exists("/usr/bin/prometheus")) GTEST_SKIP() << "prometheus is not installed";
    SimulatedRouter* router = SharedSimulatedRouter();
    ASSERT_NE(router, nullptr);
    ASSERT_TRUE(router->SelectStep(SimulatedRouter::StepNormal));
    ServiceHome home;
    const quint16 web = FreeTcpPort();
    home.Write(ServiceHome::Defaults(router->Address(), SimulatedRouter::MovingCommunity,
                                     QString::fromStdString(Local(web))));
    ASSERT_TRUE(home.Start(static_cast<uint16_t>(FreeUdpPort()), "127.0.0.1", web))
        << home.service.out << home.service.err;
    Prometheus prometheus;
    ASSERT_TRUE(prometheus.Start(Local(web))) << prometheus.process.out;

    // Step 0: the exchange end's margin 6.1 dB, 37 errored seconds; step 5: 62.
    const QString es = QStringLiteral("linescope_adsl_errored_seconds_total{end=\"atuc\"}");
    EXPECT_TRUE(WaitFor(
        [&] {
            return prometheus.Query("linescope_adsl_snr_margin_decibels{end=\"atuc\"}") == 6.1 &&
                   prometheus.Query(es) == 37;
        },
        60000))
        << prometheus.process.out;
    ASSERT_TRUE(router->SelectStep(SimulatedRouter::StepLowMargin));
    EXPECT_TRUE(WaitFor(
        [&] {
            return prometheus.Query("max_over_time(" + es + "[5m]) - min_over_time(" + es +
                                    "[5m])") == 25;
        },
        60000));
    ASSERT_TRUE(router->SelectStep(SimulatedRouter::StepNormal));
}

// Kilobytes of the process's resident memory, from /proc.
long RssKb(pid_t pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Connections the kernel shows established at `hexIp:port` on the accepting side; a client
// the listener never took counts on its own side only.
int AcceptedConnections(const char* hexIp, quint16 port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return -1;
    const QByteArray local = QByteArray(hexIp) + ':' + QByteArray::number(port, 16).toUpper();
    int n = 0;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        n += f.size() > 3 && f[1] == local.rightJustified(13, '0') && f[3] == "01";
    }
    return n;
}

// Each bad request gets a 4xx or a closed connection.
bool Refused(const Reply& r) {
    return (r.status >= 400 && r.status < 500) || (r.status == 0 && r.closed);
}

TEST(ServiceTest, BadRequestsAndIdleConnectionsLeaveTheSamplingOnTime) {
    SimulatedRouter* router = SharedSimulatedRouter();
    ASSERT_NE(router, nullptr);
    ServiceHome home;
    const quint16 web = FreeTcpPort("127.0.0.2");
    const QByteArray at = "127.0.0.2:" + QByteArray::number(web);
    home.Write(ServiceHome::Defaults(router->Address(), SimulatedRouter::Community,
                                     QString::fromLatin1(at)));
    ASSERT_TRUE(home.Start(static_cast<uint16_t>(FreeUdpPort()), "127.0.0.2", web))
        << home.service.out << home.service.err;
    std::string printed;
    ASSERT_EQ(home.Run({"--service-token"}, &printed), 0);
    const QByteArray token = QByteArray::fromStdString(printed).trimmed();
    ASSERT_EQ(token.size(), 32);
    const auto get = [&](const QByteArray& target, const QByteArray& more = {},
                         const char* method = "GET") {
        return Exchange("127.0.0.2", web, Request(target, at.constData(), more, method), 5000);
    };
    const QByteArray bearer = "Authorization: Bearer " + token + "\r\n";
    EXPECT_EQ(get("/metrics", bearer).status, 200);
    EXPECT_EQ(get("/?token=" + token).status, 200);
    EXPECT_EQ(get("/metrics").status, 401);
    QByteArray wrong = token;
    wrong[0] = wrong[0] == 'a' ? 'b' : 'a';
    EXPECT_EQ(get("/metrics", "Authorization: Bearer " + wrong + "\r\n").status, 401);
    EXPECT_EQ(get("/metrics?token=" + token.left(31)).status, 401);
    EXPECT_EQ(get("/metrics?token=" + token + "0").status, 401);
    for (const QByteArray path : {"/../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd",
                                  "/chart/%2e%2e%2fsnr.png", "/chart/../report.pdf"})
        EXPECT_TRUE(Refused(get(path, bearer))) << path.constData();
    for (const char* method : {"POST", "PUT", "DELETE"})
        EXPECT_TRUE(Refused(Exchange(
            "127.0.0.2", web,
            Request("/", at.constData(), bearer + "Content-Length: 2\r\n", method) + "{}", 5000)))
            << method;
    EXPECT_TRUE(Refused(get("/?span=" + QByteArray(1 << 20, 'a'), bearer)));

    // 500 connections opened and left idle: beyond the cap each is closed at once.
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 500; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress("127.0.0.2"), web);
    }
    for (auto& socket : idle)
        socket->waitForConnected(2000);
    const std::size_t before = home.SampleTimes(Col::SysUpTime).size();
    ASSERT_TRUE(WaitFor([&] { return home.SampleTimes(Col::SysUpTime).size() >= before + 5; }));
    EXPECT_LE(AcceptedConnections("0200007F", web), 128) << "connections beyond the cap kept";
    // Stated bound: 256 MB, room for a sanitizer build's shadow memory.
    EXPECT_LT(RssKb(home.service.Pid()), 256 * 1024);
    idle.clear();
    EXPECT_TRUE(WaitFor([&] { return get("/metrics", bearer).status == 200; }));
    const auto times = home.SampleTimes(Col::SysUpTime);
    ASSERT_GE(times.size(), 6u);
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_LE(times[i] - times[i - 1], 3) << "a sample late by " << times[i] - times[i - 1];
}

TEST(ServiceTest, ListenAddressIsTheOneKeyItWrites) {
    ServiceHome home;
    home.Write({{"IPAddress", "127.0.0.1:1161"}, {"ServiceListen", "127.0.0.1:8514"}});
    const QByteArray kept = home.Settings();
    std::string out;
    for (const char* bad : {"localhost:8514", "127.0.0.1", "127.0.0.1:0", "[::1:8514", "1.2.3:80"})
        EXPECT_EQ(home.Run({"--service-listen", bad}, &out), 2) << bad;
    EXPECT_EQ(home.Settings().toStdString(), kept.toStdString());
    EXPECT_EQ(home.Run({"--service-listen", "[::1]:9000"}), 0);
    const QByteArray now = home.Settings();
    EXPECT_TRUE(now.contains("IPAddress=127.0.0.1:1161")) << now.constData();
    EXPECT_TRUE(now.contains("[::1]:9000")) << now.constData();
    EXPECT_EQ(now.count('\n'), kept.count('\n')) << now.constData();
}

} // namespace
