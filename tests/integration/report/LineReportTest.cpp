// The line report read back with pdftotext: the day rows, the events and the verdicts of a
// synthetic history; what less than a day, a missing value and an empty history read as; and
// the headless mode's answers. Without DISPLAY or WAYLAND_DISPLAY, as under ssh.
#include "report/LineReport.h"

#include "HistorySynth.h"
#include "core/HistoryStore.h"
#include "core/LineReport.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace core::history;

const QDateTime kNow(QDate(2026, 3, 19), QTime(12, 30));

void Headless() {
    static int argc = 1;
    static char name[] = "LineReportTest";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// The report's text as pdftotext lays it out, its whitespace runs made one blank.
QString Text(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput()).replace(QRegularExpression("[ \t]+"), " ");
}

QString Report(const HistoryStore& store, const QString& file, int days) {
    QString error;
    EXPECT_TRUE(report::LineReport::Write(file, store, days, kNow, error)) << error.toStdString();
    return Text(file);
}

QString Db(const LineDay& d) {
    return d.snrMinAtur ? QString::number(*d.snrMinAtur / 10.0) + " dB" : "missing";
}

class LineReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        Headless();
        dir_.setAutoRemove(false);
    }
    QTemporaryDir dir_;
    QString File(const char* name) { return dir_.filePath(QString::fromLatin1(name)); }
};

TEST_F(LineReportTest, DaysEventsAndVerdictsOfASyntheticWeek) {
    HistoryStore store(File("h.sqlite"), HistoryStore::Mode::Write);
    ASSERT_TRUE(store.Open());
    const int64_t end = kNow.toSecsSinceEpoch() - 1800;
    ASSERT_GT(bench::FillHistory(store, end - 3600, 9, 300), 0);
    // An unstable last hour: four resyncs.
    bench::SynthLine line;
    for (int i = 0; i < 4; ++i) {
        std::vector<Event> events{{end - 3000 + i * 600, EventKind::Resync, "rate x -> y"}};
        ASSERT_TRUE(store.Add(bench::SynthSample(line, events[0].time, 600, events), events));
    }
    ASSERT_TRUE(store.RecordIdentity("Corvane R62GX ADSL router 3.2", end - 60));
    const QString text = Report(store, File("week.pdf"), 7);

    EXPECT_TRUE(text.contains("Router Corvane R62GX ADSL router 3.2 (seen 2026-03-19"));
    EXPECT_TRUE(text.contains("Span 7 days: 2026-03-13 00:00 to 2026-03-19 12:30"))
        << text.toStdString();
    const std::vector<LineDay> days = LineReportDays(store, {2026, 3, 13}, {2026, 3, 19});
    ASSERT_EQ(days.size(), 7u);
    qsizetype at = 0;
    for (const LineDay& d : days) {
        const QString row = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
                                .arg(QLocale::c().toString(d.date, "ddd yyyy-MM-dd"))
                                .arg(d.hours, 0, 'f', 1)
                                .arg(*d.resyncs)
                                .arg(*d.drops)
                                .arg(*d.restarts)
                                .arg(*d.esAtuc)
                                .arg(*d.esAtur)
                                .arg(QString::number(*d.snrMinAtuc / 10.0) + " dB", Db(d));
        const qsizetype found = text.indexOf(row + (d.note.isEmpty() ? "\n" : " " + d.note));
        EXPECT_GT(found, at) << "row out of order or missing: " << row.toStdString();
        at = found;
    }
    EXPECT_EQ(days.back().note, "unstable");
    EXPECT_TRUE(text.contains("Stability: unstable on 1 of the 7 recorded days (more than 3"));

    const Sample last = *store.Last();
    const auto verdicts = QStringLiteral("SNR margin %1 dB %2 %3 dB %4\n")
                              .arg(*last[AtucCurrSnrMgn] / 10.0)
                              .arg(Verdict(Measure::SnrMargin, *last[AtucCurrSnrMgn]))
                              .arg(*last[AturCurrSnrMgn] / 10.0)
                              .arg(Verdict(Measure::SnrMargin, *last[AturCurrSnrMgn]));
    EXPECT_TRUE(text.contains(verdicts)) << verdicts.toStdString();
    // Only the downstream's (the modem's) attenuation has a rule of thumb.
    EXPECT_TRUE(text.contains("Attenuation 21.5 dB 38.") && text.contains(" dB very good\n"));
    EXPECT_TRUE(text.contains("Output power 12 dBm 12.5 dBm\n"));

    // Every event of the span, newest first.
    const std::vector<Event> events =
        store.Events(QDateTime(QDate(2026, 3, 13), QTime(0, 0)).toSecsSinceEpoch(), end + 1);
    ASSERT_GT(events.size(), 5u);
    at = text.indexOf("Line events, newest first");
    for (const Event& e : events) {
        const QString line = QDateTime::fromSecsSinceEpoch(e.time).toString("yyyy-MM-dd HH:mm:ss") +
                             " " + EventName(e.kind) + " " + e.detail;
        const qsizetype found = text.indexOf(line, at);
        EXPECT_GT(found, at) << line.toStdString();
        at = std::max(at, found);
    }
}

// Three hours with four resyncs and a sample without two of its values, then no history at all.
TEST_F(LineReportTest, LessThanADayAMissingValueAndAnEmptyHistory) {
    {
        HistoryStore store(File("short.sqlite"), HistoryStore::Mode::Write);
        ASSERT_TRUE(store.Open());
        const int64_t end = kNow.toSecsSinceEpoch() - 600;
        bench::SynthLine line;
        for (int64_t t = end - 3 * 3600; t <= end; t += 300) {
            std::vector<Event> events;
            if ((end - t) % 2700 == 0) events.push_back({t, EventKind::Resync, "x"});
            Sample s = bench::SynthSample(line, t, 300, events);
            if (t == end) s[AturCurrSnrMgn] = s[AtucCurrOutputPwr] = std::nullopt;
            ASSERT_TRUE(store.Add(s, events));
        }
        const QString text = Report(store, File("short.pdf"), 1);
        EXPECT_TRUE(text.contains("Only 3.0 hours are recorded in this span: too little for a"));
        EXPECT_TRUE(text.contains("The router's identity was not recorded."));
        EXPECT_TRUE(
            QRegularExpression("SNR margin [0-9.]+ dB \\w+ missing\n").match(text).hasMatch());
        EXPECT_TRUE(text.contains("Output power missing 12.5 dBm\n"));
        EXPECT_TRUE(text.count("unstable") == 1 && !text.contains("Stability")); // the rules' only
    }
    HistoryStore none(File("none.sqlite"), HistoryStore::Mode::Read); // not opened: no file
    const QString text = Report(none, File("empty.pdf"), 30);
    EXPECT_TRUE(text.contains("The line history is empty: nothing has been recorded yet"));
    EXPECT_EQ(text.count("nothing recorded"), 30);
    EXPECT_TRUE(text.contains("No line event was recorded in this span."));
    QString error;
    EXPECT_FALSE(report::LineReport::Write(File("x.pdf"), none, 367, kNow, error));
    EXPECT_FALSE(QFile::exists(File("x.pdf")));
}

TEST_F(LineReportTest, HeadlessModeWritesAReportOrSaysWhyNot) {
    const QString data = dir_.filePath("data");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    env.insert("XDG_DATA_HOME", data);
    env.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", dir_.path()); // or Qt warns of its absence
    const auto run = [&](const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(LINESCOPE_PROGRAM), args);
        p.waitForFinished(60000);
        return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    };
    // No history yet: a report that says so.
    auto [code, err] = run({"--line-report", File("none.pdf")});
    EXPECT_EQ(code, 0) << err.toStdString();
    EXPECT_TRUE(Text(File("none.pdf")).contains("The line history is empty"));
    {
        HistoryStore store(data + "/Corvane/LineScope/history.sqlite", HistoryStore::Mode::Write);
        ASSERT_TRUE(store.Open());
        bench::FillHistory(store, QDateTime::currentSecsSinceEpoch(), 2, 600);
    }
    std::tie(code, err) = run({"--line-report=" + File("two.pdf"), "--days", "2"});
    EXPECT_EQ(code, 0) << err.toStdString();
    EXPECT_TRUE(Text(File("two.pdf")).contains("Span 2 days:"));
    for (const QStringList& args :
         {QStringList{"--line-report", dir_.filePath("no/such/dir/r.pdf")},
          {"--line-report", File("r.pdf"), "--days", "0"},
          {"--line-report", File("r.pdf"), "--days", "367"},
          {"--line-report", File("r.pdf"), "--days", "week"},
          {"--line-report"}}) {
        std::tie(code, err) = run(args);
        EXPECT_EQ(code, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(err.startsWith("linescope: ") && err.count('\n') == 1) << err.toStdString();
    }
    EXPECT_TRUE(run({"--line-report", File("r.pdf"), "--days", "0"}).second.contains("1 to 366"));
    EXPECT_FALSE(QFile::exists(File("r.pdf")) || QDir(dir_.filePath("config")).exists());
    // Every mode is named by the help, which needs no display either.
    QProcess help;
    help.setProcessEnvironment(env);
    help.start(QStringLiteral(LINESCOPE_PROGRAM), {"--help"});
    help.waitForFinished(60000);
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--line-report FILE.pdf"));
}

} // namespace
