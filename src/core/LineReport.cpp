#include "LineReport.h"

#include "HistoryStore.h"

#include <QDateTime>
#include <algorithm>
#include <limits>

namespace core::history {

namespace {

constexpr int64_t kAbove = std::numeric_limits<int64_t>::max();

constexpr RuleOfThumb kRules[] = {
    {Measure::SnrMargin, 60, false, "bad: errors and resyncs likely"},
    {Measure::SnrMargin, 110, false, "fair"},
    {Measure::SnrMargin, 200, false, "good"},
    {Measure::SnrMargin, 290, false, "excellent"},
    {Measure::SnrMargin, kAbove, true, "outstanding"},
    {Measure::Attenuation, 200, true, "outstanding"},
    {Measure::Attenuation, 300, true, "excellent"},
    {Measure::Attenuation, 400, true, "very good"},
    {Measure::Attenuation, 500, true, "good"},
    {Measure::Attenuation, 600, true, "poor: the line is long or faulty"},
    {Measure::Attenuation, kAbove, true, "bad"},
    {Measure::DailyResyncs, 3, true, ""},
    {Measure::DailyResyncs, kAbove, true, "unstable"},
};

int64_t Midnight(QDate day) {
    return QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
}

void Sum(std::optional<int64_t>& into, const std::optional<int64_t>& v) {
    if (v) into = into.value_or(0) + *v;
}

void Min(std::optional<int64_t>& into, const std::optional<int64_t>& v) {
    if (v) into = into ? std::min(*into, *v) : *v;
}

} // namespace

std::span<const RuleOfThumb> RulesOfThumb() {
    return kRules;
}

QString Verdict(Measure measure, int64_t value) {
    for (const RuleOfThumb& rule : kRules)
        if (rule.measure == measure && (rule.inclusive ? value <= rule.limit : value < rule.limit))
            return QString::fromLatin1(rule.verdict);
    return {};
}

std::vector<LineDay> LineReportDays(const HistoryStore& store, QDate first, QDate last) {
    std::vector<LineDay> days;
    if (!first.isValid() || !last.isValid() || last < first) return days;
    std::vector<int64_t> ends; // each day's end
    for (QDate d = first; d <= last; d = d.addDays(1)) {
        days.push_back({d, {}, {}, {}, {}, {}, {}, {}, 0, {}});
        ends.push_back(Midnight(d.addDays(1)));
    }
    const int64_t from = Midnight(first), to = ends.back();
    const auto dayOf = [&](int64_t time) {
        return std::size_t(std::upper_bound(ends.begin(), ends.end(), time) - ends.begin());
    };
    std::vector<bool> recorded(days.size());
    for (const HourSummary& h : store.Hours(from, to)) {
        const std::size_t i = dayOf(h.time);
        if (h.time < from || i >= days.size()) continue;
        LineDay& day = days[i];
        recorded[i] = true;
        day.hours += double(h.covered) / 3600.0;
        Sum(day.esAtuc, h.esAtuc);
        Sum(day.esAtur, h.esAtur);
        Min(day.snrMinAtuc, h.snrMinAtuc);
        Min(day.snrMinAtur, h.snrMinAtur);
    }
    const std::vector<Event> events = store.Events(from, to);
    for (const Event& e : events)
        recorded[dayOf(e.time)] = true;
    for (std::size_t i = 0; i < days.size(); ++i)
        if (recorded[i]) days[i].resyncs = days[i].drops = days[i].restarts = 0;
    for (const Event& e : events) {
        LineDay& day = days[dayOf(e.time)];
        switch (e.kind) {
        case EventKind::Resync:
            ++*day.resyncs;
            break;
        case EventKind::LineDown:
            ++*day.drops;
            break;
        case EventKind::Restart:
            ++*day.restarts;
            break;
        default:
            break;
        }
    }
    for (LineDay& day : days)
        if (day.resyncs) day.note = Verdict(Measure::DailyResyncs, *day.resyncs);
    return days;
}

} // namespace core::history
