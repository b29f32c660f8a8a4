#include "LineReport.h"

#include "chart/HistoryChart.h"
#include "core/Formatters.h"
#include "core/HistoryStore.h"
#include "core/LineReport.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <string>

namespace report {

using namespace core::history;

namespace {

constexpr int kResolution = 300;     // dots per inch: print resolution, charts included
constexpr int kEventsListed = 200;   // newest first; the rest are counted
constexpr double kTrendHours = 24.0; // less recorded than this: no verdict on trends
// A chart is laid out at this size in the chart's own pixels, then scaled to the page's width:
// its 11-pixel texts come out at about 7 points, and two charts fill a page.
constexpr QSize kChartSize(800, 440);
const QString kMissing = QStringLiteral("missing");

// Everything the report says, read from the store once: the layout runs twice (to count the
// pages, then to draw them).
struct Content {
    const HistoryStore* store = nullptr; // for the charts, read as they are drawn
    QDateTime now;
    int days = 0;
    QDate first, last;
    int64_t from = 0, to = 0; // the span: the first day's midnight to now
    std::optional<HistoryStore::Identity> identity;
    std::optional<Sample> sample; // the last one recorded
    std::optional<std::pair<int64_t, int64_t>> extent;
    std::vector<LineDay> rows;
    std::vector<Event> events; // newest first
    double hours = 0;          // recorded in the span
    [[nodiscard]] bool Trends() const { return hours >= kTrendHours; }
};

Content Gather(const HistoryStore& store, int days, const QDateTime& now) {
    Content c;
    c.store = &store;
    c.now = now;
    c.days = days;
    c.last = now.date();
    c.first = c.last.addDays(1 - days);
    c.from = QDateTime(c.first, QTime(0, 0)).toSecsSinceEpoch();
    c.to = now.toSecsSinceEpoch() + 1;
    c.identity = store.LastIdentity();
    c.sample = store.Last();
    c.extent = store.Extent();
    c.rows = LineReportDays(store, c.first, c.last);
    for (const LineDay& d : c.rows)
        c.hours += d.hours;
    c.events = store.Events(c.from, c.to);
    return c;
}

QString Local(int64_t time, bool seconds = false) {
    return QDateTime::fromSecsSinceEpoch(time).toString(
        seconds ? QStringLiteral("yyyy-MM-dd HH:mm:ss") : QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString Hours(double hours) {
    return QLocale().toString(hours, 'f', 1);
}

// Whole per cent, never 100 while an hour's tenth is missing.
int Percent(double part, double whole) {
    const int percent = whole > 0 ? int(std::lround(100 * part / whole)) : 0;
    return percent == 100 && whole - part >= 0.05 ? 99 : percent;
}

QString Decibels(const std::optional<int64_t>& tenths, const char* unit = "") {
    if (!tenths) return kMissing;
    return QString::fromStdString(core::StrTodB(std::to_string(*tenths))) + QLatin1String(unit);
}

QString Rate(const std::optional<int64_t>& bits) {
    return bits ? QString::fromStdString(core::StrToSpeed(std::to_string(*bits))) : kMissing;
}

QString Count(const std::optional<int64_t>& n) {
    return n ? QString::number(*n) : kMissing;
}

QString Count(const std::optional<int>& n) {
    return n ? QString::number(*n) : kMissing;
}

QString Verdict(Measure m, const std::optional<int64_t>& v) {
    return v ? core::history::Verdict(m, *v) : QString();
}

// The range a rule's band covers, after the band before it of the same measure.
QString Band(const RuleOfThumb& rule, const RuleOfThumb* before) {
    const bool db = rule.measure != Measure::DailyResyncs;
    const auto value = [&](int64_t v) {
        return db ? QString::fromStdString(core::StrTodB(std::to_string(v)))
                  : QStringLiteral("%1 a day").arg(v);
    };
    const bool open = rule.limit == std::numeric_limits<int64_t>::max();
    if (!before)
        return (rule.inclusive ? QStringLiteral("up to ") : QStringLiteral("under ")) +
               value(rule.limit);
    const QString low = before->inclusive ? QStringLiteral("over ") + value(before->limit)
                                          : QStringLiteral("from ") + value(before->limit);
    if (open) return low;
    return low + (rule.inclusive ? QStringLiteral(" up to ") : QStringLiteral(" to under ")) +
           value(rule.limit);
}

QString MeasureName(Measure m) {
    switch (m) {
    case Measure::SnrMargin:
        return QStringLiteral("SNR margin");
    case Measure::Attenuation:
        return QStringLiteral("Attenuation");
    case Measure::DailyResyncs:
        return QStringLiteral("Resyncs");
    }
    return {};
}

// The most resyncs a day that the rules of thumb let pass without a word.
int64_t QuietResyncs() {
    for (const RuleOfThumb& rule : RulesOfThumb())
        if (rule.measure == Measure::DailyResyncs && *rule.verdict == '\0') return rule.limit;
    return 0;
}

QFont Font(double points, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    // Spacing, however slight, keeps Qt from ligatures: "fi" must copy and search as two letters.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    return font;
}

// Lays the report out top to bottom on A4 pages. Without a painter it only measures, which
// gives the page count the footers need.
class Pager {
public:
    Pager(QPdfWriter& writer, QPainter* painter, int pages, QString footer)
        : writer_(writer), painter_(painter), pages_(pages), footer_(std::move(footer)) {
        const QRect area = writer.pageLayout().paintRectPixels(writer.resolution());
        width_ = area.width();
        bottom_ = area.height() - Line(Font(7.5)) * 2;
    }

    [[nodiscard]] double Width() const { return width_; }
    [[nodiscard]] int Page() const { return page_; }
    [[nodiscard]] double Line(const QFont& font) const {
        return QFontMetricsF(font, &writer_).height();
    }
    [[nodiscard]] double Room() const { return bottom_ - y_; }
    [[nodiscard]] QPainter* Painter() const { return painter_; }

    // A new page unless `height` fits below; true when one was started.
    bool Need(double height) {
        if (y_ + height <= bottom_ || y_ == 0) return false;
        Break();
        return true;
    }
    void Break() {
        Footer();
        if (painter_) writer_.newPage();
        ++page_;
        y_ = 0;
    }
    void Finish() { Footer(); }
    void Skip(double height) { y_ = std::min(y_ + height, bottom_); }
    double Take(double height) {
        const double at = y_;
        y_ += height;
        return at;
    }

    // Height of `text` wrapped to `width`.
    [[nodiscard]] double Height(const QString& text, const QFont& font, double width) const {
        return QFontMetricsF(font, &writer_)
            .boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text)
            .height();
    }
    void Text(const QRectF& rect, const QString& text, const QFont& font,
              int flags = Qt::AlignLeft | Qt::AlignTop, bool wrap = true,
              QColor colour = Qt::black) {
        if (!painter_) return;
        painter_->setFont(font);
        painter_->setPen(colour);
        painter_->drawText(rect, flags | (wrap ? Qt::TextWordWrap : Qt::TextSingleLine), text);
    }
    void Paragraph(const QString& text, const QFont& font, QColor colour = Qt::black) {
        const double h = Height(text, font, width_);
        Need(h);
        Text(QRectF(0, y_, width_, h), text, font, Qt::AlignLeft | Qt::AlignTop, true, colour);
        y_ += h;
    }
    void Heading(const QString& text) {
        const QFont font = Font(13, true);
        // A heading stays with at least a few lines of what follows it.
        Need(Line(font) * 1.6 + Line(Font(9)) * 4);
        if (y_ > 0) y_ += Line(font) * 0.6;
        Text(QRectF(0, y_, width_, Line(font)), text, font);
        y_ += Line(font) * 1.3;
    }

private:
    void Footer() {
        if (!painter_) return;
        const QFont font = Font(7.5);
        const QString text =
            pages_ > 0 ? QStringLiteral("%1 · page %2 of %3").arg(footer_).arg(page_).arg(pages_)
                       : footer_;
        Text(QRectF(0, bottom_ + Line(font), width_, Line(font)), text, font,
             Qt::AlignRight | Qt::AlignTop, false, Qt::darkGray);
    }

    QPdfWriter& writer_;
    QPainter* painter_;
    int pages_;
    QString footer_;
    double width_ = 0, bottom_ = 0, y_ = 0;
    int page_ = 1;
};

// A table: columns as shares of the width, a header row repeated on each page it spans, rows
// whose cells wrap.
class Table {
public:
    struct Column {
        QString title;
        double share;
        Qt::Alignment align = Qt::AlignLeft;
    };
    Table(Pager& pager, QVector<Column> columns, double points = 9)
        : pager_(pager), columns_(std::move(columns)), font_(Font(points)),
          bold_(Font(points, true)) {
        double total = 0;
        for (const Column& c : columns_)
            total += c.share;
        for (const Column& c : columns_)
            widths_ << pager_.Width() * c.share / total;
        pad_ = pager_.Line(font_) * 0.25;
        Header();
    }

    // `colours`: per cell, black where not given. Only the last column wraps.
    void Row(const QStringList& cells, bool bold = false, const QVector<QColor>& colours = {}) {
        const QFont& font = bold ? bold_ : font_;
        double h = pager_.Line(font);
        if (cells.size() == widths_.size())
            h = std::max(h, pager_.Height(cells.back(), font, widths_.back() - 2 * pad_));
        h += 2 * pad_;
        if (pager_.Need(h)) Header();
        const double y = pager_.Take(h);
        if (QPainter* p = pager_.Painter(); p && shade_)
            p->fillRect(QRectF(0, y, pager_.Width(), h), QColor(242, 242, 242));
        shade_ = !shade_;
        Cells(cells, y, h, font, colours, false);
    }
    // Cells that span: the first cell, then one text over the remaining columns.
    void Span(const QString& first, const QString& rest, QColor colour = Qt::darkGray) {
        const double h = pager_.Line(font_) + 2 * pad_;
        if (pager_.Need(h)) Header();
        const double y = pager_.Take(h);
        if (QPainter* p = pager_.Painter(); p && shade_)
            p->fillRect(QRectF(0, y, pager_.Width(), h), QColor(242, 242, 242));
        shade_ = !shade_;
        pager_.Text(QRectF(pad_, y + pad_, widths_[0] - 2 * pad_, h), first, font_);
        pager_.Text(QRectF(widths_[0] + pad_, y + pad_, pager_.Width() - widths_[0] - 2 * pad_, h),
                    rest, font_, Qt::AlignLeft | Qt::AlignTop, false, colour);
    }
    void End() { pager_.Skip(pager_.Line(font_) * 0.5); }

private:
    void Header() {
        QStringList titles;
        for (const Column& c : columns_)
            titles << c.title;
        double h = 0;
        for (int i = 0; i < titles.size(); ++i)
            h = std::max(h, pager_.Height(titles[i], bold_, widths_[i] - 2 * pad_));
        h += 2 * pad_;
        pager_.Need(h + pager_.Line(font_) * 2);
        const double y = pager_.Take(h);
        Cells(titles, y, h, bold_, {}, true);
        if (QPainter* p = pager_.Painter()) {
            p->setPen(QPen(Qt::black, 2));
            p->drawLine(QPointF(0, y + h), QPointF(pager_.Width(), y + h));
        }
        shade_ = false;
    }
    void Cells(const QStringList& cells, double y, double h, const QFont& font,
               const QVector<QColor>& colours, bool wrap) {
        double x = 0;
        for (int i = 0; i < cells.size() && i < widths_.size(); ++i) {
            const bool wraps = wrap || i + 1 == widths_.size();
            pager_.Text(QRectF(x + pad_, y + pad_, widths_[i] - 2 * pad_, h - 2 * pad_), cells[i],
                        font, int(columns_[i].align) | Qt::AlignTop, wraps,
                        i < colours.size() && colours[i].isValid() ? colours[i] : Qt::black);
            x += widths_[i];
        }
    }

    Pager& pager_;
    QVector<Column> columns_;
    QVector<double> widths_;
    QFont font_, bold_;
    double pad_ = 0;
    bool shade_ = false;
};

// A verdict that calls for attention is printed in red.
QColor VerdictColour(const QString& verdict) {
    for (const char* word : {"bad", "poor", "unstable"})
        if (verdict.startsWith(QLatin1String(word))) return QColor(170, 0, 0);
    return {};
}

QString UpTimeText(int64_t ticks) {
    return QString::fromStdString(core::StrToTime(std::to_string(ticks), 0, false, true)).trimmed();
}

void Router(Pager& pager, const Content& c) {
    pager.Paragraph(QStringLiteral("Line report"), Font(20, true));
    pager.Paragraph(QStringLiteral("LineScope, for the Corvane R62GX/R63 ADSL router"), Font(10),
                    Qt::darkGray);
    pager.Skip(pager.Line(Font(10)));
    const int offset = c.now.offsetFromUtc();
    const QString zone = QStringLiteral("UTC%1%2:%3")
                             .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                             .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
                             .arg(std::abs(offset) % 3600 / 60, 2, 10, QLatin1Char('0'));
    QString upTime = kMissing;
    if (c.sample)
        if (const std::optional<int64_t> ticks = (*c.sample)[SysUpTime]; ticks.has_value())
            upTime = QStringLiteral("%1 at the last sample, %2")
                         .arg(UpTimeText(ticks.value()), Local(c.sample->time));
    const double spanHours = double(c.to - c.from) / 3600.0;
    Table t(pager, {{QString(), 1}, {QString(), 3.6}}, 10);
    t.Row({QStringLiteral("Router"),
           c.identity
               ? QStringLiteral("%1 (seen %2 to %3)")
                     .arg(c.identity->line, Local(c.identity->first), Local(c.identity->last))
               : QStringLiteral("The router's identity was not recorded.")});
    t.Row({QStringLiteral("Router uptime"), upTime});
    t.Row({QStringLiteral("Report made"),
           QStringLiteral("%1 (times are local, %2)")
               .arg(c.now.toString(QStringLiteral("yyyy-MM-dd HH:mm")), zone)});
    t.Row({QStringLiteral("Span"), QStringLiteral("%1 day%2: %3 to %4")
                                       .arg(c.days)
                                       .arg(c.days == 1 ? QString() : QStringLiteral("s"))
                                       .arg(Local(c.from), Local(c.to - 1))});
    t.Row({QStringLiteral("Recorded"), QStringLiteral("%1 hours of the %2 in the span (%3%)")
                                           .arg(Hours(c.hours), Hours(spanHours))
                                           .arg(Percent(c.hours, spanHours))});
    t.End();
    if (!c.extent) {
        pager.Paragraph(QStringLiteral("The line history is empty: nothing has been recorded yet, "
                                       "so this report has nothing to show."),
                        Font(10, true));
    } else if (c.hours == 0 && c.events.empty()) {
        pager.Paragraph(QStringLiteral("Nothing was recorded in this span. The line history holds "
                                       "%1 to %2.")
                            .arg(Local(c.extent->first), Local(c.extent->second)),
                        Font(10, true));
    } else if (!c.Trends()) {
        pager.Paragraph(QStringLiteral("Only %1 hours are recorded in this span: too little for "
                                       "a verdict on trends. The figures below cover those "
                                       "hours alone.")
                            .arg(Hours(c.hours)),
                        Font(10, true));
    }
}

void LineNow(Pager& pager, const Content& c) {
    pager.Heading(QStringLiteral("The line now"));
    if (!c.sample) {
        pager.Paragraph(QStringLiteral("No sample of the line has been recorded."), Font(9));
        return;
    }
    pager.Paragraph(QStringLiteral("As the router reported it at the last sample, %1. Each end "
                                   "measures what it receives.")
                        .arg(Local(c.sample->time, true)),
                    Font(9));
    pager.Skip(pager.Line(Font(9)) * 0.4);
    const Sample& s = *c.sample;
    Table t(pager, {{QString(), 1.3},
                    {QStringLiteral("ATU-C (exchange end)"), 1.6, Qt::AlignRight},
                    {QString(), 1.3},
                    {QStringLiteral("ATU-R (modem end)"), 1.6, Qt::AlignRight},
                    {QString(), 1.3}});
    const auto row = [&](const QString& name, const QString& c1, const QString& v1,
                         const QString& c2, const QString& v2) {
        t.Row({name, c1, v1, c2, v2}, false, {{}, {}, VerdictColour(v1), {}, VerdictColour(v2)});
    };
    row(QStringLiteral("Sync rate"), Rate(s[AtucChanCurrTxRate]), {}, Rate(s[AturChanCurrTxRate]),
        {});
    row(QStringLiteral("Attainable rate"), Rate(s[AtucCurrAttainableRate]), {},
        Rate(s[AturCurrAttainableRate]), {});
    row(QStringLiteral("SNR margin"), Decibels(s[AtucCurrSnrMgn]),
        Verdict(Measure::SnrMargin, s[AtucCurrSnrMgn]), Decibels(s[AturCurrSnrMgn]),
        Verdict(Measure::SnrMargin, s[AturCurrSnrMgn]));
    // The rule of thumb is the downstream's, which the modem measures: upstream gets none.
    row(QStringLiteral("Attenuation"), Decibels(s[AtucCurrAtn]), QString(),
        Decibels(s[AturCurrAtn]), Verdict(Measure::Attenuation, s[AturCurrAtn]));
    row(QStringLiteral("Output power"), Decibels(s[AtucCurrOutputPwr], "m"), {},
        Decibels(s[AturCurrOutputPwr], "m"), {});
    t.End();
}

void Days(Pager& pager, const Content& c) {
    pager.Heading(QStringLiteral("Day by day"));
    pager.Paragraph(QStringLiteral("Oldest first. Errored seconds and the lowest SNR margin as "
                                   "each end counts them; what was not recorded reads "
                                   "\"missing\"."),
                    Font(9));
    pager.Skip(pager.Line(Font(9)) * 0.4);
    const auto R = Qt::AlignRight;
    Table t(pager,
            {{QStringLiteral("Day"), 1.7},
             {QStringLiteral("Hours recorded"), 1.1, R},
             {QStringLiteral("Resyncs"), 1, R},
             {QStringLiteral("Line drops"), 1, R},
             {QStringLiteral("Router restarts"), 1.1, R},
             {QStringLiteral("Errored s ATU-C"), 1.1, R},
             {QStringLiteral("Errored s ATU-R"), 1.1, R},
             {QStringLiteral("Lowest SNR ATU-C"), 1.1, R},
             {QStringLiteral("Lowest SNR ATU-R"), 1.1, R},
             {QStringLiteral("Verdict"), 1.1}},
            8.5);
    std::optional<int> resyncs, drops, restarts;
    std::optional<int64_t> esC, esR, snrC, snrR;
    const auto add = [](auto& into, const auto& v) {
        if (v) into = into.value_or(0) + *v;
    };
    const auto low = [](auto& into, const auto& v) {
        if (v) into = into ? std::min(*into, *v) : *v;
    };
    int unstable = 0, recorded = 0;
    for (const LineDay& d : c.rows) {
        const QString day = QLocale::c().toString(d.date, QStringLiteral("ddd yyyy-MM-dd"));
        if (!d.resyncs) { // the event counts are there when anything was recorded
            t.Span(day, QStringLiteral("nothing recorded"));
            continue;
        }
        ++recorded;
        const QString note = c.Trends() ? d.note : QString();
        unstable += !note.isEmpty();
        t.Row({day, Hours(d.hours), Count(d.resyncs), Count(d.drops), Count(d.restarts),
               Count(d.esAtuc), Count(d.esAtur), Decibels(d.snrMinAtuc), Decibels(d.snrMinAtur),
               note},
              false, {{}, {}, {}, {}, {}, {}, {}, {}, {}, VerdictColour(note)});
        add(resyncs, d.resyncs);
        add(drops, d.drops);
        add(restarts, d.restarts);
        add(esC, d.esAtuc);
        add(esR, d.esAtur);
        low(snrC, d.snrMinAtuc);
        low(snrR, d.snrMinAtur);
    }
    if (recorded > 0)
        t.Row({QStringLiteral("The span"),
               Hours(c.hours),
               Count(resyncs),
               Count(drops),
               Count(restarts),
               Count(esC),
               Count(esR),
               Decibels(snrC),
               Decibels(snrR),
               {}},
              true);
    t.End();
    if (recorded == 0 || !c.Trends()) return;
    pager.Paragraph(
        unstable == 0
            ? QStringLiteral("Stability: no day had more than %1 resyncs.").arg(QuietResyncs())
            : QStringLiteral("Stability: unstable on %1 of the %2 recorded days (more than %3 "
                             "resyncs a day).")
                  .arg(unstable)
                  .arg(recorded)
                  .arg(QuietResyncs()),
        Font(9, true), unstable == 0 ? QColor(Qt::black) : QColor(170, 0, 0));
}

// The chart's time labels in the format of the graph's span nearest the report's.
int ChartSpan(int days) {
    return days <= 1 ? 1 : days <= 7 ? 2 : days <= 31 ? 3 : 4;
}

void Charts(Pager& pager, const Content& c) {
    const struct {
        chart::GraphShow show;
        const char* title;
    } charts[] = {{chart::GraphShow::SnrMargin, "SNR margin"},
                  {chart::GraphShow::Attenuation, "Attenuation"},
                  {chart::GraphShow::Rates, "Sync rate, and attainable rate dashed"},
                  {chart::GraphShow::Errors, "Errored seconds"}};
    const double scale = pager.Width() / kChartSize.width();
    const double height = kChartSize.height() * scale;
    for (const auto& one : charts) {
        const QFont font = Font(11, true);
        pager.Need(pager.Line(font) * 1.4 + height);
        const double top = pager.Take(pager.Line(font) * 1.4);
        pager.Text(QRectF(0, top, pager.Width(), pager.Line(font)), QString::fromLatin1(one.title),
                   font);
        const double y = pager.Take(height + pager.Line(font) * 0.8);
        QPainter* p = pager.Painter();
        if (!p) continue;
        chart::ChartModel model;
        chart::HistoryQuery query =
            chart::AskHistory(one.show, ChartSpan(c.days), c.now, model.PlotWidth(kChartSize));
        query.from = c.from;
        query.to = c.to - 1;
        chart::ShowHistory(model, chart::ReadHistory(c.store, query));
        p->save();
        p->translate(0, y);
        p->scale(scale, scale);
        model.Draw(*p, kChartSize);
        p->restore();
    }
}

void Events(Pager& pager, const Content& c) {
    pager.Heading(QStringLiteral("Line events, newest first"));
    if (c.events.empty()) {
        pager.Paragraph(QStringLiteral("No line event was recorded in this span."), Font(9));
        return;
    }
    Table t(pager,
            {{QStringLiteral("Time"), 1.3},
             {QStringLiteral("Event"), 1.3},
             {QStringLiteral("What changed"), 4}},
            8.5);
    const std::size_t listed = std::min<std::size_t>(c.events.size(), kEventsListed);
    for (std::size_t i = 0; i < listed; ++i) {
        const Event& e = c.events[i];
        t.Row({Local(e.time, true), EventName(e.kind), e.detail});
    }
    t.End();
    if (listed < c.events.size())
        pager.Paragraph(QStringLiteral("%1 older events of the span are not listed.")
                            .arg(c.events.size() - listed),
                        Font(9));
}

void Rules(Pager& pager) {
    pager.Need(pager.Line(Font(13)) * 2 +
               pager.Line(Font(8.5)) * 1.5 * (RulesOfThumb().size() + 3));
    pager.Heading(QStringLiteral("Rules of thumb"));
    pager.Paragraph(QStringLiteral("The verdicts above follow these rules of thumb widely "
                                   "published for ADSL lines."),
                    Font(9));
    pager.Skip(pager.Line(Font(9)) * 0.4);
    Table t(pager,
            {{QStringLiteral("Measure"), 1},
             {QStringLiteral("Value"), 1.6},
             {QStringLiteral("Verdict"), 2.4}},
            8.5);
    const RuleOfThumb* before = nullptr;
    for (const RuleOfThumb& rule : RulesOfThumb()) {
        if (before && before->measure != rule.measure) before = nullptr;
        const QString verdict = QString::fromLatin1(rule.verdict);
        t.Row({MeasureName(rule.measure), Band(rule, before),
               verdict.isEmpty() ? QStringLiteral("(nothing to say)") : verdict},
              false, {{}, {}, VerdictColour(verdict)});
        before = &rule;
    }
    t.End();
}

// The whole report once; the number of pages it took.
int Lay(QPdfWriter& writer, QPainter* painter, int pages, const Content& c) {
    Pager pager(writer, painter, pages,
                QStringLiteral("LineScope line report, %1")
                    .arg(c.now.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    Router(pager, c);
    LineNow(pager, c);
    Days(pager, c);
    Charts(pager, c);
    Events(pager, c);
    Rules(pager);
    pager.Finish();
    return pager.Page();
}

} // namespace

bool LineReport::Write(QIODevice& device, const HistoryStore& store, int days, const QDateTime& now,
                       QString& error) {
    if (days < 1 || days > MaxDays) {
        error = QStringLiteral("a report covers 1 to %1 days, not %2").arg(MaxDays).arg(days);
        return false;
    }
    const Content content = Gather(store, days, now);
    QPdfWriter writer(&device);
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("LineScope line report"));
    writer.setCreator(QStringLiteral("LineScope"));
    const int pages = Lay(writer, nullptr, 0, content);
    QPainter painter;
    if (!painter.begin(&writer)) {
        error = QStringLiteral("the PDF could not be started");
        return false;
    }
    Lay(writer, &painter, pages, content);
    if (!painter.end()) {
        error = QStringLiteral("the PDF could not be finished");
        return false;
    }
    return true;
}

bool LineReport::Write(const QString& fileName, const HistoryStore& store, int days,
                       const QDateTime& now, QString& error) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("%1 could not be written: %2").arg(fileName, file.errorString());
        return false;
    }
    if (!Write(file, store, days, now, error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = QStringLiteral("%1 could not be written: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

QByteArray LineReport::Pdf(const HistoryStore& store, int days, const QDateTime& now) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    return Write(buffer, store, days, now, error) ? bytes : QByteArray();
}

} // namespace report
