// The window's side of the usage and the line report, from a seeded history with known volumes
// and a gap: the allowance dialog's checks and what it saves, and the line report from the graph
// menu read back with pdftotext.
#include "SeededWindow.h"
#include "app/graph/GraphPage.h"
#include "app/graph/HistoryView.h"
#include "core/Settings.h"
#include "widgets/TrafficChart.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using core::history::Col;
using core::history::HistoryStore;

namespace {

constexpr int64_t Down = 1'000'000, Up = 200'000;           // octets a minute, all the time
constexpr int64_t GapEnd = 30 * 3600, GapLength = 2 * 3600; // before now

// A sample a minute over the three days before now, none for the two hours of the gap; the
// counters run on through it, so its octets arrive with the sample that ends it.
void Seed(int64_t now) {
    HistoryStore store(HistoryStore::DefaultFileName(), HistoryStore::Mode::Write);
    QVERIFY2(store.Open(), qPrintable(store.Problem()));
    for (int64_t t = now - 3 * 86400, minute = 0; t <= now; t += 60, ++minute) {
        if (t >= now - GapEnd - GapLength && t < now - GapEnd) continue;
        core::history::Sample s;
        s.time = t;
        s.interval = 60;
        s[Col::SysUpTime] = minute * 6000;
        s[Col::WanInOctets] = minute * Down;
        s[Col::WanOutOctets] = minute * Up;
        s[Col::AtucCurrSnrMgn] = 120;
        s[Col::AturCurrSnrMgn] = 140;
        QVERIFY2(store.Add(s, {}), qPrintable(store.Problem()));
    }
}

QString PdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Runs `drive` on the modal dialog `item` opens, from inside its loop.
void WithDialog(QAction* item, const std::function<void(QDialog&)>& drive) {
    QTimer::singleShot(0, [drive] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        drive(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    item->trigger();
}

} // namespace

class UsageWindowTest : public QObject, testing_seams::SeededWindow {
    Q_OBJECT

    QAction* item(const char* name) { return form_->Graph().MenuItem(name); }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        Seed(now_);
        Open();
    }

    void allowanceDialogChecksAndSaves() {
        auto set = [](QDialog& d, const char* cap, const char* day) {
            d.findChild<QLineEdit*>("UsageCapGB")->setText(QString::fromLatin1(cap));
            d.findChild<QLineEdit*>("UsageCapDay")->setText(QString::fromLatin1(day));
        };
        auto ok = [](QDialog& d) {
            d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        };
        QStringList refused;
        WithDialog(item("MonthlyAllowance1"), [&](QDialog& d) {
            QCOMPARE(d.findChild<QLineEdit*>("UsageCapDay")->text(), QStringLiteral("1"));
            const char* wrong[][2] = {{"-1", "1"},  {"ten", "1"}, {"50", "0"},
                                      {"50", "32"}, {"50", ""},   {"99999999999", "1"}};
            for (const auto& values : wrong) {
                set(d, values[0], values[1]);
                ok(d);
                if (d.isVisible() && d.findChild<QLabel*>("AllowanceProblem")->isVisible())
                    refused.append(QString::fromLatin1(values[0]));
            }
            set(d, " 250 ", "31");
            ok(d);
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(refused.size(), 6);
        QCOMPARE(form_->settings().UsageCapGB, 250);
        QCOMPARE(form_->settings().UsageCapDay, 31);
        core::Settings saved;
        QVERIFY(core::SettingsStore().ReadOptionsFromReg(saved));
        QCOMPARE(saved.UsageCapGB, 250);
        QCOMPARE(saved.UsageCapDay, 31);
        // Cancelled, or ended with the session: nothing changes.
        WithDialog(item("MonthlyAllowance1"), [&](QDialog& d) {
            QCOMPARE(d.findChild<QLineEdit*>("UsageCapGB")->text(), QStringLiteral("250"));
            set(d, "0", "1");
        });
        WithDialog(item("MonthlyAllowance1"), [&](QDialog& d) {
            set(d, "0", "1");
            app::Modal::EndAll();
        });
        app::Modal::Resume();
        QCOMPARE(form_->settings().UsageCapGB, 250);
        QVERIFY(messages_.errors.isEmpty());
    }

    // Dec 4 is whole; Dec 5 lost 00:30 to 02:30, whose 121 minutes of octets come unplaced
    // with the sample that ends the gap; all four days are in one month.
    void usageTableNewestFirstAndSaved() {
        form_->MenuBtnTablesClick();
        form_->TableBtnUsageClick();
        const QStringList lines =
            form_->findChild<QPlainTextEdit*>("Memo2")->toPlainText().split('\n');
        QCOMPARE(lines.size(), 2 + 5);
        const char* firsts[] = {"2026-12 month", "2026-12-06", "2026-12-05", "2026-12-04",
                                "2026-12-03"};
        for (int i = 0; i < 5; ++i)
            QVERIFY2(lines[2 + i].startsWith(QLatin1String(firsts[i])), qPrintable(lines[2 + i]));
        QCOMPARE(lines[2].simplified(),
                 QStringLiteral("2026-12 month 4.20 GB 839.8 MB 145.2 MB 70.0 h"));
        QCOMPARE(lines[4].simplified(),
                 QStringLiteral("2026-12-05 1.32 GB 263.8 MB 145.2 MB 22.0 h"));
        QCOMPARE(lines[5].simplified(), QStringLiteral("2026-12-04 1.44 GB 288.0 MB - 24.0 h"));
        const QString path = answer(QStringLiteral("usage"));
        form_->TableBtnSaveClick();
        QFile saved(path + ".txt");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), (lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
    }

    // Seven days back reach four days before the first sample: those have no bars at all. The
    // bars hold what was placed; the octets that came across the gap only the total.
    void usageViewBarsAndTotal() {
        form_->MenuBtnGraphClick();
        item("ShowUsage1")->trigger();
        item("Span7Days1")->trigger();
        QVERIFY(QTest::qWaitFor([this] { return !form_->Graph().HistoryViewer()->Pending(); }));
        const chart::ChartModel model = form_->Graph().HistoryChart()->Model();
        QCOMPARE(model.BarWidth(), 86400.0);
        const double firstDay = QDateTime(QDate(2026, 12, 3), QTime()).toSecsSinceEpoch();
        double sums[2] = {};
        for (int side = 0; side < 2; ++side) {
            QCOMPARE(model.Series(side).points.size(), 4);
            QCOMPARE(model.Series(side).points.front().x, firstDay);
            for (const chart::ChartPoint& bar : model.Series(side).points)
                sums[side] += bar.y;
        }
        QCOMPARE(qRound(sums[0] * 1000), 4199); // GB
        QCOMPARE(qRound(sums[1] * 10000), 8398);
        QCOMPARE(model.Series(0).title, QStringLiteral("DownStream 4.32 GB"));
        QCOMPARE(model.Series(1).title, QStringLiteral("UpStream 864.0 MB"));
        QVERIFY2(model.LegendNote().startsWith(
                     QStringLiteral("Total 5.18 GB, 145.2 MB across gaps in no bar; decimal")),
                 qPrintable(model.LegendNote()));
        item("ShowSnrMargin1")->trigger();
        QVERIFY(QTest::qWaitFor([this] { return !form_->Graph().HistoryViewer()->Pending(); }));
        QCOMPARE(form_->Graph().HistoryChart()->Model().BarWidth(), 0.0);
    }

    void lineReportFromTheMenu() {
        const int busy = cursor_.BusyCount();
        const QString path = answer(QStringLiteral("report"));
        item("LineReport1")->trigger();
        QVERIFY2(messages_.errors.isEmpty(), qPrintable(messages_.errors.join(' ')));
        QCOMPARE(cursor_.BusyCount(), busy + 1);
        const QString text = PdfText(path + ".pdf");
        QVERIFY2(text.contains(QStringLiteral("Line report")), qPrintable(text));
        // Seven days ending today; the last three recorded, the one before the first nothing.
        QVERIFY(QRegularExpression(QStringLiteral("Sun 2026-12-06 +8\\.5")).match(text).hasMatch());
        QVERIFY(text.contains(QStringLiteral("Mon 2026-11-30 nothing recorded")));
        answer(QStringLiteral("no/such/dir/report.pdf"));
        item("LineReport1")->trigger();
        QCOMPARE(messages_.errors.size(), 1);
    }
};

QTEST_MAIN(UsageWindowTest)
#include "UsageWindowTest.moc"
