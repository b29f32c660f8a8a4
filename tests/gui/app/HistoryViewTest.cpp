// The Graph page's history views and the Tables page's line events, from a seeded history
// database: what each Show item and span puts in the chart, that the live chart comes back as it
// was, the event table and its saved file, and the CSV export from the menu.
#include "app/graph/HistoryView.h"

#include "SeededWindow.h"
#include "app/graph/GraphPage.h"
#include "widgets/RollOverBtn.h"
#include "widgets/TrafficChart.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtTest>

using core::history::Col;
using core::history::HistoryStore;

namespace {

// Every 5 minutes over the two days before now, and daily over the year before: the SNR margin
// and attenuation moving, the rates stepping, errored seconds rising; a few events, and a burst
// of 60 in one minute a day ago.
void Seed(int64_t now) {
    HistoryStore store(HistoryStore::DefaultFileName(), HistoryStore::Mode::Write);
    QVERIFY2(store.Open(), qPrintable(store.Problem()));
    int64_t es = 0;
    auto add = [&](int64_t t, int i) {
        core::history::Sample s;
        s.time = t;
        s[Col::AtucCurrSnrMgn] = 60 + i % 40;
        s[Col::AturCurrSnrMgn] = 90 + i % 25;
        s[Col::AtucCurrAtn] = 305;
        s[Col::AturCurrAtn] = 520 + i % 3;
        s[Col::AtucChanCurrTxRate] = i % 100 < 50 ? 8128000 : 6144000;
        s[Col::AturChanCurrTxRate] = 832000;
        s[Col::AtucCurrAttainableRate] = 10240000;
        s[Col::AturCurrAttainableRate] = 1024000;
        s[Col::AtucPerfESs] = es += i % 7;
        s[Col::AturPerfESs] = es / 2;
        std::vector<core::history::Event> events;
        if (i % 150 == 75)
            events.push_back({t, core::history::EventKind(1 + i % 5), QStringLiteral("Δ d")});
        for (int burst = 0; t == now - 86400 && burst < 60; ++burst) // a bad minute
            events.push_back(
                {t - burst, core::history::EventKind::ErrorBurst, QStringLiteral("ES")});
        QVERIFY2(store.Add(s, events), qPrintable(store.Problem()));
    };
    for (int day = 365; day > 2; --day)
        add(now - day * 86400, day);
    for (int64_t t = now - 2 * 86400, i = 0; t <= now; t += 300, ++i)
        add(t, static_cast<int>(i));
}

} // namespace

class HistoryViewTest : public QObject, testing_seams::SeededWindow {
    Q_OBJECT

    void pick(const char* item) { form_->Graph().MenuItem(item)->trigger(); }
    [[nodiscard]] bool drawn() const {
        return QTest::qWaitFor([this] { return !form_->Graph().HistoryViewer()->Pending(); });
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        Seed(now_);
        Open();
    }

    void eachViewAndSpanFromTheStore() {
        HistoryStore store(HistoryStore::DefaultFileName(), HistoryStore::Mode::Read);
        QVERIFY(store.Open());
        const QImage live = form_->Graph().Chart1()->Render(form_->Graph().Chart1()->size());
        QVERIFY(!form_->Graph().MenuItem("Span1Year1")->isEnabled());
        const struct {
            const char* item;
            Col column;
            double scale;
        } views[] = {{"ShowSnrMargin1", Col::AtucCurrSnrMgn, 0.1},
                     {"ShowAttenuation1", Col::AturCurrAtn, 0.1},
                     {"ShowRates1", Col::AtucChanCurrTxRate, 0.001},
                     {"ShowErrors1", Col::AtucPerfESs, 1}};
        const char* spans[] = {"Span1Hour1", "Span24Hours1", "Span7Days1", "Span30Days1",
                               "Span1Year1"};
        const char* formats[] = {"^\\d+:\\d\\d$", "^\\d+:\\d\\d$", "^[A-Z][a-z]{2} \\d+:00$",
                                 "^\\d+ [A-Z][a-z]{2}$", "^[A-Z][a-z]{2} \\d{4}$"};
        widgets::TrafficChart* chart = form_->Graph().HistoryChart();
        for (const auto& view : views)
            for (int span = 0; span < 5; ++span) {
                pick(view.item);
                QVERIFY(drawn());
                const double shownFrom = chart->BottomMin();
                pick(spans[span]);
                // Read off the window's thread: the last view stays until the new one is in.
                QCOMPARE(chart->BottomMin(), shownFrom);
                QVERIFY(drawn());
                const QByteArray at = QByteArray(view.item) + " " + spans[span];
                QVERIFY2(chart->isVisible() && !form_->Graph().Chart1()->isVisible(), at);
                const int64_t from = now_ - chart::SpanSeconds[span];
                const auto expected = store.Series(view.column, from, now_, chart->PlotWidth());
                const auto& points =
                    chart->Series(view.column < Col::AturCurrSnrMgn ? 0 : 1).points;
                QCOMPARE(points.size(), qsizetype(expected.size()));
                QVERIFY2(!points.isEmpty(), at);
                for (qsizetype i = 0; i < points.size(); ++i)
                    QVERIFY2(qAbs(points[i].y - expected[size_t(i)].avg * view.scale) < 1e-9, at);
                double top = 0;
                for (const auto& p : points)
                    top = std::max(top, p.y);
                QVERIFY2(top <= chart->LeftMax() && top > chart->LeftMax() / 2, at);
                // Gaps in the recording break the line, its five-minute rhythm does not: in
                // the week, each of the daily samples 7 to 3 days ago stands alone.
                const auto breaks = std::count_if(points.begin(), points.end(),
                                                  [](const auto& p) { return p.breakBefore; });
                QCOMPARE(breaks, span == 2 ? 5 : span < 2 ? 0 : breaks);
                QCOMPARE(chart->Series(0).companion.isEmpty(),
                         view.column != Col::AtucChanCurrTxRate);
                // Labels: at least two, every one in the span's format, all of them fitting.
                const auto labels = chart->AxisLabels();
                QVERIFY2(labels.size() >= 2, at);
                QCOMPARE(chart->FittingAxisLabels(chart->size()).size(), labels.size());
                for (const auto& label : labels)
                    QVERIFY2(QRegularExpression(QString::fromLatin1(formats[span]))
                                 .match(label.label)
                                 .hasMatch(),
                             qPrintable(label.label));
                // One mark per pixel column, for all the events there, told to a screen reader.
                qsizetype counted = 0;
                int column = -1;
                for (const widgets::ChartMark& mark : chart->Marks()) {
                    counted += mark.count;
                    const int x = int((mark.x - from) * chart->PlotWidth() / (now_ - from));
                    QVERIFY2(x > std::exchange(column, x), at);
                    QVERIFY(mark.count == 1 ||
                            mark.text.startsWith(QStringLiteral("%1 events from").arg(mark.count)));
                    QVERIFY(chart->accessibleDescription().contains(mark.text));
                }
                QCOMPARE(counted, qsizetype(store.Events(from, now_ + 1).size()));
                // Drawn without a window, as a report or a web page does: the same picture.
                chart::ChartModel headless;
                chart::FillHistoryChart(headless, &store, chart::GraphShow(1 + (&view - views)),
                                        span, chart->size(), clock_.Now());
                QVERIFY2(headless.Render(chart->size()) == chart->Render(chart->size()), at);
                QCOMPARE(headless.Description(), chart->accessibleDescription());
            }
        QVERIFY(std::any_of(chart->Marks().begin(), chart->Marks().end(),
                            [](const auto& mark) { return mark.count >= 60; }));
        pick("ShowTraffic1");
        QVERIFY(form_->Graph().Chart1()->isVisible() && !chart->isVisible());
        QVERIFY(!form_->Graph().MenuItem("Span1Year1")->isEnabled());
        QCOMPARE(form_->Graph().Chart1()->Render(form_->Graph().Chart1()->size()), live);
        QCOMPARE(form_->settings().GraphSpan, 4);
    }

    void lineEventsTableNewestFirstAndSaved() {
        HistoryStore store(HistoryStore::DefaultFileName(), HistoryStore::Mode::Read);
        QVERIFY(store.Open());
        const auto events = store.Events(0, now_ + 1);
        QVERIFY(events.size() >= 3);
        const int sent = agent_.RequestCount();
        form_->MenuBtnTablesClick();
        QTest::mouseClick(form_->findChild<widgets::tRollOverBtn*>("TableBtnEvents"),
                          Qt::LeftButton);
        auto* memo = form_->findChild<QPlainTextEdit*>("Memo2");
        const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines, core::history::EventLines(events));
        QVERIFY(events.front().time > events.back().time);
        QVERIFY(lines.front().startsWith(QLocale().toString(
            QDateTime::fromSecsSinceEpoch(events.front().time), QLocale::ShortFormat)));
        QCOMPARE(form_->findChild<QLabel*>("Label12")->text(), QStringLiteral("Line events"));
        QCOMPARE(agent_.RequestCount(), sent);

        const QString path = answer(QStringLiteral("events.txt"));
        QTest::mouseClick(form_->findChild<widgets::tRollOverBtn*>("TableBtnSave"), Qt::LeftButton);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), (lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
        // A table picked again shows that table, not the events.
        form_->TableBtnUDPClick();
        QVERIFY(memo->toPlainText() != lines.join(QLatin1Char('\n')));
    }

    void exportFromTheMenu() {
        const QString path = answer(QStringLiteral("history"));
        pick("ExportHistory1");
        QVERIFY2(messages_.errors.isEmpty(), qPrintable(messages_.errors.join(' ')));
        QFile csv(path + ".csv");
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readAll().count('\n') > 576);
        answer(QStringLiteral("no/such/dir/history.csv"));
        pick("ExportHistory1");
        QCOMPARE(messages_.errors.size(), 1);
    }

    void aWrittenSampleShowsInTheOpenView() {
        form_->MenuBtnGraphClick();
        pick("ShowSnrMargin1");
        pick("Span1Hour1");
        {
            HistoryStore writer(HistoryStore::DefaultFileName(), HistoryStore::Mode::Write);
            QVERIFY(writer.Open());
            core::history::Sample sample;
            sample.time = now_ - 1;
            sample[Col::AtucCurrSnrMgn] = 999;
            QVERIFY(writer.Add(sample, {}));
        }
        form_->HistoryChanged(); // as the recorder's writer signals it
        QVERIFY(drawn());
        QVERIFY(qAbs(form_->Graph().HistoryChart()->Series(0).points.back().y - 99.9) < 1e-9);
    }
};

QTEST_MAIN(HistoryViewTest)
#include "HistoryViewTest.moc"
