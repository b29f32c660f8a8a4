#include "Usage.h"

#include "HistoryStore.h"

#include <QDateTime>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>

namespace core::history {

namespace {

constexpr int64_t kHour = 3600;
constexpr int64_t kWrap = int64_t(1) << 32;

// A direction's rise from `a` to `b`.
std::optional<int64_t> Rise(const Sample& a, const Sample& b, Col wide, Col narrow, bool restarted,
                            bool upRose) {
    if (a[wide] && b[wide]) return restarted ? 0 : std::max<int64_t>(*b[wide] - *a[wide], 0);
    if (!a[narrow] || !b[narrow]) return std::nullopt;
    if (restarted) return 0;
    const int64_t d = *b[narrow] - *a[narrow];
    return d >= 0 ? d : upRose ? d + kWrap : 0;
}

int64_t Midnight(QDate day) {
    return QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
}

QDate LocalDate(int64_t time) {
    return QDateTime::fromSecsSinceEpoch(time).date();
}

QDate BucketDay(QDate day, UsageGrain grain) {
    switch (grain) {
    case UsageGrain::Week:
        return day.addDays(1 - day.dayOfWeek());
    case UsageGrain::Month:
        return {day.year(), day.month(), 1};
    default:
        return day;
    }
}

QDate NextBucketDay(QDate day, UsageGrain grain) {
    return grain == UsageGrain::Week    ? day.addDays(7)
           : grain == UsageGrain::Month ? day.addMonths(1)
                                        : day.addDays(1);
}

UsageBucket Empty(int64_t start, int64_t end) {
    UsageBucket b;
    b.start = start;
    b.end = end;
    return b;
}

void Add(std::optional<int64_t>& sum, const std::optional<int64_t>& v) {
    if (v) sum = sum.value_or(0) + *v;
}

void Add(UsageBucket& b, const HourSummary& h) {
    b.hours += double(h.covered) / double(kHour);
    Add(b.down, h.down);
    Add(b.up, h.up);
    b.unplacedDown += h.unplacedDown;
    b.unplacedUp += h.unplacedUp;
}

void Merge(UsageBucket& into, const UsageBucket& b) {
    into.start = std::min(into.start, b.start);
    into.end = std::max(into.end, b.end);
    into.hours += b.hours;
    Add(into.down, b.down);
    Add(into.up, b.up);
    into.unplacedDown += b.unplacedDown;
    into.unplacedUp += b.unplacedUp;
}

// Fills `buckets` (oldest first, adjacent) from the store's hours.
void Fill(const HistoryStore& store, std::vector<UsageBucket>& buckets) {
    if (buckets.empty()) return;
    std::size_t i = 0;
    for (const HourSummary& h : store.Hours(buckets.front().start, buckets.back().end)) {
        while (i < buckets.size() && h.time >= buckets[i].end)
            ++i;
        if (i == buckets.size()) break;
        if (h.time >= buckets[i].start) Add(buckets[i], h);
    }
}

} // namespace

bool HasOctets(const Sample& s) {
    return s[WanInOctets] || s[WanOutOctets] || s[WanInOctets32] || s[WanOutOctets32];
}

UsageStep MeasureUsage(std::optional<int64_t> before, const std::optional<Sample>& counted,
                       const Sample& now) {
    const int64_t gap = GapIntervals * (now.interval > 0 ? now.interval : 60);
    UsageStep step;
    if (before && now.time > *before && now.time - *before <= gap)
        step.covered = now.time - *before;
    if (!counted) return step;
    const Sample& a = *counted;
    const bool uptimes = a[SysUpTime] && now[SysUpTime];
    const bool restarted = uptimes && *now[SysUpTime] < *a[SysUpTime];
    const bool upRose = uptimes && *now[SysUpTime] > *a[SysUpTime];
    step.down = Rise(a, now, WanInOctets, WanInOctets32, restarted, upRose);
    step.up = Rise(a, now, WanOutOctets, WanOutOctets32, restarted, upRose);
    step.unplaced = (step.down || step.up) && now.time - a.time > gap;
    return step;
}

std::vector<UsageBucket> UsageBuckets(const HistoryStore& store, int64_t from, int64_t to,
                                      UsageGrain grain) {
    std::vector<UsageBucket> buckets;
    if (to <= from) return buckets;
    if (grain == UsageGrain::Hour) {
        for (int64_t t = from - ((from % kHour) + kHour) % kHour; t < to; t += kHour)
            buckets.push_back(Empty(t, t + kHour));
    } else {
        int64_t start = 0;
        for (QDate d = BucketDay(LocalDate(from), grain); (start = Midnight(d)) < to;) {
            d = NextBucketDay(d, grain);
            buckets.push_back(Empty(start, Midnight(d)));
        }
    }
    Fill(store, buckets);
    return buckets;
}

UsageBucket UsageSum(const HistoryStore& store, int64_t from, int64_t to) {
    std::vector<UsageBucket> one{Empty(from, to)};
    if (to > from) Fill(store, one);
    return one.front();
}

std::vector<UsageRow> UsageTable(const HistoryStore& store, std::optional<QDate> since) {
    std::vector<UsageRow> rows;
    const auto extent = store.Extent();
    if (!extent) return rows;
    const QDate first = since ? *since : LocalDate(extent->first);
    const QDate last = LocalDate(extent->second);
    if (!first.isValid() || first > last) return rows;
    const std::vector<UsageBucket> days =
        UsageBuckets(store, Midnight(first), Midnight(last.addDays(1)), UsageGrain::Day);
    std::size_t month = 0; // the row of the month the days go into
    for (std::size_t i = days.size(); i-- > 0;) {
        const QDate day = first.addDays(qint64(i));
        if (rows.empty() || rows[month].date.month() != day.month() ||
            rows[month].date.year() != day.year()) {
            month = rows.size();
            rows.push_back(
                {QDate(day.year(), day.month(), 1), true, Empty(days[i].start, days[i].end)});
        }
        Merge(rows[month].usage, days[i]);
        rows.push_back({day, false, days[i]});
    }
    return rows;
}

int64_t AllowancePeriod::Start() const {
    return Midnight(first);
}

int64_t AllowancePeriod::End() const {
    return Midnight(next);
}

AllowancePeriod PeriodOf(QDate date, int capDay) {
    capDay = std::clamp(capDay, 1, 31);
    const auto startIn = [capDay](QDate month) {
        return QDate(month.year(), month.month(),
                     std::min(capDay, QDate(month.year(), month.month(), 1).daysInMonth()));
    };
    QDate first = startIn(date);
    if (date < first) first = startIn(QDate(date.year(), date.month(), 1).addMonths(-1));
    return {first, startIn(QDate(first.year(), first.month(), 1).addMonths(1))};
}

int64_t PeriodUsed(const HistoryStore& store, const AllowancePeriod& period) {
    return UsageSum(store, period.Start(), period.End()).Total();
}

QString VolumeText(int64_t octets, const QLocale& locale) {
    constexpr double MB = 1e6;
    const double value = static_cast<double>(octets);
    if (octets < OctetsPerGB) return locale.toString(value / MB, 'f', 1) + QStringLiteral(" MB");
    return locale.toString(value / static_cast<double>(OctetsPerGB), 'f', 2) +
           QStringLiteral(" GB");
}

QStringList UsageLines(const std::vector<UsageRow>& rows, const QLocale& locale) {
    // Columns of fixed width, volumes to the right, for a fixed-pitch font and a saved file alike.
    const auto line = [](const QString& when, const QString& down, const QString& up,
                         const QString& unplaced, const QString& hours) {
        return QStringLiteral("%1 %2 %3 %4 %5")
            .arg(when.leftJustified(13), down.rightJustified(11), up.rightJustified(11),
                 unplaced.rightJustified(10), hours.rightJustified(7));
    };
    QStringList lines{QStringLiteral("Newest first; 1 GB = 1,000,000,000 octets"),
                      line(QStringLiteral("Month / day"), QStringLiteral("Down"),
                           QStringLiteral("Up"), QStringLiteral("Unplaced"),
                           QStringLiteral("Hours"))};
    const auto volume = [&locale](const std::optional<int64_t>& octets) {
        return octets ? VolumeText(*octets, locale) : QStringLiteral("missing");
    };
    for (const UsageRow& row : rows) {
        const UsageBucket& u = row.usage;
        const int64_t unplaced = u.unplacedDown + u.unplacedUp;
        lines.append(line(row.month ? row.date.toString(QStringLiteral("yyyy-MM 'month'"))
                                    : row.date.toString(Qt::ISODate),
                          volume(u.down), volume(u.up),
                          unplaced > 0 ? VolumeText(unplaced, locale) : QStringLiteral("-"),
                          locale.toString(u.hours, 'f', 1) + QStringLiteral(" h")));
    }
    return lines;
}

QString NoticeLogLine(const UsageNotice& notice) {
    const QLocale locale = QLocale::system();
    const QDateTime when = QDateTime::fromSecsSinceEpoch(notice.time);
    return QStringLiteral("**** Usage: %1% of the monthly allowance of %2 GB used on %3 at %4 ****")
        .arg(notice.percent)
        .arg(notice.capGB)
        .arg(locale.toString(when.date(), QLocale::LongFormat),
             locale.toString(when.time(), QLocale::LongFormat));
}

std::vector<UsageNotice> AllowanceNotices(HistoryStore& store, const Allowance& allowance,
                                          int64_t time) {
    std::vector<UsageNotice> notices;
    if (allowance.capGB <= 0) return notices;
    const AllowancePeriod period = PeriodOf(LocalDate(time), allowance.capDay);
    const int64_t used = PeriodUsed(store, period);
    for (const int percent : {100, 80}) {
        // Both are marked, but a sample that reaches both tells only the higher.
        const bool reached = used >= allowance.capGB * (OctetsPerGB / 100) * percent;
        if (reached && store.MarkNotice(period.first, percent, allowance.capGB, time) &&
            notices.empty())
            notices.push_back({percent, allowance.capGB, time, used, period.first});
    }
    return notices;
}

bool ExportUsageCsv(const HistoryStore& store, const QString& fileName, std::optional<QDate> since,
                    QString& error) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) { // CR LF by hand: no text mode
        error = QStringLiteral("%1 could not be written: %2").arg(fileName, file.errorString());
        return false;
    }
    const auto field = [](const std::optional<int64_t>& v) {
        return v ? QString::number(*v) : QString();
    };
    file.write("kind,date,down_octets,up_octets,unplaced_down_octets,unplaced_up_octets,"
               "hours_recorded\r\n");
    for (const UsageRow& row : UsageTable(store, since)) {
        const UsageBucket& u = row.usage;
        const QStringList fields{
            row.month ? QStringLiteral("month") : QStringLiteral("day"),
            row.date.toString(row.month ? QStringLiteral("yyyy-MM") : QStringLiteral("yyyy-MM-dd")),
            field(u.down),
            field(u.up),
            QString::number(u.unplacedDown),
            QString::number(u.unplacedUp),
            QString::number(u.hours, 'f', 2)};
        file.write(fields.join(QLatin1Char(',')).toUtf8() + "\r\n");
    }
    if (!file.commit()) {
        error = QStringLiteral("%1 could not be written: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

} // namespace core::history
