#include "chart/HistoryChart.h"

#include "chart/UsageChart.h"
#include "core/HistoryStore.h"
#include "core/Usage.h"

#include <QFontMetrics>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <map>

namespace chart {

namespace {

using core::history::Col;
using core::history::EventKind;

// One history view: the column each line end is drawn from, the optional dashed companion, and
// how the stored number becomes the shown one.
struct Quantity {
    std::array<Col, 2> columns;
    std::array<Col, 2> companions; // ColumnCount: none
    double scale;                  // tenths of dB to dB, bit/s to kbit/s
    const char* axisTitle;
    const char* unit;
    std::array<const char*, 2> titles;
};

constexpr Col None = core::history::ColumnCount;
const Quantity Quantities[GraphShowCount] = {
    {}, // the live traffic: not from the history
    {{Col::AtucCurrSnrMgn, Col::AturCurrSnrMgn},
     {None, None},
     0.1,
     "dB",
     "dB",
     {"ATU-C (exchange) SNR margin", "ATU-R (modem) SNR margin"}},
    {{Col::AtucCurrAtn, Col::AturCurrAtn},
     {None, None},
     0.1,
     "dB",
     "dB",
     {"ATU-C (exchange) attenuation", "ATU-R (modem) attenuation"}},
    {{Col::AtucChanCurrTxRate, Col::AturChanCurrTxRate},
     {Col::AtucCurrAttainableRate, Col::AturCurrAttainableRate},
     0.001,
     "kbit/s",
     "kbit/s",
     {"DownStream sync (- - attainable)", "UpStream sync (- - attainable)"}},
    {{Col::AtucPerfESs, Col::AturPerfESs},
     {None, None},
     1,
     "ES",
     "errored seconds",
     {"ATU-C (exchange) errored seconds", "ATU-R (modem) errored seconds"}},
};

const char* const Formats[] = {"h:mm", "h:mm", "ddd h:00", "d MMM", "MMM yyyy"};

// A label step: minutes within a day, whole days, or whole months.
struct Step {
    int minutes = 0;
    int days = 0;
    int months = 0;
};
const std::vector<Step> Steps[] = {
    {{5}, {10}, {15}, {20}, {30}, {60}},
    {{60}, {120}, {180}, {240}, {360}, {720}},
    {{360}, {720}, {0, 1}, {0, 2}},
    {{0, 1}, {0, 2}, {0, 3}, {0, 5}, {0, 7}, {0, 10}},
    {{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 6}, {0, 0, 12}},
};

// The local times of one step's labels in [from, to]: whole local hours and minutes are counted
// from midnight, days and months from fixed origins, so a label stays put as `to` moves on.
std::vector<QDateTime> Ticks(const Step& step, int64_t from, int64_t to) {
    std::vector<QDateTime> ticks;
    const QDate first = QDateTime::fromSecsSinceEpoch(from).date();
    const QDate last = QDateTime::fromSecsSinceEpoch(to).date();
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        if (step.months > 0 &&
            (day.day() != 1 || (day.year() * 12 + day.month() - 1) % step.months))
            continue;
        if (step.days > 0 && day.toJulianDay() % step.days != 0) continue;
        for (int m = 0; m<24 * 60; m += step.minutes> 0 ? step.minutes : 24 * 60) {
            const QDateTime at(day, QTime(m / 60, m % 60));
            if (at.toSecsSinceEpoch() >= from && at.toSecsSinceEpoch() <= to) ticks.push_back(at);
        }
    }
    return ticks;
}

// Where nothing was recorded for a while (the program or the router was off) the line breaks
// rather than invent the values in between: at a distance of more than three times the usual
// one between neighbours (the recording's rhythm, or one bucket where every bucket has a value),
// and never at less than `least`.
void BreakAtGaps(QVector<ChartPoint>& points, double least) {
    if (points.size() < 3) return;
    std::vector<double> distances;
    for (qsizetype i = 1; i < points.size(); ++i)
        distances.push_back(points[i].x - points[i - 1].x);
    const auto middle = distances.begin() + static_cast<std::ptrdiff_t>(distances.size() / 2);
    std::nth_element(distances.begin(), middle, distances.end());
    const double limit = std::max(3 * *middle, least);
    for (qsizetype i = 1; i < points.size(); ++i)
        points[i].breakBefore = points[i].x - points[i - 1].x > limit;
}

} // namespace

void ScaleLeftAxis(ChartModel& model, double top, bool whole) {
    if (!(top > 0)) top = whole ? 10 : 1;
    const double raw = top / 8;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude * 10;
    for (double m : {1.0, 2.0, 5.0})
        if (m * magnitude >= raw) {
            step = m * magnitude;
            break;
        }
    if (whole) step = std::max(step, 1.0);
    model.SetLeftAxis(std::ceil(top / step - 1e-9) * step, step);
}

QVector<ChartPoint> TimeLabels(int64_t from, int64_t to, int span, int width, int slot) {
    span = std::clamp(span, 0, static_cast<int>(SpanSeconds.size()) - 1);
    const std::vector<Step>& steps = Steps[span];
    std::vector<QDateTime> ticks;
    for (const Step& step : steps) {
        ticks = Ticks(step, from, to);
        if (static_cast<int>(ticks.size()) * slot <= width) break;
    }
    QVector<ChartPoint> labels;
    const QLocale locale;
    for (const QDateTime& at : ticks)
        labels.append({static_cast<double>(at.toSecsSinceEpoch()), 0,
                       locale.toString(at, QString::fromLatin1(Formats[span]))});
    return labels;
}

QColor EventColour(EventKind kind) {
    switch (kind) {
    case EventKind::Resync:
        return {255, 200, 0};
    case EventKind::LineDown:
        return {160, 0, 0};
    case EventKind::Restart:
        return Qt::white;
    case EventKind::LowMargin:
        return {255, 0, 255};
    case EventKind::ErrorBurst:
        return Qt::black;
    }
    return Qt::gray;
}

QVector<ChartMark> EventMarks(const std::vector<core::history::Event>& events, int64_t from,
                              int64_t to, int columns) {
    columns = std::max(1, columns);
    const double width = static_cast<double>(std::max<int64_t>(1, to - from)) / columns;
    std::map<int, std::vector<const core::history::Event*>> byColumn;
    for (const core::history::Event& event : events)
        byColumn[std::clamp(static_cast<int>(static_cast<double>(event.time - from) / width), 0,
                            columns - 1)]
            .push_back(&event);
    QVector<ChartMark> marks;
    for (const auto& [column, shared] : byColumn) {
        if (shared.size() == 1) {
            const core::history::Event& e = *shared.front();
            marks.append({static_cast<double>(e.time), EventColour(e.kind),
                          core::history::EventTime(e.time) + QLatin1Char(' ') +
                              core::history::EventName(e.kind) + QStringLiteral(": ") + e.detail});
            continue;
        }
        std::array<int, core::history::EventKindCount + 1> kinds{};
        int64_t first = shared.front()->time, last = first;
        for (const core::history::Event* e : shared) {
            ++kinds[static_cast<std::size_t>(
                std::clamp(static_cast<int>(e->kind), 0, core::history::EventKindCount))];
            first = std::min(first, e->time);
            last = std::max(last, e->time);
        }
        QStringList counts;
        for (int k = 1; k <= core::history::EventKindCount; ++k)
            if (kinds[static_cast<std::size_t>(k)] > 0)
                counts.append(QStringLiteral("%1 %2")
                                  .arg(kinds[static_cast<std::size_t>(k)])
                                  .arg(core::history::EventName(EventKind(k))));
        // Coloured as the most of them are.
        const auto most = std::max_element(kinds.begin() + 1, kinds.end()) - kinds.begin();
        marks.append({from + (column + 0.5) * width, EventColour(EventKind(most)),
                      QStringLiteral("%1 events from %2 to %3: %4")
                          .arg(shared.size())
                          .arg(core::history::EventTime(first), core::history::EventTime(last),
                               counts.join(QStringLiteral(", "))),
                      static_cast<int>(shared.size())});
    }
    return marks;
}

HistoryQuery AskHistory(GraphShow show, int span, const QDateTime& now, int plotWidth) {
    span = std::clamp(span, 0, static_cast<int>(SpanSeconds.size()) - 1);
    const int64_t to = now.toSecsSinceEpoch();
    const QString widest = QLocale().toString(now, QString::fromLatin1(Formats[span]));
    return {show,
            span,
            to - SpanSeconds[static_cast<std::size_t>(span)],
            to,
            std::max(1, plotWidth),
            QFontMetrics(ChartModel::Font()).horizontalAdvance(widest) + 16};
}

HistoryContent ReadHistory(const core::history::HistoryStore* store, const HistoryQuery& query) {
    if (query.show == GraphShow::Usage) return ReadUsage(store, query);
    HistoryContent content;
    content.query = query;
    const Quantity& q = Quantities[static_cast<int>(query.show)];
    const double half = static_cast<double>(query.to - query.from) / query.buckets / 2;
    auto series = [&](Col column) {
        QVector<ChartPoint> points;
        if (!store || column == None) return points;
        // A level's average in the bucket; for a counter, its rise in the bucket.
        for (const core::history::ViewPoint& p :
             store->Series(column, query.from, query.to, query.buckets)) {
            const double y = p.avg * q.scale;
            content.top = std::max(content.top, y);
            points.append({static_cast<double>(p.time) + half, y, {}});
        }
        BreakAtGaps(points, 4 * half);
        return points;
    };
    for (std::size_t side = 0; side < 2; ++side) {
        content.points[side] = series(q.columns[side]);
        content.companions[side] = series(q.companions[side]);
    }
    content.labels = TimeLabels(query.from, query.to, query.span, query.buckets, query.labelSlot);
    if (store)
        content.marks = EventMarks(store->Events(query.from, query.to + 1), query.from, query.to,
                                   query.buckets);
    return content;
}

void ShowHistory(ChartModel& model, const HistoryContent& content) {
    const HistoryQuery& query = content.query;
    if (query.show == GraphShow::Usage) {
        ShowUsage(model, content);
        return;
    }
    model.SetBars(0);
    model.SetLegendNote({});
    const Quantity& q = Quantities[static_cast<int>(query.show)];
    for (std::size_t side = 0; side < 2; ++side) {
        const int index = static_cast<int>(side);
        model.SetTitle(index, QString::fromLatin1(q.titles[side]));
        model.SetPoints(index, content.points[side]);
        model.SetCompanion(index, content.companions[side]);
    }
    model.SetUnit(QString::fromLatin1(q.axisTitle), QString::fromLatin1(q.unit));
    model.SetBottomAxis(static_cast<double>(query.from), static_cast<double>(query.to));
    ScaleLeftAxis(model, content.top, query.show == GraphShow::Errors);
    model.SetAxisLabels(content.labels);
    model.SetMarks(content.marks);
}

void FillHistoryChart(ChartModel& model, const core::history::HistoryStore* store, GraphShow show,
                      int span, QSize size, const QDateTime& now) {
    ShowHistory(model, ReadHistory(store, AskHistory(show, span, now, model.PlotWidth(size))));
}

} // namespace chart
