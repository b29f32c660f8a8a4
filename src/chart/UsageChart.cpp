#include "chart/UsageChart.h"

#include "core/Usage.h"

#include <QLocale>
#include <algorithm>

namespace chart {

using core::history::OctetsPerGB;
using core::history::UsageBucket;

namespace {

constexpr double OctetsPerMB = 1e6;

// Hours for the spans of a day or less, days beyond.
bool Hourly(int span) {
    return span <= 1;
}

} // namespace

HistoryContent ReadUsage(const core::history::HistoryStore* store, const HistoryQuery& query) {
    HistoryContent content;
    content.query = query;
    content.barWidth = Hourly(query.span) ? 3600.0 : 86400.0;
    content.labels = TimeLabels(query.from, query.to, query.span, query.buckets, query.labelSlot);
    if (!store) return content;
    const std::vector<UsageBucket> buckets = core::history::UsageBuckets(
        *store, query.from, query.to,
        Hourly(query.span) ? core::history::UsageGrain::Hour : core::history::UsageGrain::Day);
    if (buckets.empty()) return content;
    content.usage.start = buckets.front().start;
    content.usage.end = buckets.back().end;
    int64_t most = 0;
    for (const UsageBucket& b : buckets) {
        most = std::max({most, b.down.value_or(0), b.up.value_or(0)});
        content.usage.hours += b.hours;
        content.usage.unplacedDown += b.unplacedDown;
        content.usage.unplacedUp += b.unplacedUp;
        if (b.down) content.usage.down = content.usage.down.value_or(0) + *b.down;
        if (b.up) content.usage.up = content.usage.up.value_or(0) + *b.up;
    }
    content.inGB = most >= OctetsPerGB;
    const double unit = content.inGB ? static_cast<double>(OctetsPerGB) : OctetsPerMB;
    for (const UsageBucket& b : buckets) {
        const std::optional<int64_t> sides[] = {b.down, b.up};
        for (std::size_t side = 0; side < 2; ++side)
            if (sides[side])
                content.points[side].append(
                    {static_cast<double>(b.start), static_cast<double>(*sides[side]) / unit, {}});
    }
    content.top = static_cast<double>(most) / unit;
    return content;
}

void ShowUsage(ChartModel& model, const HistoryContent& content) {
    const HistoryQuery& query = content.query;
    const UsageBucket& sum = content.usage;
    const QLocale locale;
    const QString titles[] = {QStringLiteral("DownStream"), QStringLiteral("UpStream")};
    const int64_t octets[] = {sum.down.value_or(0) + sum.unplacedDown,
                              sum.up.value_or(0) + sum.unplacedUp};
    for (int side = 0; side < 2; ++side) {
        const bool recorded = side == 0 ? sum.down.has_value() : sum.up.has_value();
        model.SetTitle(side, recorded || octets[side] > 0
                                 ? titles[side] + QLatin1Char(' ') +
                                       core::history::VolumeText(octets[side], locale)
                                 : titles[side] + QStringLiteral(": nothing recorded"));
        model.SetPoints(side, content.points[static_cast<std::size_t>(side)]);
        model.SetCompanion(side, {});
    }
    const int64_t unplaced = sum.unplacedDown + sum.unplacedUp;
    QString note = QStringLiteral("Total %1").arg(core::history::VolumeText(sum.Total(), locale));
    if (unplaced > 0)
        note += QStringLiteral(", %1 across gaps in no bar")
                    .arg(core::history::VolumeText(unplaced, locale));
    note += QStringLiteral("; decimal: 1 GB = %1 octets").arg(locale.toString(OctetsPerGB));
    model.SetLegendNote(note);
    model.SetBars(content.barWidth);
    const QString unit = content.inGB ? QStringLiteral("GB") : QStringLiteral("MB");
    model.SetUnit(
        unit + (Hourly(query.span) ? QStringLiteral(" per hour") : QStringLiteral(" per day")),
        unit);
    // Whole buckets, so the first and the last bar are not cut.
    const bool any = sum.end > sum.start;
    model.SetBottomAxis(static_cast<double>(any ? sum.start : query.from),
                        static_cast<double>(any ? sum.end : query.to));
    ScaleLeftAxis(model, content.top, false);
    model.SetAxisLabels(content.labels);
    model.SetMarks({});
}

} // namespace chart
