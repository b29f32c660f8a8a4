#include "service/WebThread.h"

#include "chart/HistoryChart.h"
#include "core/HistoryStore.h"
#include "core/RouterQuery.h"
#include "core/Statistics.h"
#include "report/LineReport.h"

#include <QBuffer>
#include <QImage>
#include <memory>

namespace service {

namespace {

// The history as the web thread reads it: opened on first use there, and tried again on each
// request until the recorder has made the file.
class HistorySource final : public WebSource {
public:
    HistorySource(const LiveBoard& board, QString fileName)
        : board_(board),
          fileName_(fileName.isEmpty() ? core::history::HistoryStore::DefaultFileName()
                                       : std::move(fileName)) {}
    [[nodiscard]] LiveState Live() const override { return board_.Copy(); }
    [[nodiscard]] const core::history::HistoryStore* History() const override {
        if (!store_) {
            auto store = std::make_unique<core::history::HistoryStore>(
                fileName_, core::history::HistoryStore::Mode::Read);
            if (store->Open()) store_ = std::move(store);
        }
        return store_.get();
    }

private:
    const LiveBoard& board_;
    QString fileName_;
    mutable std::unique_ptr<core::history::HistoryStore> store_;
};

QByteArray Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "PNG") ? bytes : QByteArray();
}

} // namespace

void LiveBoard::SetRouter(const core::RouterQuery& query, const core::Statistics& stats,
                          const std::optional<core::history::Sample>& sample) {
    QMutexLocker lock(&mutex_);
    live_.routerAnswers = query.RouterPresent;
    live_.sysDescr = query.RouterPresent ? query.StatusText : QString();
    live_.sample = sample;
    live_.upTime.reset();
    if (sample && sample->values[core::history::SysUpTime])
        live_.upTime = sample->values[core::history::SysUpTime];
    else if (query.RouterPresent && stats.RouterUpTimeKnown)
        live_.upTime = stats.RouterUpTime;
}

void LiveBoard::AddLine(const QString& line, uint64_t received, uint64_t lost) {
    QMutexLocker lock(&mutex_);
    live_.syslogLines.append(line);
    if (live_.syslogLines.size() > KeptLines)
        live_.syslogLines.remove(0, live_.syslogLines.size() - KeptLines);
    live_.syslogReceived = received;
    live_.syslogLost = lost;
}

LiveState LiveBoard::Copy() const {
    QMutexLocker lock(&mutex_);
    return live_;
}

WebThread::WebThread(const LiveBoard& board, QString historyFile)
    : board_(board), historyFile_(std::move(historyFile)) {
    setObjectName(QStringLiteral("WebThread"));
}

WebThread::~WebThread() {
    quit();
    wait();
}

bool WebThread::Begin(const ListenAddress& at, const QByteArray& token, QString& error) {
    at_ = at;
    token_ = token;
    start();
    ready_.acquire();
    if (!listening_) {
        wait();
        error = error_;
    }
    return listening_;
}

void WebThread::run() {
    HistorySource source(board_, historyFile_);
    WebServer server(source);
    server.SetChartRenderer([&source](Chart chart, Span span, QSize size) {
        chart::ChartModel model;
        const QDateTime now = QDateTime::currentDateTime();
        // The window's views in the same order, the usage's bars last.
        chart::FillHistoryChart(model, source.History(),
                                static_cast<chart::GraphShow>(int(chart) + 1), int(span), size,
                                now);
        return Png(model.Render(size));
    });
    server.SetReportRenderer([&source](int days) {
        // No history yet is a report that says so, as the headless report is.
        const core::history::HistoryStore* store = source.History();
        core::history::HistoryStore none(QString(), core::history::HistoryStore::Mode::Read);
        return report::LineReport::Pdf(store ? *store : none, days, QDateTime::currentDateTime());
    });
    listening_ = server.Listen(at_, token_, error_);
    port_ = server.Port();
    ready_.release();
    if (listening_) exec();
}

} // namespace service
