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
#include <QUrl>
#include <algorithm>

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

} // namespace
