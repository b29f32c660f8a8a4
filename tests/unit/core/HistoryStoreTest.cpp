#include "core/HistoryStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace core::history;

constexpr int64_t H0 = 1699999200; // an hour's start
constexpr int64_t Day = 86400;

Sample At(int64_t time, std::initializer_list<std::pair<Col, int64_t>> values) {
    Sample s;
    s.time = time;
    for (const auto& [c, v] : values)
        s[c] = v;
    return s;
}

// Reads the file with a connection of the test's own, as another program would.
class Peek {
public:
    explicit Peek(const QString& file) {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db_.setDatabaseName(file);
        db_.open();
    }
    ~Peek() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    }
    // The first row of `sql`, its fields as text ("" for NULL).
    QStringList Row(const QString& sql) {
        QSqlQuery q(db_);
        QStringList out;
        if (q.exec(sql) && q.next())
            for (int i = 0; i < q.record().count(); ++i)
                out << q.value(i).toString();
        return out;
    }
    int64_t Count(const QString& table) {
        return Row(QStringLiteral("SELECT count(*) FROM ") + table).value(0).toLongLong();
    }
    bool Exec(const QString& sql) { return QSqlQuery(db_).exec(sql); }

private:
    QSqlDatabase db_;
};

class HistoryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store_.Open()) << store_.Problem().toStdString(); }
    // Three samples in hour 0, two in hour 1 (the router restarted at its start), one in hour 2.
    void Fill() {
        const Event resync{H0 + 600, EventKind::Resync, QStringLiteral("a")};
        const Event down{H0 + 600, EventKind::LineDown, QStringLiteral("b")};
        const Event restart{H0 + 3600, EventKind::Restart, QStringLiteral("c")};
        const std::vector<std::pair<Sample, std::vector<Event>>> samples{
            {At(H0, {{AtucCurrSnrMgn, 60}, {AtucPerfInits, 5}}), {}},
            {At(H0 + 600, {{AtucCurrSnrMgn, 50}, {AtucPerfInits, 7}}), {resync, down}},
            {At(H0 + 1200, {{AtucPerfInits, 7}, {AtucChanCorrectedBlks, 100}}), {}},
            {At(H0 + 3600,
                {{AtucCurrSnrMgn, 40}, {AtucPerfInits, 2}, {AtucChanCorrectedBlks, 150}}),
             {restart}},
            {At(H0 + 4200, {{AtucCurrSnrMgn, 40}, {AtucPerfInits, 3}}), {}},
            {At(H0 + 7200, {{AtucCurrSnrMgn, 45}}), {}},
        };
        for (const auto& [s, e] : samples)
            ASSERT_TRUE(store_.Add(s, e));
    }
    QString File(const QString& name = QStringLiteral("history.sqlite")) const {
        return dir_.filePath(name);
    }

    QTemporaryDir dir_;
    HistoryStore store_{File(), HistoryStore::Mode::Write};
};

TEST_F(HistoryStoreTest, RollsUpHoursWithCountersRisesAndMissingValues) {
    Fill();
    Peek peek(File());
    const QString cols = QStringLiteral(
        "samples,adslAtucCurrSnrMgn_min,adslAtucCurrSnrMgn_avg,adslAtucCurrSnrMgn_max,"
        "adslAtucPerfInits_min,adslAtucPerfInits_avg,adslAtucPerfInits_max,adslAtucPerfInits_rise,"
        "adslAtucChanCorrectedBlks_rise,adslAtucPerfESs_min,adslAtucPerfESs_rise");
    // A counter's max is its last value; its rise counts from the hour before, a fall as none.
    EXPECT_EQ(peek.Row(QStringLiteral("SELECT %1 FROM hour WHERE time=%2").arg(cols).arg(H0)),
              QString("3,50,55,60,5,6.333333333333333,7,2,,,").split(','));
    EXPECT_EQ(
        peek.Row(QStringLiteral("SELECT %1 FROM hour WHERE time=%2").arg(cols).arg(H0 + 3600)),
        QString("2,40,40,40,2,2.5,3,1,50,,").split(','));
    EXPECT_EQ(peek.Count("hour"), 2); // the hour still going on is not rolled up
    EXPECT_EQ(store_.Last()->time, H0 + 7200);
    EXPECT_EQ(store_.Last()->values[AtucCurrSnrMgn], 45);
    EXPECT_FALSE(store_.Last()->values[AtucPerfInits].has_value());
}

TEST_F(HistoryStoreTest, SeriesIsTheSameFromRawSamplesAndFromHourlyRollUps) {
    Fill();
    auto check = [this](const char* tier) {
        SCOPED_TRACE(tier);
        const auto snr = store_.Series(AtucCurrSnrMgn, H0, H0 + 7200, 2);
        ASSERT_EQ(snr.size(), 2u);
        EXPECT_EQ(snr[0].time, H0);
        EXPECT_EQ(std::vector<double>({snr[0].min, snr[0].avg, snr[0].max}),
                  std::vector<double>({50, 55, 60}));
        EXPECT_EQ(snr[1].time, H0 + 3600);
        EXPECT_EQ(snr[1].avg, 40);
        const auto inits = store_.Series(AtucPerfInits, H0, H0 + 7200, 2);
        ASSERT_EQ(inits.size(), 2u);
        EXPECT_EQ(std::vector<double>({inits[0].max, inits[1].min, inits[1].avg}),
                  std::vector<double>({2, 1, 1}));
        EXPECT_TRUE(store_.Series(AtucPerfESs, H0, H0 + 7200, 2).empty());
    };
    check("raw");
    // Raw samples are kept for whole hours of RawDays: a sample that late leaves only hours.
    const int64_t late = H0 + (HistoryStore::RawDays + 1) * Day;
    ASSERT_TRUE(store_.Add(At(late, {{AtucCurrSnrMgn, 70}}), {}));
    check("hourly");
    const auto both = store_.Series(AtucCurrSnrMgn, H0, late + 1, 1);
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(std::vector<double>({both[0].min, both[0].max}), std::vector<double>({40, 70}));
}

TEST_F(HistoryStoreTest, RetentionEventsNewestFirstAndAllOrNothing) {
    Fill();
    const auto events = store_.Events(H0, H0 + 7200);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].detail + events[1].detail + events[2].detail, QStringLiteral("cab"));
    EXPECT_EQ(events[1].kind, EventKind::Resync);
    // A sample of a time already stored fails, and takes its events with it.
    EXPECT_FALSE(
        store_.Add(At(H0 + 600, {}), std::vector<Event>{{H0 + 600, EventKind::LowMargin, {}}}));
    EXPECT_EQ(store_.Events(H0, H0 + 7200).size(), 3u);
    Peek peek(File());
    ASSERT_TRUE(store_.Add(At(H0 + (HistoryStore::RawDays + 1) * Day, {}), {}));
    EXPECT_EQ(peek.Count("sample"), 1);
    EXPECT_EQ(peek.Count("hour"), 3);
    ASSERT_TRUE(store_.Add(At(H0 + (HistoryStore::HourlyDays + 1) * Day, {}), {}));
    EXPECT_EQ(peek.Count("sample"), 1);
    EXPECT_EQ(peek.Count("hour"), 1); // the late sample's hour
    EXPECT_EQ(peek.Count("event"), 0);
}

TEST_F(HistoryStoreTest, MigratesAFileOfTheFirstSchema) {
    const QString file = File(QStringLiteral("v1.sqlite"));
    {
        Peek v1(file);
        QStringList columns;
        for (const Column& c : Columns())
            if (c.since == 1) columns << QString::fromLatin1(c.name) + " INTEGER";
        ASSERT_TRUE(
            v1.Exec("CREATE TABLE sample(time INTEGER PRIMARY KEY," + columns.join(',') + ")"));
        ASSERT_TRUE(v1.Exec("CREATE TABLE event(time INTEGER NOT NULL,kind INTEGER NOT NULL,"
                            "detail TEXT NOT NULL)"));
        ASSERT_TRUE(v1.Exec("CREATE INDEX event_time ON event(time)"));
        ASSERT_TRUE(v1.Exec(QStringLiteral("INSERT INTO sample(time,adslAturCurrAtn,"
                                           "adslAturPerfESs) VALUES(%1,300,10),(%2,310,13),"
                                           "(%3,320,20)")
                                .arg(H0)
                                .arg(H0 + 60)
                                .arg(H0 + 3600)));
        ASSERT_TRUE(v1.Exec(QStringLiteral("INSERT INTO event VALUES(%1,3,'x')").arg(H0 + 60)));
        ASSERT_TRUE(v1.Exec("PRAGMA user_version=1"));
    }
    HistoryStore read(file, HistoryStore::Mode::Read);
    EXPECT_FALSE(read.Open()); // reading never migrates
    HistoryStore store(file, HistoryStore::Mode::Write);
    ASSERT_TRUE(store.Open()) << store.Problem().toStdString();
    EXPECT_EQ(store.Last()->values[AturCurrAtn], 320);
    EXPECT_EQ(store.Events(H0, H0 + 61).at(0).detail, QStringLiteral("x"));
    Peek peek(file);
    EXPECT_EQ(peek.Row("PRAGMA user_version"), QStringList{"4"});
    // The identity: a line seen again within the hour costs no write, a new router a row.
    EXPECT_FALSE(store.LastIdentity());
    for (const auto& [line, time] : {std::pair{"R62GX 1.0", H0},
                                     {"R62GX 1.0", H0 + 60},
                                     {"R62GX 1.0", H0 + 3700},
                                     {"R63 2.1", H0 + 3760}})
        ASSERT_TRUE(store.RecordIdentity(QString::fromLatin1(line), time));
    EXPECT_EQ(
        peek.Row("SELECT group_concat(line||first||'-'||last,';') FROM identity"),
        QStringList(
            QStringLiteral("R62GX 1.0%1-%2;R63 2.1%3-%3").arg(H0).arg(H0 + 3700).arg(H0 + 3760)));
    EXPECT_EQ(store.LastIdentity()->line, QStringLiteral("R63 2.1"));
    EXPECT_EQ(peek.Row("SELECT time,samples,adslAturCurrAtn_avg,adslAturPerfESs_rise FROM hour"),
              QStringList({QString::number(H0), "2", "305", "3"}));
    const auto es = store.Series(AturPerfESs, H0, H0 + 7200, 2);
    ASSERT_EQ(es.size(), 2u);
    EXPECT_EQ(std::vector<double>({es[0].avg, es[1].avg}), std::vector<double>({3, 7}));
    EXPECT_TRUE(read.Open());
}

// Hours before the raw samples get their usage from their rises, an hour after one without
// samples unplaced; raw samples theirs at the samples' usual spacing.
TEST_F(HistoryStoreTest, MigratesAFileOfTheSecondSchemaWithItsUsage) {
    const QString file = File(QStringLiteral("v2.sqlite"));
    {
        Peek v2(file);
        QStringList sample, hour;
        for (const Column& c : Columns()) {
            if (c.since != 1) continue;
            const QString name = QString::fromLatin1(c.name);
            sample << name + " INTEGER";
            hour << name + "_min INTEGER" << name + "_avg REAL" << name + "_max INTEGER";
            if (c.counter) sample << name + "_rise INTEGER", hour << name + "_rise INTEGER";
        }
        ASSERT_TRUE(
            v2.Exec("CREATE TABLE sample(time INTEGER PRIMARY KEY," + sample.join(',') + ")"));
        ASSERT_TRUE(v2.Exec("CREATE TABLE hour(time INTEGER PRIMARY KEY,samples INTEGER NOT NULL," +
                            hour.join(',') + ")"));
        ASSERT_TRUE(v2.Exec("CREATE TABLE event(time INTEGER NOT NULL,kind INTEGER NOT NULL,"
                            "detail TEXT NOT NULL)"));
        ASSERT_TRUE(v2.Exec(QStringLiteral("INSERT INTO hour(time,samples,ifHCInOctets_rise) "
                                           "VALUES(%1,60,1000),(%2,30,2000)")
                                .arg(H0 - 3 * 3600)
                                .arg(H0 - 3600)));
        ASSERT_TRUE(v2.Exec(QStringLiteral("INSERT INTO sample(time,sysUpTime,ifHCInOctets) "
                                           "VALUES(%1,1,100),(%2,2,150),(%3,3,190),(%4,4,400)")
                                .arg(H0)
                                .arg(H0 + 60)
                                .arg(H0 + 120)
                                .arg(H0 + 1200)));
        ASSERT_TRUE(v2.Exec("PRAGMA user_version=2"));
    }
    HistoryStore store(file, HistoryStore::Mode::Write);
    ASSERT_TRUE(store.Open()) << store.Problem().toStdString();
    const auto hours = store.Hours(H0 - 4 * 3600, H0 + 3600);
    ASSERT_EQ(hours.size(), 3u);
    using V = std::vector<std::optional<int64_t>>;
    const auto usage = [](const HourSummary& h) { return V{h.covered, h.down, h.unplacedDown}; };
    EXPECT_EQ(usage(hours[0]), (V{3600, 1000, 0}));
    EXPECT_EQ(usage(hours[1]), (V{0, std::nullopt, 2000}));
    EXPECT_EQ(usage(hours[2]), (V{120, 90, 210}));
    EXPECT_TRUE(store.MarkNotice(QDate(2026, 1, 1), 80, 100, H0));
    EXPECT_FALSE(store.MarkNotice(QDate(2026, 1, 1), 80, 100, H0 + 60));
    ASSERT_TRUE(store.Add(At(H0 + 1260, {{WanInOctets32, 5}, {WanInOctets, 410}}), {}));
    EXPECT_EQ(store.Hours(H0, H0 + 3600).at(0).down, 100);
}

TEST_F(HistoryStoreTest, ABrokenFileIsSetAsideAndANewOneStarted) {
    const QString file = File(QStringLiteral("broken.sqlite"));
    {
        HistoryStore good(file, HistoryStore::Mode::Write);
        ASSERT_TRUE(good.Open());
        for (int i = 0; i < 200; ++i)
            ASSERT_TRUE(good.Add(At(H0 + i * 60, {{AtucCurrAtn, i}}), {}));
    }
    QFile damage(file);
    ASSERT_TRUE(damage.open(QIODevice::ReadWrite));
    ASSERT_TRUE(damage.seek(4096 * 3));
    damage.write(QByteArray(4096, 'x'));
    damage.close();
    const struct {
        QByteArray content; // empty: the damaged database as it is
        const char* aside;
    } cases[] = {{{}, "broken.sqlite.bad"}, {"not a database at all", "broken.sqlite.bad.1"}};
    for (const auto& c : cases) {
        if (!c.content.isEmpty()) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(c.content).repeated(500));
        }
        HistoryStore read(file, HistoryStore::Mode::Read);
        read.Open();
        EXPECT_TRUE(QFile::exists(file)); // a reader never moves it
        HistoryStore store(file, HistoryStore::Mode::Write);
        ASSERT_TRUE(store.Open());
        EXPECT_TRUE(store.Problem().contains(QStringLiteral("set aside as ") + File(c.aside)))
            << store.Problem().toStdString();
        EXPECT_FALSE(store.Last().has_value());
        EXPECT_TRUE(store.Add(At(H0, {}), {}));
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
