#include "HistoryStore.h"

#include "Usage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <functional>
#include <limits>
#include <map>

namespace core::history {

namespace {

constexpr int64_t kHour = 3600;
constexpr int64_t kDay = 86400;
constexpr int kCurrentVersion = 4;

int64_t HourOf(int64_t time) {
    return time - ((time % kHour) + kHour) % kHour;
}

QString Name(int c) {
    return QString::fromLatin1(Columns()[c].name.data(), qsizetype(Columns()[c].name.size()));
}

bool IsCounter(int c) {
    return Columns()[c].counter;
}

// Whether a file of schema `version` has column c.
bool In(int c, int version) {
    return Columns()[c].since <= version;
}

QString RiseName(int c) {
    return Name(c) + QStringLiteral("_rise");
}

// A counter's rise since the value stored before it (of any earlier sample that had one); a
// fall (the router restarted) counts as none. Kept with each sample, the views add them up.
QStringList Rises(int version = kCurrentVersion) {
    QStringList names;
    for (int c = 0; c < ColumnCount; ++c)
        if (IsCounter(c) && In(c, version)) names << RiseName(c);
    return names;
}

// Kept with each sample and summed per hour since schema 3: the seconds it accounts for (none
// for the first and across a gap) and the WAN octets it adds, placed in its hour or, when it
// ends a gap, unplaced.
QStringList UsageColumns() {
    return {QStringLiteral("covered"), QStringLiteral("usage_down"), QStringLiteral("usage_up"),
            QStringLiteral("unplaced_down"), QStringLiteral("unplaced_up")};
}

// The sample table's columns after `time`: the values in Col order, the counters' rises, then
// the usage.
QString SampleColumns() {
    QStringList names;
    for (int c = 0; c < ColumnCount; ++c)
        names << Name(c);
    return (names + Rises() + UsageColumns()).join(QLatin1Char(','));
}

// The hour table's columns after `time` and `samples`: min, avg and max of every column, and a
// counter's rise. A counter's max is its last value: it only grows until the router restarts.
// Then, since schema 3, the usage sums.
QStringList ColumnStats(int c) {
    QStringList names{Name(c) + QStringLiteral("_min"), Name(c) + QStringLiteral("_avg"),
                      Name(c) + QStringLiteral("_max")};
    if (IsCounter(c)) names << Name(c) + QStringLiteral("_rise");
    return names;
}

QStringList HourColumns(int version = kCurrentVersion) {
    QStringList names;
    for (int c = 0; c < ColumnCount; ++c)
        if (In(c, version)) names << ColumnStats(c);
    return version >= 3 ? names + UsageColumns() : names;
}

QString Typed(const QString& name) {
    return name + (name.endsWith(QStringLiteral("_avg")) ? QStringLiteral(" REAL")
                                                         : QStringLiteral(" INTEGER"));
}

// Schema migrations: entry i brings a file from version i to i + 1. Version 1 held the raw
// samples and the events; version 2 added the counters' rises to the samples and the hourly
// roll-ups; version 3 the WAN's 32-bit octets, the usage columns and the allowance notices
// given; version 4 the router's identity lines. Migrate fills in what the new columns hold for
// what is there.
QStringList Version1() {
    QStringList sample;
    for (int c = 0; c < ColumnCount; ++c)
        if (In(c, 1)) sample << Name(c) + QStringLiteral(" INTEGER");
    return {
        QStringLiteral("CREATE TABLE sample(time INTEGER PRIMARY KEY,%1)")
            .arg(sample.join(QLatin1Char(','))),
        QStringLiteral("CREATE TABLE event(time INTEGER NOT NULL,kind INTEGER NOT NULL,detail TEXT "
                       "NOT NULL)"),
        QStringLiteral("CREATE INDEX event_time ON event(time)")};
}

QStringList Version2() {
    QStringList hour;
    for (const QString& name : HourColumns(2))
        hour << Typed(name);
    QStringList steps;
    for (const QString& rise : Rises(2))
        steps << QStringLiteral("ALTER TABLE sample ADD COLUMN %1 INTEGER").arg(rise);
    return steps << QStringLiteral(
                        "CREATE TABLE hour(time INTEGER PRIMARY KEY,samples INTEGER NOT NULL,%1)")
                        .arg(hour.join(QLatin1Char(',')));
}

QStringList Version3() {
    QStringList sample, hour;
    for (int c = 0; c < ColumnCount; ++c) {
        if (Columns()[c].since != 3) continue;
        sample << Name(c);
        if (IsCounter(c)) sample << RiseName(c);
        hour << ColumnStats(c);
    }
    QStringList steps;
    for (const QString& name : sample + UsageColumns())
        steps << QStringLiteral("ALTER TABLE sample ADD COLUMN %1 INTEGER").arg(name);
    for (const QString& name : hour + UsageColumns())
        steps << QStringLiteral("ALTER TABLE hour ADD COLUMN %1").arg(Typed(name));
    return steps << QStringLiteral("CREATE TABLE notice(period TEXT NOT NULL,percent INTEGER NOT "
                                   "NULL,cap INTEGER NOT NULL,time INTEGER NOT NULL,PRIMARY "
                                   "KEY(period,percent,cap))");
}

// The router's identity line (sysDescr) and when it was first and last seen: a router replaced
// or upgraded starts a row of its own.
QStringList Version4() {
    return {QStringLiteral("CREATE TABLE identity(line TEXT NOT NULL,first INTEGER NOT NULL,last "
                           "INTEGER NOT NULL)")};
}

// The usage's inputs of a sample: its time, sysUpTime and the WAN octets.
const QString kUsageInputs =
    QStringLiteral("time,sysUpTime,ifInOctets,ifOutOctets,ifHCInOctets,ifHCOutOctets");
constexpr Col kUsageInputCols[] = {SysUpTime, WanInOctets32, WanOutOctets32, WanInOctets,
                                   WanOutOctets};

// The usage columns' values for one step, in UsageColumns() order.
QVariantList UsageValues(const UsageStep& step) {
    const auto v = [](const std::optional<int64_t>& x) {
        return x ? QVariant(qlonglong(*x)) : QVariant();
    };
    const QVariant none;
    return {qlonglong(step.covered), step.unplaced ? none : v(step.down),
            step.unplaced ? none : v(step.up), step.unplaced ? v(step.down) : none,
            step.unplaced ? v(step.up) : none};
}

std::atomic<int> connectionCount{0};

QString Describe(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}

// A value of column `index` of a query's current row: nothing for NULL.
std::optional<int64_t> IntAt(const QSqlQuery& q, int index) {
    const QVariant v = q.value(index);
    if (v.isNull()) return std::nullopt;
    return v.toLongLong();
}

// The rise stored with a counter's value `v`: its climb since `previous` (the counter's value
// stored before it), which then moves on to `v`; a fall (the router restarted) counts as none,
// and a first or missing value has none.
QVariant RiseFrom(std::optional<int64_t>& previous, const std::optional<int64_t>& v) {
    const QVariant rise =
        v && previous ? QVariant(qlonglong(std::max<int64_t>(*v - *previous, 0))) : QVariant();
    if (v) previous = v;
    return rise;
}

Sample UsageInputs(const QSqlQuery& q) {
    Sample s;
    s.time = q.value(0).toLongLong();
    for (std::size_t i = 0; i < std::size(kUsageInputCols); ++i)
        s[kUsageInputCols[i]] = IntAt(q, int(i) + 1);
    return s;
}

// What one hour of raw samples rolls up to, for one column.
struct Roll {
    int64_t count = 0;
    int64_t min = 0;
    int64_t max = 0;
    double sum = 0;
    std::optional<int64_t> last;
    std::optional<int64_t> rise;

    void Take(int64_t v) {
        min = count == 0 ? v : std::min(min, v);
        max = count == 0 ? v : std::max(max, v);
        sum += double(v);
        ++count;
        last = v;
    }
};

} // namespace

struct HistoryStore::Impl {
    QString connection;
    QSqlDatabase db;
    QString error; // the last statement's failure

    explicit Impl(QString name) : connection(std::move(name)) {}
    ~Impl() {
        if (db.isValid()) db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
    }

    // Runs `sql` with `bind` values in order; false (and `error` set) on failure.
    // "?N" stands for bind[N-1] and may come more than once: the driver takes plain "?" only.
    bool Run(QSqlQuery& q, QString sql, const QVariantList& bind = {}) {
        QVariantList values;
        static const QRegularExpression numbered(QStringLiteral("\\?(\\d+)"));
        for (auto it = numbered.globalMatch(sql); it.hasNext();)
            values << bind.value(it.next().captured(1).toInt() - 1);
        if (!values.isEmpty())
            sql.replace(numbered, QStringLiteral("?"));
        else
            values = bind;
        if (!q.prepare(sql)) {
            error = Describe(q.lastError());
            return false;
        }
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (!q.exec()) {
            error = Describe(q.lastError());
            return false;
        }
        return true;
    }
    bool Run(const QString& sql, const QVariantList& bind = {}) {
        QSqlQuery q(db);
        return Run(q, sql, bind);
    }
    // The single value `sql` gives; nothing when NULL, no row or failure.
    std::optional<int64_t> Scalar(const QString& sql, const QVariantList& bind = {}) {
        QSqlQuery q(db);
        if (!Run(q, sql, bind) || !q.next()) return std::nullopt;
        return IntAt(q, 0);
    }

    static std::unique_ptr<Impl> Connect(const QString& fileName, bool readOnly);
    bool LoadLatest();
    bool FillRises();
    bool FillUsage();
    bool FillHourUsage();
    bool RollUp(int64_t upTo);

    // The newest stored value of each counter, what the next sample's rises count from; the
    // newest sample's time and the newest sample with WAN octets, what its usage counts from.
    std::optional<std::array<std::optional<int64_t>, ColumnCount>> latest;
    std::optional<int64_t> previousTime;
    std::optional<Sample> counted;
    int64_t migratedInterval = 60; // the samples' usual spacing, found by FillUsage
    bool Migrate();
};

bool HistoryStore::Impl::LoadLatest() {
    latest.emplace();
    for (int c = 0; c < ColumnCount; ++c) {
        if (!IsCounter(c)) continue;
        error.clear();
        (*latest)[c] = Scalar(QStringLiteral("SELECT %1 FROM sample WHERE %1 IS NOT NULL ORDER BY "
                                             "time DESC LIMIT 1")
                                  .arg(Name(c)));
        if (!error.isEmpty()) {
            latest.reset();
            return false;
        }
    }
    previousTime = Scalar(QStringLiteral("SELECT max(time) FROM sample"));
    QSqlQuery q(db);
    if (!Run(q, QStringLiteral("SELECT %1 FROM sample WHERE coalesce(ifInOctets,ifOutOctets,"
                               "ifHCInOctets,ifHCOutOctets) IS NOT NULL ORDER BY time DESC LIMIT 1")
                    .arg(kUsageInputs))) {
        latest.reset();
        return false;
    }
    counted.reset();
    if (q.next()) counted = UsageInputs(q);
    return true;
}

// The usage of samples stored before it was kept. Their interval was not stored: the usual
// spacing of the samples stands in for it.
bool HistoryStore::Impl::FillUsage() {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!Run(q, QStringLiteral("SELECT %1 FROM sample ORDER BY time").arg(kUsageInputs)))
        return false;
    std::vector<Sample> samples;
    while (q.next())
        samples.push_back(UsageInputs(q));
    std::vector<int64_t> spacing;
    for (std::size_t i = 1; i < samples.size(); ++i)
        spacing.push_back(samples[i].time - samples[i - 1].time);
    if (!spacing.empty()) {
        std::nth_element(spacing.begin(), spacing.begin() + spacing.size() / 2, spacing.end());
        migratedInterval = spacing[spacing.size() / 2];
    }
    QSqlQuery update(db);
    if (!update.prepare(QStringLiteral("UPDATE sample SET %1=? WHERE time=?")
                            .arg(UsageColumns().join(QStringLiteral("=?,"))))) {
        error = Describe(update.lastError());
        return false;
    }
    std::optional<int64_t> before;
    std::optional<Sample> withOctets;
    for (Sample& s : samples) {
        s.interval = migratedInterval;
        for (const QVariant& v : UsageValues(MeasureUsage(before, withOctets, s)))
            update.addBindValue(v);
        update.addBindValue(qlonglong(s.time));
        if (!update.exec()) {
            error = Describe(update.lastError());
            return false;
        }
        before = s.time;
        if (HasOctets(s)) withOctets = s;
    }
    return true;
}

// The usage of hours rolled up before it was kept: from the raw samples where they still are;
// before them from the hour's 64-bit rises, which cannot tell a gap within an hour, so an hour
// after one without samples holds its rise unplaced.
bool HistoryStore::Impl::FillHourUsage() {
    const auto first = Scalar(QStringLiteral("SELECT min(time) FROM sample"));
    const int64_t split = first ? HourOf(*first) : std::numeric_limits<int64_t>::max();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!Run(q,
             QStringLiteral("SELECT time,samples,ifHCInOctets_rise,ifHCOutOctets_rise FROM hour "
                            "WHERE time<? ORDER BY time"),
             {qlonglong(split)}))
        return false;
    QSqlQuery update(db);
    if (!update.prepare(QStringLiteral("UPDATE hour SET %1=? WHERE time=?")
                            .arg(UsageColumns().join(QStringLiteral("=?,"))))) {
        error = Describe(update.lastError());
        return false;
    }
    std::optional<int64_t> before;
    while (q.next()) {
        const int64_t time = q.value(0).toLongLong();
        UsageStep step;
        step.unplaced = before && *before != time - kHour;
        step.covered = step.unplaced
                           ? 0
                           : std::min<int64_t>(kHour, q.value(1).toLongLong() * migratedInterval);
        step.down = IntAt(q, 2);
        step.up = IntAt(q, 3);
        for (const QVariant& v : UsageValues(step))
            update.addBindValue(v);
        update.addBindValue(qlonglong(time));
        if (!update.exec()) {
            error = Describe(update.lastError());
            return false;
        }
        before = time;
    }
    QStringList sums;
    for (const QString& name : UsageColumns())
        sums << QStringLiteral("sum(%1)").arg(name);
    return Run(
        QStringLiteral("UPDATE hour SET(%1)=(SELECT %2 FROM sample WHERE "
                       "sample.time>=hour.time AND sample.time<hour.time+3600) WHERE time>=?")
            .arg(UsageColumns().join(QLatin1Char(',')), sums.join(QLatin1Char(','))),
        {qlonglong(split)});
}

// The rises of samples stored before there were any.
bool HistoryStore::Impl::FillRises() {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!Run(q, QStringLiteral("SELECT time,%1 FROM sample ORDER BY time").arg(SampleColumns())))
        return false;
    QStringList sets;
    for (const QString& rise : Rises())
        sets << rise + QStringLiteral("=?");
    QSqlQuery update(db);
    if (!update.prepare(QStringLiteral("UPDATE sample SET %1 WHERE time=?").arg(sets.join(',')))) {
        error = Describe(update.lastError());
        return false;
    }
    std::array<std::optional<int64_t>, ColumnCount> previous{};
    while (q.next()) {
        for (int c = 0; c < ColumnCount; ++c)
            if (IsCounter(c)) update.addBindValue(RiseFrom(previous[c], IntAt(q, c + 1)));
        update.addBindValue(q.value(0));
        if (!update.exec()) {
            error = Describe(update.lastError());
            return false;
        }
    }
    return true;
}

// Rolls up every whole hour before `upTo` not rolled up yet.
bool HistoryStore::Impl::RollUp(int64_t upTo) {
    error.clear();
    std::optional<int64_t> from = Scalar(QStringLiteral("SELECT max(time)+3600 FROM hour"));
    if (!error.isEmpty()) return false;
    if (!from) {
        const auto first = Scalar(QStringLiteral("SELECT min(time) FROM sample"));
        if (!first) return error.isEmpty();
        from = HourOf(*first);
    }
    if (*from >= upTo) return true;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!Run(q,
             QStringLiteral("SELECT time,%1 FROM sample WHERE time>=? AND time<? ORDER BY time")
                 .arg(SampleColumns()),
             {qlonglong(*from), qlonglong(upTo)}))
        return false;
    const QStringList hourColumns = HourColumns();
    QStringList marks(hourColumns.size() + 2, QStringLiteral("?"));
    QSqlQuery insert(db);
    if (!insert.prepare(
            QStringLiteral("INSERT INTO hour(time,samples,%1) VALUES(%2)")
                .arg(hourColumns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))))) {
        error = Describe(insert.lastError());
        return false;
    }
    std::array<Roll, ColumnCount> rolls{};
    std::array<std::optional<int64_t>, 5> usage{}; // in UsageColumns() order
    int64_t hour = 0;
    int64_t samples = 0;
    auto flush = [&]() {
        if (samples == 0) return true;
        insert.addBindValue(qlonglong(hour));
        insert.addBindValue(qlonglong(samples));
        for (int c = 0; c < ColumnCount; ++c) {
            const Roll& r = rolls[c];
            const bool any = r.count > 0;
            insert.addBindValue(any ? QVariant(qlonglong(r.min)) : QVariant());
            insert.addBindValue(any ? QVariant(r.sum / double(r.count)) : QVariant());
            const int64_t max = IsCounter(c) && r.last ? *r.last : r.max;
            insert.addBindValue(any ? QVariant(qlonglong(max)) : QVariant());
            if (IsCounter(c))
                insert.addBindValue(r.rise ? QVariant(qlonglong(*r.rise)) : QVariant());
        }
        for (const auto& u : usage)
            insert.addBindValue(u ? QVariant(qlonglong(*u)) : QVariant());
        if (!insert.exec()) {
            error = Describe(insert.lastError());
            return false;
        }
        rolls = {};
        usage = {};
        samples = 0;
        return true;
    };
    while (q.next()) {
        const int64_t time = q.value(0).toLongLong();
        if (HourOf(time) != hour) {
            if (!flush()) return false;
            hour = HourOf(time);
        }
        int at = ColumnCount + 1;
        for (int c = 0; c < ColumnCount; ++c) {
            if (const std::optional<int64_t> v = IntAt(q, c + 1)) rolls[c].Take(*v);
            if (!IsCounter(c)) continue;
            if (const std::optional<int64_t> r = IntAt(q, at++))
                rolls[c].rise = rolls[c].rise.value_or(0) + *r;
        }
        for (auto& u : usage)
            if (const std::optional<int64_t> v = IntAt(q, at++)) u = u.value_or(0) + *v;
        ++samples;
    }
    return flush();
}

bool HistoryStore::Impl::Migrate() {
    const auto version = Scalar(QStringLiteral("PRAGMA user_version"));
    if (!version) return false;
    if (*version > kCurrentVersion) {
        error = QStringLiteral("it was written by a newer LineScope (schema %1)").arg(*version);
        return false;
    }
    if (*version == kCurrentVersion) return true;
    // All steps in one transaction, the derived columns filled in once every column is there: a
    // file is at its old version or the current one, whole.
    if (!db.transaction()) {
        error = Describe(db.lastError());
        return false;
    }
    const std::function<QStringList()> steps[] = {Version1, Version2, Version3, Version4};
    bool ok = true;
    for (int64_t v = *version; v < kCurrentVersion; ++v)
        for (const QString& sql : steps[v]())
            ok = ok && Run(sql);
    if (ok && *version < 2) ok = FillRises();
    if (ok && *version < 3) ok = FillUsage();
    // Hours that ended before the newest sample are rolled up at once.
    if (ok && *version < 2) {
        const auto newest = Scalar(QStringLiteral("SELECT max(time) FROM sample"));
        ok = !newest || RollUp(HourOf(*newest));
    }
    if (ok && *version < 3) ok = FillHourUsage();
    ok = ok && Run(QStringLiteral("PRAGMA user_version=%1").arg(kCurrentVersion));
    if (!ok || !db.commit()) {
        if (ok) error = Describe(db.lastError());
        db.rollback();
        return false;
    }
    return true;
}

QString HistoryStore::DefaultFileName() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Corvane/LineScope/history.sqlite");
}

HistoryStore::HistoryStore(QString fileName, Mode mode)
    : fileName_(std::move(fileName)), mode_(mode) {}

HistoryStore::~HistoryStore() = default;

std::unique_ptr<HistoryStore::Impl> HistoryStore::Impl::Connect(const QString& fileName,
                                                                bool readOnly) {
    auto impl = std::make_unique<HistoryStore::Impl>(
        QStringLiteral("linescope-history-%1").arg(connectionCount.fetch_add(1)));
    impl->db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), impl->connection);
    impl->db.setDatabaseName(fileName);
    impl->db.setConnectOptions(
        readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000")
                 : QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!impl->db.open()) impl->error = Describe(impl->db.lastError());
    return impl;
}

namespace {

// A free name beside `fileName` for a file set aside, with its -wal and -shm companions.
QString AsideName(const QString& fileName) {
    for (int n = 0;; ++n) {
        const QString name =
            fileName + QStringLiteral(".bad") + (n == 0 ? QString() : QStringLiteral(".%1").arg(n));
        if (!QFileInfo::exists(name) && !QFileInfo::exists(name + QStringLiteral("-wal")) &&
            !QFileInfo::exists(name + QStringLiteral("-shm")))
            return name;
    }
}

} // namespace

bool HistoryStore::Open() {
    impl_.reset();
    problem_.clear();
    const bool exists = QFileInfo::exists(fileName_);
    if (mode_ == Mode::Read) {
        if (!exists) {
            problem_ = QStringLiteral("There is no line history at %1.").arg(fileName_);
            return false;
        }
        auto impl = Impl::Connect(fileName_, true);
        const auto version = impl->error.isEmpty()
                                 ? impl->Scalar(QStringLiteral("PRAGMA user_version"))
                                 : std::nullopt;
        if (version != kCurrentVersion) {
            problem_ = version ? QStringLiteral("The line history %1 has schema %2, not %3.")
                                     .arg(fileName_)
                                     .arg(*version)
                                     .arg(kCurrentVersion)
                               : QStringLiteral("The line history %1 could not be read: %2.")
                                     .arg(fileName_, impl->error);
            return false;
        }
        impl_ = std::move(impl);
        return true;
    }

    QDir().mkpath(QFileInfo(fileName_).absolutePath());
    auto impl = Impl::Connect(fileName_, false);
    if (exists && impl->error.isEmpty()) {
        QSqlQuery q(impl->db);
        if (!impl->Run(q, QStringLiteral("PRAGMA quick_check"))) {
        } else if (!q.next() || q.value(0).toString() != QStringLiteral("ok")) {
            impl->error = q.isValid() ? q.value(0).toString() : QStringLiteral("no check result");
        }
    }
    if (!impl->error.isEmpty()) {
        const QString why = impl->error;
        impl.reset();
        if (!exists) {
            problem_ =
                QStringLiteral("The line history %1 could not be created: %2.").arg(fileName_, why);
            return false;
        }
        const QString aside = AsideName(fileName_);
        if (!QFile::rename(fileName_, aside)) {
            problem_ = QStringLiteral("The line history %1 could not be read (%2) nor set aside.")
                           .arg(fileName_, why);
            return false;
        }
        for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")})
            if (QFileInfo::exists(fileName_ + suffix) &&
                !QFile::rename(fileName_ + suffix, aside + suffix))
                QFile::remove(fileName_ + suffix);
        problem_ = QStringLiteral("The line history %1 could not be read (%2); it was set aside as "
                                  "%3 and a new one started.")
                       .arg(fileName_, why, aside);
        impl = Impl::Connect(fileName_, false);
    }
    const bool ok = impl->error.isEmpty() && impl->Run(QStringLiteral("PRAGMA journal_mode=WAL")) &&
                    impl->Run(QStringLiteral("PRAGMA synchronous=NORMAL")) && impl->Migrate();
    if (!ok) {
        const QString text = QStringLiteral("The line history %1 could not be opened: %2.")
                                 .arg(fileName_, impl->error);
        problem_ = problem_.isEmpty() ? text : problem_ + QLatin1Char(' ') + text;
        return false;
    }
    impl_ = std::move(impl);
    return true;
}

bool HistoryStore::Add(const Sample& sample, std::span<const Event> events) {
    if (!impl_ || mode_ != Mode::Write) return false;
    Impl& d = *impl_;
    if (!d.db.transaction()) {
        problem_ = Describe(d.db.lastError());
        return false;
    }
    const int64_t hour = HourOf(sample.time);
    bool ok = (d.latest || d.LoadLatest()) && d.RollUp(hour);
    std::array<std::optional<int64_t>, ColumnCount> latest{};
    if (d.latest) latest = *d.latest;
    if (ok) {
        QSqlQuery insert(d.db);
        QStringList marks(ColumnCount + Rises().size() + UsageColumns().size() + 1,
                          QStringLiteral("?"));
        ok = insert.prepare(QStringLiteral("INSERT INTO sample(time,%1) VALUES(%2)")
                                .arg(SampleColumns(), marks.join(QLatin1Char(','))));
        insert.addBindValue(qlonglong(sample.time));
        for (const auto& v : sample.values)
            insert.addBindValue(v ? QVariant(qlonglong(*v)) : QVariant());
        for (int c = 0; c < ColumnCount; ++c)
            if (IsCounter(c)) insert.addBindValue(RiseFrom(latest[c], sample.values[c]));
        for (const QVariant& v : UsageValues(MeasureUsage(d.previousTime, d.counted, sample)))
            insert.addBindValue(v);
        ok = ok && insert.exec();
        if (!ok) d.error = Describe(insert.lastError());
    }
    for (const Event& e : events) {
        if (!ok) break;
        ok = d.Run(QStringLiteral("INSERT INTO event(time,kind,detail) VALUES(?,?,?)"),
                   {qlonglong(e.time), int(e.kind), e.detail});
    }
    // Whole hours leave the raw tier, so the hour at its start is wholly raw.
    const int64_t keep = hour - HourlyDays * kDay;
    ok = ok &&
         d.Run(QStringLiteral("DELETE FROM sample WHERE time<?"),
               {qlonglong(hour - RawDays * kDay)}) &&
         d.Run(QStringLiteral("DELETE FROM hour WHERE time<?"), {qlonglong(keep)}) &&
         d.Run(QStringLiteral("DELETE FROM event WHERE time<?"), {qlonglong(keep)});
    if (ok && d.db.commit()) {
        d.latest = latest;
        d.previousTime = sample.time;
        if (HasOctets(sample)) d.counted = sample;
        return true;
    }
    problem_ = QStringLiteral("A sample could not be stored: %1.")
                   .arg(ok ? Describe(d.db.lastError()) : d.error);
    d.db.rollback();
    return false;
}

std::optional<Sample> HistoryStore::Last() const {
    if (!impl_) return std::nullopt;
    QSqlQuery q(impl_->db);
    if (!impl_->Run(q, QStringLiteral("SELECT time,%1 FROM sample ORDER BY time DESC LIMIT 1")
                           .arg(SampleColumns())) ||
        !q.next())
        return std::nullopt;
    Sample s;
    s.time = q.value(0).toLongLong();
    for (int c = 0; c < ColumnCount; ++c)
        s.values[c] = IntAt(q, c + 1);
    return s;
}

std::vector<ViewPoint> HistoryStore::Series(Col column, int64_t from, int64_t to,
                                            int buckets) const {
    if (!impl_ || buckets <= 0 || to <= from || column < 0 || column >= ColumnCount) return {};
    Impl& d = *impl_;
    const int64_t width = std::max<int64_t>(1, (to - from + buckets - 1) / buckets);
    const QString name = Name(column);
    const bool counter = IsCounter(column);
    // Hours before the first raw sample's hour come from the roll-ups, the rest from raw rows.
    const auto first = d.Scalar(QStringLiteral("SELECT min(time) FROM sample"));
    const int64_t split = first ? HourOf(*first) : std::numeric_limits<int64_t>::max();

    struct Bucket {
        double min = 0, max = 0, avgSum = 0;
        int parts = 0;
    };
    std::map<int64_t, Bucket> out;
    // Rows of (bucket, min, avg, max), or (bucket, rise) for a counter: rises add up.
    auto collect = [&](const QString& sql, const QVariantList& bind) {
        QSqlQuery q(d.db);
        q.setForwardOnly(true);
        if (!d.Run(q, sql, bind)) return;
        while (q.next()) {
            Bucket& b = out[q.value(0).toLongLong()];
            const double lo = q.value(1).toDouble();
            const double avg = counter ? lo : q.value(2).toDouble();
            const double hi = counter ? lo : q.value(3).toDouble();
            b.min = b.parts == 0 ? lo : std::min(b.min, lo);
            b.max = b.parts == 0 ? hi : std::max(b.max, hi);
            b.avgSum += avg;
            ++b.parts;
        }
    };
    const QVariantList range{qlonglong(from), qlonglong(width)};
    if (from < split) {
        const QVariantList bind = range + QVariantList{qlonglong(std::min(to, split))};
        if (counter)
            collect(QStringLiteral("SELECT (time-?1)/?2 AS b,sum(%1_rise) FROM hour WHERE "
                                   "time>=?1 AND time<?3 AND %1_rise IS NOT NULL GROUP BY b")
                        .arg(name),
                    bind);
        else
            collect(QStringLiteral("SELECT (time-?1)/?2 AS b,min(%1_min),avg(%1_avg),max(%1_max) "
                                   "FROM hour WHERE time>=?1 AND time<?3 AND %1_avg IS NOT NULL "
                                   "GROUP BY b")
                        .arg(name),
                    bind);
    }
    if (to > split) {
        const QVariantList bind =
            range + QVariantList{qlonglong(std::max(from, split)), qlonglong(to)};
        if (counter)
            collect(QStringLiteral(
                        "SELECT (time-?1)/?2 AS b,sum(%1_rise) FROM sample WHERE time>=?3 AND "
                        "time<?4 AND %1_rise IS NOT NULL GROUP BY b")
                        .arg(name),
                    bind);
        else
            collect(QStringLiteral("SELECT (time-?1)/?2 AS b,min(%1),avg(%1),max(%1) FROM sample "
                                   "WHERE time>=?3 AND time<?4 AND %1 IS NOT NULL GROUP BY b")
                        .arg(name),
                    bind);
    }
    std::vector<ViewPoint> points;
    points.reserve(out.size());
    for (const auto& [b, v] : out)
        points.push_back(counter ? ViewPoint{from + b * width, v.avgSum, v.avgSum, v.avgSum}
                                 : ViewPoint{from + b * width, v.min, v.avgSum / v.parts, v.max});
    return points;
}

std::vector<Event> HistoryStore::Events(int64_t from, int64_t to) const {
    std::vector<Event> events;
    if (!impl_) return events;
    QSqlQuery q(impl_->db);
    if (!impl_->Run(q,
                    QStringLiteral("SELECT time,kind,detail FROM event WHERE time>=? AND time<? "
                                   "ORDER BY time DESC,rowid"),
                    {qlonglong(from), qlonglong(to)}))
        return events;
    while (q.next()) {
        const int kind = q.value(1).toInt();
        if (kind < 1 || kind > EventKindCount) continue;
        events.push_back({q.value(0).toLongLong(), EventKind(kind), q.value(2).toString()});
    }
    return events;
}

std::vector<HourSummary> HistoryStore::Hours(int64_t from, int64_t to) const {
    std::vector<HourSummary> hours;
    if (!impl_ || to <= from) return hours;
    Impl& d = *impl_;
    from = HourOf(from);
    // Every hour before the newest sample's is rolled up; that one is still raw.
    const auto rolled = d.Scalar(QStringLiteral("SELECT max(time)+3600 FROM hour"));
    const auto first = d.Scalar(QStringLiteral("SELECT min(time) FROM sample"));
    const int64_t split = rolled ? *rolled : first ? HourOf(*first) : to;
    const auto read = [&](const QString& sql, int64_t lo, int64_t hi) {
        QSqlQuery q(d.db);
        q.setForwardOnly(true);
        if (lo >= hi || !d.Run(q, sql, {qlonglong(lo), qlonglong(hi)})) return;
        while (q.next())
            hours.push_back({q.value(0).toLongLong(), q.value(1).toLongLong(), IntAt(q, 2),
                             IntAt(q, 3), q.value(4).toLongLong(), q.value(5).toLongLong(),
                             IntAt(q, 6), IntAt(q, 7), IntAt(q, 8), IntAt(q, 9)});
    };
    read(QStringLiteral("SELECT time,covered,usage_down,usage_up,unplaced_down,unplaced_up,"
                        "adslAtucPerfESs_rise,adslAturPerfESs_rise,adslAtucCurrSnrMgn_min,"
                        "adslAturCurrSnrMgn_min FROM hour WHERE time>=? AND time<? ORDER BY time"),
         from, std::min(to, split));
    read(QStringLiteral("SELECT time-time%3600 AS h,sum(covered),sum(usage_down),sum(usage_up),"
                        "sum(unplaced_down),sum(unplaced_up),sum(adslAtucPerfESs_rise),"
                        "sum(adslAturPerfESs_rise),min(adslAtucCurrSnrMgn),min(adslAturCurrSnrMgn) "
                        "FROM sample WHERE time>=? AND time<? GROUP BY h ORDER BY h"),
         std::max(from, split), to);
    return hours;
}

std::optional<std::pair<int64_t, int64_t>> HistoryStore::Extent() const {
    if (!impl_) return std::nullopt;
    const auto first = impl_->Scalar(QStringLiteral(
        "SELECT min(t) FROM (SELECT min(time) AS t FROM hour UNION ALL SELECT min(time) FROM "
        "sample)"));
    const auto last = impl_->Scalar(QStringLiteral(
        "SELECT max(t) FROM (SELECT max(time) AS t FROM hour UNION ALL SELECT max(time) FROM "
        "sample)"));
    if (!first || !last) return std::nullopt;
    return std::pair{*first, *last};
}

bool HistoryStore::RecordIdentity(const QString& line, int64_t time) {
    if (!impl_ || mode_ != Mode::Write) return false;
    Impl& d = *impl_;
    const std::optional<Identity> newest = LastIdentity();
    // Seen again: its last sighting is kept to the hour, so a sample does not cost a write.
    if (newest && newest->line == line && time >= newest->first && time - newest->last < kHour)
        return true;
    const bool ok =
        newest && newest->line == line
            ? d.Run(QStringLiteral("UPDATE identity SET last=max(last,?) WHERE rowid=(SELECT "
                                   "max(rowid) FROM identity)"),
                    {qlonglong(time)})
            : d.Run(QStringLiteral("INSERT INTO identity(line,first,last) VALUES(?,?,?)"),
                    {line, qlonglong(time), qlonglong(time)});
    if (!ok) {
        problem_ = QStringLiteral("The router's identity could not be stored: %1.").arg(d.error);
        return false;
    }
    return d.Run(QStringLiteral("DELETE FROM identity WHERE last<?"),
                 {qlonglong(time - HourlyDays * kDay)});
}

std::optional<HistoryStore::Identity> HistoryStore::LastIdentity() const {
    if (!impl_) return std::nullopt;
    QSqlQuery q(impl_->db);
    if (!impl_->Run(q, QStringLiteral("SELECT line,first,last FROM identity ORDER BY rowid DESC "
                                      "LIMIT 1")) ||
        !q.next())
        return std::nullopt;
    return Identity{q.value(0).toString(), q.value(1).toLongLong(), q.value(2).toLongLong()};
}

bool HistoryStore::MarkNotice(QDate period, int percent, int64_t capGB, int64_t time) {
    if (!impl_ || mode_ != Mode::Write) return false;
    QSqlQuery q(impl_->db);
    return impl_->Run(q,
                      QStringLiteral("INSERT OR IGNORE INTO notice(period,percent,cap,time) "
                                     "VALUES(?,?,?,?)"),
                      {period.toString(Qt::ISODate), percent, qlonglong(capGB), qlonglong(time)}) &&
           q.numRowsAffected() == 1;
}

namespace {

QString IsoLocal(int64_t time) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(time);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

// A CSV field: the export holds numbers only, so none needs quoting; NULL is an empty field.
QString Field(const QVariant& v) {
    if (v.isNull()) return {};
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    return v.toString();
}

} // namespace

bool HistoryStore::ExportCsv(const QString& fileName, std::optional<QDate> since,
                             QString& error) const {
    if (!impl_) {
        error = problem_.isEmpty() ? QStringLiteral("The line history is not open.") : problem_;
        return false;
    }
    Impl& d = *impl_;
    const int64_t start = since ? QDateTime(*since, QTime(0, 0)).toSecsSinceEpoch()
                                : std::numeric_limits<int64_t>::min();
    QSaveFile file(fileName);
    // Rows end in CR LF as CSV has them; a text-mode device would double the CR on Windows.
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("%1 could not be written: %2").arg(fileName, file.errorString());
        return false;
    }
    QStringList header{QStringLiteral("time"), QStringLiteral("kind"), QStringLiteral("samples")};
    for (int c = 0; c < ColumnCount; ++c) {
        header << Name(c) << Name(c) + QStringLiteral("_min") << Name(c) + QStringLiteral("_avg")
               << Name(c) + QStringLiteral("_max");
        if (IsCounter(c)) header << Name(c) + QStringLiteral("_rise");
    }
    file.write(header.join(QLatin1Char(',')).toUtf8() + "\r\n");

    // One snapshot for both tiers while a writer goes on.
    d.Run(QStringLiteral("BEGIN"));
    const auto first = d.Scalar(QStringLiteral("SELECT min(time) FROM sample"));
    const int64_t split = first ? HourOf(*first) : std::numeric_limits<int64_t>::max();
    bool ok = true;
    {
        QSqlQuery q(d.db);
        q.setForwardOnly(true);
        ok = d.Run(q,
                   QStringLiteral("SELECT time,samples,%1 FROM hour WHERE time>=? AND time<? "
                                  "ORDER BY time")
                       .arg(HourColumns().join(QLatin1Char(','))),
                   {qlonglong(start), qlonglong(split)});
        while (ok && q.next()) {
            QStringList row{IsoLocal(q.value(0).toLongLong()), QStringLiteral("hour"),
                            q.value(1).toString()};
            int at = 2;
            for (int c = 0; c < ColumnCount; ++c) {
                row << QString();
                for (int k = IsCounter(c) ? 4 : 3; k > 0; --k)
                    row << Field(q.value(at++));
            }
            file.write(row.join(QLatin1Char(',')).toUtf8() + "\r\n");
        }
    }
    if (ok) {
        QSqlQuery q(d.db);
        q.setForwardOnly(true);
        ok = d.Run(q,
                   QStringLiteral("SELECT time,%1 FROM sample WHERE time>=? ORDER BY time")
                       .arg(SampleColumns()),
                   {qlonglong(start)});
        while (ok && q.next()) {
            QStringList row{IsoLocal(q.value(0).toLongLong()), QStringLiteral("sample"),
                            QStringLiteral("1")};
            for (int c = 0, rise = ColumnCount + 1; c < ColumnCount; ++c) {
                row << Field(q.value(c + 1)) << QString() << QString() << QString();
                if (IsCounter(c)) row << Field(q.value(rise++));
            }
            file.write(row.join(QLatin1Char(',')).toUtf8() + "\r\n");
        }
    }
    d.Run(QStringLiteral("COMMIT"));
    if (!ok) {
        error = QStringLiteral("The line history could not be read: %1").arg(d.error);
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = QStringLiteral("%1 could not be written: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

} // namespace core::history
