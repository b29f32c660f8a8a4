// The web side over real HTTP: the page, charts, report and metrics with their headers over the
// synthetic history; what reaches it beyond 127.0.0.1 (the token, on 127.0.0.2) and what never
// does (another Host, other methods and paths, bad parameters, a 1 MB URL); the caps on
// connections and their idle timeout; the listening setting and the token file.
#include "service/WebServer.h"

#include "HistorySynth.h"
#include "HttpExchange.h"
#include "core/Formatters.h"
#include "core/HistoryStore.h"
#include "service/WebPages.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using namespace service;
using core::history::Col;

struct TestSource final : WebSource {
    mutable QMutex mutex;
    LiveState live;
    const core::history::HistoryStore* store = nullptr;
    LiveState Live() const override {
        QMutexLocker lock(&mutex);
        return live;
    }
    const core::history::HistoryStore* History() const override { return store; }
};

// The server, its store and renderers in a thread of their own, so the test's sockets can block.
class ServerThread final : public QThread {
public:
    ServerThread(TestSource& source, QString db, const char* ip, QByteArray token, WebLimits limits)
        : source_(source), db_(std::move(db)), ip_(ip), token_(std::move(token)), limits_(limits) {
        start();
        ready_.acquire();
    }
    ~ServerThread() override {
        quit();
        wait();
    }
    quint16 port = 0;
    QString error;

protected:
    void run() override {
        core::history::HistoryStore store(db_, core::history::HistoryStore::Mode::Read);
        source_.store = store.Open() ? &store : nullptr;
        WebServer server(source_, limits_);
        server.SetChartRenderer([](Chart chart, Span span, QSize size) {
            return "\x89PNG\r\n\x1a\n" + QByteArray::number(int(chart)) + ' ' + SpanName(span) +
                   ' ' + QByteArray::number(size.width());
        });
        server.SetReportRenderer([](int days) { return "%PDF-1.4 " + QByteArray::number(days); });
        const bool listening = server.Listen({QHostAddress(ip_), 0}, token_, error);
        port = server.Port();
        ready_.release();
        if (listening) exec();
    }

private:
    TestSource& source_;
    QString db_;
    const char* ip_;
    QByteArray token_;
    WebLimits limits_;
    QSemaphore ready_;
};

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::history::HistoryStore store(dir.filePath("h.sqlite"),
                                          core::history::HistoryStore::Mode::Write);
        ASSERT_TRUE(store.Open());
        ASSERT_GT(bench::FillHistory(store, QDateTime::currentSecsSinceEpoch(), 8, 600), 0);
        source.live.sample = store.Last();
        events = store.Events(0, std::numeric_limits<int64_t>::max());
        source.live.routerAnswers = true;
        source.live.sysDescr = QStringLiteral("Corvane R62GX <b>\"&\"</b>");
        source.live.upTime = 123456;
        source.live.syslogReceived = 250;
        source.live.syslogLost = 3;
        for (int i = 0; i < 249; ++i)
            source.live.syslogLines << QStringLiteral("line %1").arg(i);
        source.live.syslogLines << QStringLiteral("<script>alert(1)</script> \x1b[31m");
    }
    Reply Get(const QByteArray& target, const QByteArray& more = {}) {
        return Exchange("127.0.0.1", server->port, Request(target, host.constData(), more));
    }
    QTemporaryDir dir;
    TestSource source;
    std::vector<core::history::Event> events;
    WebLimits limits{32, 64 * 1024, 1024, 5000};
    std::unique_ptr<ServerThread> server;
    QByteArray host;
    void Start() {
        server = std::make_unique<ServerThread>(source, dir.filePath("h.sqlite"), "127.0.0.1",
                                                QByteArray(), limits);
        ASSERT_NE(server->port, 0) << server->error.toStdString();
        host = "127.0.0.1:" + QByteArray::number(server->port);
    }
};

TEST_F(WebServerTest, ServesThePageChartsReportAndMetricsWithTheirHeaders) {
    Start();
    const Reply page = Get("/");
    ASSERT_EQ(page.status, 200);
    EXPECT_EQ(page.headers["content-type"], "text/html; charset=utf-8");
    EXPECT_EQ(page.headers["x-content-type-options"], "nosniff");
    // The policy allows the page's own style sheet alone, and no script at all.
    const QByteArray style =
        QCryptographicHash::hash(PageStyle(), QCryptographicHash::Sha256).toBase64();
    EXPECT_TRUE(page.headers["content-security-policy"].contains("default-src 'none'"));
    EXPECT_TRUE(page.headers["content-security-policy"].contains("'sha256-" + style + "'"));
    EXPECT_TRUE(page.body.contains("<style>" + PageStyle() + "</style>"));
    const QString html = QString::fromUtf8(page.body);
    EXPECT_TRUE(html.contains("Corvane R62GX &lt;b&gt;&quot;&amp;&quot;&lt;/b&gt;"));
    EXPECT_TRUE(html.contains("&lt;script&gt;alert(1)&lt;/script&gt; \uFFFD[31m"));
    EXPECT_FALSE(html.contains("<script") || html.contains("<b>"));
    // The last 200 syslog lines, the counts, both ends as the ADSL page formats them.
    EXPECT_FALSE(html.contains("line 49\n"));
    EXPECT_TRUE(html.contains("line 50\n"));
    EXPECT_TRUE(html.contains("250 lines received, 3 lost"));
    const auto& sample = *source.live.sample;
    EXPECT_TRUE(html.contains(
        QString::fromStdString(core::StrTodB(std::to_string(*sample[Col::AturCurrSnrMgn])))));
    EXPECT_TRUE(html.contains(QString::fromStdString(
        core::StrToSpeed(std::to_string(*sample[Col::AtucChanCurrTxRate])))));
    EXPECT_TRUE(html.contains("noDefect"));
    for (const char* chart : {"snr", "attenuation", "rate", "errors", "usage"})
        EXPECT_TRUE(html.contains(QStringLiteral("src=\"/chart/%1.png?span=24h\"").arg(chart)));
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(QString::fromUtf8(Get("/?span=30d").body).contains(Html(events.front().detail)));
    EXPECT_TRUE(Get("/?span=7d").body.contains("<span class=\"now\">7d</span>"));

    const Reply chart = Get("/chart/errors.png?span=1y");
    EXPECT_EQ(chart.status, 200);
    EXPECT_EQ(chart.headers["content-type"], "image/png");
    EXPECT_EQ(chart.body, QByteArray("\x89PNG\r\n\x1a\n3 1y 800"));
    const Reply report = Get("/report.pdf?days=366");
    EXPECT_EQ(report.headers["content-type"], "application/pdf");
    EXPECT_EQ(report.body, "%PDF-1.4 366");

    const Reply metrics = Get("/metrics");
    EXPECT_EQ(metrics.headers["content-type"], "text/plain; version=0.0.4; charset=utf-8");
    EXPECT_TRUE(metrics.body.contains("linescope_adsl_snr_margin_decibels{end=\"atur\"} " +
                                      QByteArray::number(double(*sample[Col::AturCurrSnrMgn]) / 10,
                                                         'g', QLocale::FloatingPointShortest) +
                                      '\n'));
    EXPECT_TRUE(metrics.body.contains("linescope_router_uptime_seconds 1234.56\n"));
    EXPECT_TRUE(metrics.body.contains("linescope_syslog_lines_lost_total 3\n"));
    const QString promtool = QStandardPaths::findExecutable("promtool");
    if (promtool.isEmpty()) {
        std::cout << "promtool not installed: the metrics' format is not checked\n";
    } else {
        QProcess check;
        check.start(promtool, {"check", "metrics"});
        check.write(metrics.body);
        check.closeWriteChannel();
        ASSERT_TRUE(check.waitForFinished(10000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString()
                                       << check.readAllStandardError().toStdString();
    }

    // What the router did not answer is left out, not exported as 0; the page says NULL.
    {
        QMutexLocker lock(&source.mutex);
        source.live.sample->values[Col::AturCurrSnrMgn].reset();
        source.live.sample->values[Col::WanInOctets].reset();
        source.live.sample->values[Col::WanInOctets32].reset();
    }
    const QByteArray partial = Get("/metrics").body;
    EXPECT_FALSE(partial.contains("linescope_adsl_snr_margin_decibels{end=\"atur\"}"));
    EXPECT_TRUE(partial.contains("linescope_adsl_snr_margin_decibels{end=\"atuc\"}"));
    EXPECT_FALSE(partial.contains("linescope_wan_receive_bytes_total"));
    EXPECT_TRUE(partial.contains("linescope_wan_transmit_bytes_total"));
    EXPECT_TRUE(Get("/").body.contains("<td>NULL</td>"));
}

TEST_F(WebServerTest, RefusesOtherHostsMethodsPathsAndParameters) {
    limits.idleMs = 5000;
    Start();
    const QByteArray port = QByteArray::number(server->port);
    EXPECT_EQ(Exchange("127.0.0.1", server->port, Request("/", "localhost:" + port)).status, 200);
    EXPECT_EQ(
        Exchange("127.0.0.1", server->port, "GET / HTTP/1.1\r\nhOST: " + host + "\r\n\r\n").status,
        200);
    for (const QByteArray& h : QByteArrayList{"evil.example", "evil.example:" + port,
                                              "127.0.0.1:" + QByteArray::number(server->port + 1),
                                              "127.0.0.2", "[::1]"}) {
        const Reply r = Exchange("127.0.0.1", server->port, Request("/metrics", h.constData()));
        EXPECT_EQ(r.status, 403) << h.constData();
        EXPECT_TRUE(r.closed) << h.constData();
    }
    for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS", "HEAD"}) {
        const Reply r = Exchange("127.0.0.1", server->port,
                                 Request("/", host, "Content-Length: 2\r\n", method) + "{}");
        EXPECT_EQ(r.status, 405) << method;
        EXPECT_TRUE(r.closed) << method;
    }
    const QByteArray query(MaxQueryBytes, 'a');
    for (const QByteArray& target :
         QByteArrayList{"/../metrics", "/%2e%2e/%2e%2e/etc/passwd", "/chart/..%2fsnr.png",
                        "/chart/snr.png/", "/metrics%00", "/index.html"})
        EXPECT_EQ(Get(target).status, 404) << target.constData();
    for (const QByteArray& target :
         QByteArrayList{"/?span=2h", "/?span=1h&span=1h", "/?days=3", "/metrics?span=1h",
                        "/report.pdf?days=0", "/report.pdf?days=367", "/report.pdf?days=12a",
                        "/report.pdf?days=0031", "/?x=1", "/?span=" + query})
        EXPECT_EQ(Get(target).status, 400) << target.left(40).constData();
    // A body beyond the limit is refused; a 1 MB address is cut off long before the idle timeout.
    EXPECT_EQ(Get("/", "Content-Length: 2000\r\n\r\n" + QByteArray(2000, 'x')).status, 413);
    QElapsedTimer clock;
    clock.start();
    const Reply huge = Exchange("127.0.0.1", server->port,
                                Request("/?span=" + QByteArray(1 << 20, 'a'), host), 4000);
    EXPECT_TRUE(huge.closed);
    EXPECT_TRUE(huge.status == 0 || (huge.status >= 400 && huge.status < 500)) << huge.status;
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_EQ(Get("/").status, 200);

    // Keep-alive as each version means it: HTTP/1.0 closes unless asked, HTTP/1.1 unless told.
    const auto closed = [&](const char* version, const char* connection) {
        QByteArray request = "GET /metrics HTTP/" + QByteArray(version) + "\r\nHost: " + host +
                             "\r\n" + connection + "\r\n";
        const Reply r = Exchange("127.0.0.1", server->port, request);
        EXPECT_EQ(r.status, 200) << version << ' ' << connection;
        return r.closed;
    };
    EXPECT_TRUE(closed("1.0", ""));
    EXPECT_FALSE(closed("1.0", "Connection: keep-alive\r\n"));
    EXPECT_FALSE(closed("1.1", ""));
    EXPECT_TRUE(closed("1.1", "Connection: close\r\n"));
}

TEST_F(WebServerTest, BeyondLoopbackEveryRequestNeedsTheToken) {
    const QString file = TokenFileName(dir.filePath("config/LineScope.conf"));
    QString error;
    const auto token = LoadOrCreateToken(file, error);
    ASSERT_TRUE(token) << error.toStdString();
    EXPECT_EQ(token->size(), 32);
    EXPECT_EQ(QFile(file).permissions() &
                  ~(QFile::ReadUser | QFile::WriteUser | QFile::ReadOwner | QFile::WriteOwner),
              QFile::Permissions());
    EXPECT_EQ(LoadOrCreateToken(file, error), token);
    EXPECT_NE(LoadOrCreateToken(dir.filePath("other.token"), error), token);

    EXPECT_NE(ServerThread(source, {}, "127.0.0.2", {}, limits).error, QString());
    ServerThread guarded(source, dir.filePath("h.sqlite"), "127.0.0.2", *token, limits);
    ASSERT_NE(guarded.port, 0) << guarded.error.toStdString();
    const QByteArray at = "127.0.0.2:" + QByteArray::number(guarded.port);
    auto get = [&](const QByteArray& target, const QByteArray& more = {}) {
        return Exchange("127.0.0.2", guarded.port, Request(target, at.constData(), more));
    };
    QByteArray wrong = *token;
    wrong[0] = wrong[0] == 'a' ? 'b' : 'a';
    for (const QByteArray& target : QByteArrayList{
             "/", "/metrics", "/chart/snr.png", "/report.pdf?days=2", "/nothing", "/?span=bad"}) {
        for (const QByteArray& more :
             QByteArrayList{QByteArray(), "Authorization: Bearer " + wrong + "\r\n",
                            "Authorization: Bearer " + token->left(31) + "\r\n",
                            "Authorization: Basic " + token->toBase64() + "\r\n"})
            EXPECT_EQ(get(target, more).status, 401) << target.constData() << more.constData();
        const char sep = target.contains('?') ? '&' : '?';
        EXPECT_EQ(get(target + sep + "token=" + wrong).status, 401) << target.constData();
        EXPECT_EQ(get(target + sep + "token=" + *token + "0").status, 401) << target.constData();
    }
    EXPECT_EQ(get("/metrics", "Authorization: Bearer " + *token + "\r\n").status, 200);
    // With the token in the address the page's links and images carry it on.
    const Reply page = get("/?token=" + *token);
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains("/chart/snr.png?span=24h&amp;token=" + *token + "\""));
    EXPECT_EQ(get("/chart/snr.png?span=24h&token=" + *token).status, 200);
    // A Host of "localhost" is loopback's, not this address's.
    EXPECT_EQ(Exchange("127.0.0.2", guarded.port, Request("/metrics?token=" + *token, "localhost"))
                  .status,
              200);

    // A token file others could read is no secret: refused until it is removed.
    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_FALSE(LoadOrCreateToken(file, error));
    EXPECT_TRUE(error.contains("not readable by its owner alone")) << error.toStdString();
}

TEST_F(WebServerTest, CapsConnectionsAndClosesIdleOnes) {
    limits.maxConnections = 16;
    limits.idleMs = 600;
    Start();
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 500; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress::LocalHost, server->port);
    }
    auto open = [&idle] {
        int n = 0;
        for (auto& s : idle) {
            s->waitForReadyRead(0); // notices a close
            n += s->state() == QAbstractSocket::ConnectedState;
        }
        return n;
    };
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_LE(open(), limits.maxConnections);
    EXPECT_GT(open(), 0);
    while (open() > 0 && clock.elapsed() < 5000)
        QThread::msleep(50);
    EXPECT_EQ(open(), 0);
    EXPECT_EQ(Get("/metrics").status, 200);
}

TEST(WebAccess, ListenAddressesAndHostHeaders) {
    QString error;
    const auto v4 = ParseListen(DefaultListen, error);
    ASSERT_TRUE(v4);
    EXPECT_EQ(v4->address, QHostAddress::LocalHost);
    EXPECT_EQ(v4->port, 8514);
    EXPECT_FALSE(NeedsToken(v4->address));
    const auto v6 = ParseListen("[::1]:1", error);
    ASSERT_TRUE(v6);
    EXPECT_FALSE(NeedsToken(v6->address));
    EXPECT_TRUE(NeedsToken(ParseListen("[::]:8514", error)->address));
    EXPECT_TRUE(NeedsToken(ParseListen("0.0.0.0:8514", error)->address));
    EXPECT_TRUE(NeedsToken(ParseListen("127.0.0.2:65535", error)->address));
    for (const char* bad :
         {"127.0.0.1", "127.0.0.1:", "127.0.0.1:0", "127.0.0.1:65536", "127.1:8514",
          "127.000.0.1:8514", "localhost:8514", "::1:8514", "[127.0.0.1]:8514", "[::1]8514",
          " 127.0.0.1:8514", "127.0.0.1:+85", "127.0.0.1:8514 ", "[::1:8514", ""})
        EXPECT_FALSE(ParseListen(bad, error)) << bad;

    const QHostAddress lo(QHostAddress::LocalHost), any6("::ffff:192.168.1.2");
    EXPECT_TRUE(HostMatches("127.0.0.1", lo, 80));
    EXPECT_TRUE(HostMatches("LocalHost:80", lo, 80));
    EXPECT_TRUE(HostMatches("192.168.1.2:80", any6, 80));
    EXPECT_TRUE(HostMatches("[::1]:80", QHostAddress(QHostAddress::LocalHostIPv6), 80));
    EXPECT_FALSE(HostMatches("localhost", any6, 80));
    for (const char* bad : {"", "127.0.0.1:81", "127.0.0.1:", "127.0.0.1:80:80", "127.1",
                            "attacker.example", "127.0.0.1.nip.io", "[127.0.0.1]"})
        EXPECT_FALSE(HostMatches(bad, lo, 80)) << bad;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
