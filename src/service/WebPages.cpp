#include "WebPages.h"

#include "core/Formatters.h"
#include "core/HistoryStore.h"
#include "core/Usage.h"
#include "mib/MIBConstants.h"

#include <QDateTime>
#include <QLocale>
#include <array>
#include <cmath>
#include <limits>

namespace service {

using namespace core::history;

namespace {

constexpr std::array<const char*, SpanCount> kSpanNames = {"1h", "24h", "7d", "30d", "1y"};
constexpr std::array<int64_t, SpanCount> kSpanSeconds = {3600, 86400, 7 * 86400, 30 * 86400,
                                                         365 * 86400};

struct ChartInfo {
    const char* path;
    const char* title;
};
constexpr std::array<ChartInfo, ChartCount> kCharts = {{
    {"/chart/snr.png", "SNR margin"},
    {"/chart/attenuation.png", "Attenuation"},
    {"/chart/rate.png", "Sync and attainable rate"},
    {"/chart/errors.png", "Errors"},
    {"/chart/usage.png", "Usage"},
}};

// At most this many events are listed; a year can hold thousands.
constexpr int MaxEventsShown = 500;
constexpr int SyslogLinesShown = 200;

constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:0 auto;padding:0 .6em;max-width:60em;line-height:1.4}"
    "table{border-collapse:collapse;width:100%}th,td{text-align:left;padding:.2em .4em;"
    "border-bottom:1px solid #ddd;vertical-align:top}"
    "img{max-width:100%;height:auto;display:block}figure{margin:.6em 0}"
    "pre{white-space:pre-wrap;word-break:break-all;font-size:.85em;background:#f4f4f4;"
    "padding:.4em}nav a,.now{margin-right:.8em}.now{font-weight:bold}";

std::optional<int64_t> Value(const LiveState& live, Col c) {
    if (!live.sample) return std::nullopt;
    return (*live.sample)[c];
}

QString LocalTime(int64_t t) {
    return QDateTime::fromSecsSinceEpoch(t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString Volume(std::optional<int64_t> octets) {
    if (!octets) return QStringLiteral("not recorded");
    return QString::number(double(*octets) / double(OctetsPerGB), 'f', 2) + QStringLiteral(" GB");
}

QString Link(const char* path, const QByteArray& query, const QByteArray& tokenQuery) {
    QByteArray q = query;
    if (!tokenQuery.isEmpty()) q += (q.isEmpty() ? "" : "&") + tokenQuery;
    return Html(QString::fromLatin1(path) +
                (q.isEmpty() ? QString() : QStringLiteral("?") + QString::fromLatin1(q)));
}

// One row of the line's table: the ADSL page's label and formatting, both ends.
struct LineRow {
    int entry; // in AtucMIB, whose labels the page uses for both ends
    Col atur, atuc;
    QString (*format)(int64_t);
};
QString Text(const std::string& s) {
    return QString::fromStdString(s);
}
constexpr LineRow kLineRows[] = {
    {3, AturCurrSnrMgn, AtucCurrSnrMgn,
     [](int64_t v) { return Text(core::StrTodB(std::to_string(v))); }},
    {4, AturCurrAtn, AtucCurrAtn, [](int64_t v) { return Text(core::StrTodB(std::to_string(v))); }},
    {5, AturCurrStatus, AtucCurrStatus,
     [](int64_t v) {
         return Text(core::StrToCurrStatus(std::string(1, static_cast<char>(v))).text).trimmed();
     }},
    {6, AturCurrOutputPwr, AtucCurrOutputPwr,
     [](int64_t v) { return Text(core::StrTodB(std::to_string(v)) + "m"); }},
    {7, AturCurrAttainableRate, AtucCurrAttainableRate,
     [](int64_t v) { return Text(core::StrToSpeed(std::to_string(v))); }},
    {9, AturChanCurrTxRate, AtucChanCurrTxRate,
     [](int64_t v) { return Text(core::StrToSpeed(std::to_string(v))); }},
};

} // namespace

int64_t SpanSeconds(Span span) {
    return kSpanSeconds[static_cast<std::size_t>(span)];
}

const char* SpanName(Span span) {
    return kSpanNames[static_cast<std::size_t>(span)];
}

const char* ChartPath(Chart chart) {
    return kCharts[static_cast<std::size_t>(chart)].path;
}

std::optional<Chart> ChartAt(QByteArrayView path) {
    for (int i = 0; i < ChartCount; ++i)
        if (path == kCharts[i].path) return static_cast<Chart>(i);
    return std::nullopt;
}

std::optional<Query> ParseQuery(QByteArrayView encoded, unsigned allowed, QString& error) {
    Query query;
    if (encoded.size() > MaxQueryBytes) {
        error = QStringLiteral("query too long");
        return std::nullopt;
    }
    unsigned seen = 0;
    // Bounded by the length above: at most MaxQueryBytes / 2 pairs are looked at.
    for (QByteArrayView rest = encoded; !rest.isEmpty();) {
        const qsizetype amp = rest.indexOf('&');
        const QByteArrayView pair = amp < 0 ? rest : rest.first(amp);
        rest = amp < 0 ? QByteArrayView() : rest.sliced(amp + 1);
        const qsizetype eq = pair.indexOf('=');
        const QByteArrayView key = eq < 0 ? pair : pair.first(eq);
        const QByteArray value = QByteArray::fromPercentEncoding(
            eq < 0 ? QByteArray() : pair.sliced(eq + 1).toByteArray());
        const unsigned param = key == "span"    ? unsigned(SpanParam)
                               : key == "days"  ? unsigned(DaysParam)
                               : key == "token" ? unsigned(TokenParam)
                                                : 0u;
        if (!(param & allowed)) {
            error = QStringLiteral("unknown parameter");
            return std::nullopt;
        }
        if (seen & param) {
            error = QStringLiteral("repeated parameter");
            return std::nullopt;
        }
        seen |= param;
        query.present = seen;
        if (param == SpanParam) {
            int i = 0;
            while (i < SpanCount && value != kSpanNames[i])
                ++i;
            if (i == SpanCount) {
                error = QStringLiteral("span must be one of 1h, 24h, 7d, 30d, 1y");
                return std::nullopt;
            }
            query.span = static_cast<Span>(i);
        } else if (param == DaysParam) {
            bool ok = value.size() <= 3 && !value.isEmpty();
            for (const char c : value)
                ok = ok && c >= '0' && c <= '9';
            query.days = ok ? value.toInt() : 0;
            if (query.days < 1 || query.days > MaxReportDays) {
                error = QStringLiteral("days must be 1 to 366");
                return std::nullopt;
            }
        } else {
            query.token = value;
        }
    }
    return query;
}

QString Html(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&#39;");
            break;
        default:
            // C0 and C1 controls (a syslog line may carry any byte) and lone surrogates.
            if ((c.unicode() < 0x20 && c != u'\t') || (c.unicode() >= 0x7f && c.unicode() < 0xa0) ||
                c.isSurrogate())
                out += QChar(QChar::ReplacementCharacter);
            else
                out += c;
        }
    }
    return out;
}

QByteArray PageStyle() {
    return QByteArray(kStyle);
}

QByteArray StatusPage(const LiveState& live, const HistoryStore* store, Span span, int64_t now,
                      const QByteArray& tokenQuery) {
    QString h;
    h += QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                        "<title>LineScope</title><style>") +
         QLatin1String(kStyle) + QStringLiteral("</style></head><body>\n<h1>LineScope</h1>\n");

    h += QStringLiteral("<p>") +
         (live.sysDescr.isEmpty() ? QStringLiteral("Router not identified") : Html(live.sysDescr)) +
         QStringLiteral("</p>\n<table>");
    auto kv = [&h](const QString& key, const QString& value) {
        h += QStringLiteral("<tr><th>") + key + QStringLiteral("</th><td>") + value +
             QStringLiteral("</td></tr>");
    };
    kv(QStringLiteral("Router"),
       live.routerAnswers ? QStringLiteral("answering") : QStringLiteral("not answering"));
    if (live.upTime)
        kv(QStringLiteral("Router uptime"),
           Text(core::StrToTime(std::to_string(*live.upTime), *live.upTime, false, true))
               .trimmed());
    kv(QStringLiteral("Last sample"),
       live.sample ? LocalTime(live.sample->time) : QStringLiteral("none yet"));
    h += QStringLiteral("</table>\n<h2>ADSL line</h2>\n<table><tr><th></th>"
                        "<th>UpStream (ATU-R)</th><th>DownStream (ATU-C)</th></tr>");
    for (const LineRow& row : kLineRows) {
        h += QStringLiteral("<tr><th>") +
             Html(QString::fromLatin1(mib::AtucMIB[row.entry].Label.data(),
                                      qsizetype(mib::AtucMIB[row.entry].Label.size()))) +
             QStringLiteral("</th>");
        for (const Col c : {row.atur, row.atuc}) {
            const auto v = Value(live, c);
            h += QStringLiteral("<td>") + (v ? Html(row.format(*v)) : QStringLiteral("NULL")) +
                 QStringLiteral("</td>");
        }
        h += QStringLiteral("</tr>");
    }
    h += QStringLiteral("</table>\n<h2>History</h2>\n<nav>");
    for (int i = 0; i < SpanCount; ++i) {
        const QByteArray q = QByteArray("span=") + kSpanNames[i];
        h +=
            static_cast<Span>(i) == span
                ? QStringLiteral("<span class=\"now\">%1</span> ").arg(QLatin1String(kSpanNames[i]))
                : QStringLiteral("<a href=\"%1\">%2</a> ")
                      .arg(Link("/", q, tokenQuery), QLatin1String(kSpanNames[i]));
    }
    h += QStringLiteral("</nav>\n");
    const QByteArray spanQuery = QByteArray("span=") + SpanName(span);
    auto figure = [&](const ChartInfo& chart) {
        h += QStringLiteral("<figure><img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"%4\">"
                            "<figcaption>%4</figcaption></figure>\n")
                 .arg(Link(chart.path, spanQuery, tokenQuery))
                 .arg(ChartSize.width())
                 .arg(ChartSize.height())
                 .arg(QLatin1String(chart.title));
    };
    for (int i = 0; i < ChartCount - 1; ++i)
        figure(kCharts[i]);

    const int64_t from = now - SpanSeconds(span);
    h += QStringLiteral("<h2>Usage</h2>\n");
    figure(kCharts[int(Chart::Usage)]);
    if (store) {
        const UsageBucket sum = UsageSum(*store, from, now + 1);
        h += QStringLiteral("<table>");
        kv(QStringLiteral("Down"), Volume(sum.down));
        kv(QStringLiteral("Up"), Volume(sum.up));
        kv(QStringLiteral("Across gaps (down, up)"),
           Volume(sum.unplacedDown) + QStringLiteral(", ") + Volume(sum.unplacedUp));
        kv(QStringLiteral("Hours recorded"), QString::number(sum.hours, 'f', 1));
        h += QStringLiteral("</table>\n");
    }

    h += QStringLiteral("<h2>Line events</h2>\n");
    const std::vector<Event> events = store ? store->Events(from, now + 1) : std::vector<Event>{};
    if (events.empty()) {
        h += QStringLiteral("<p>None in this span.</p>\n");
    } else {
        h += QStringLiteral("<table><tr><th>Time</th><th>Event</th><th>Detail</th></tr>");
        const std::size_t shown = std::min<std::size_t>(events.size(), MaxEventsShown);
        for (std::size_t i = 0; i < shown; ++i)
            h += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                     .arg(LocalTime(events[i].time), Html(EventName(events[i].kind)),
                          Html(events[i].detail));
        h += QStringLiteral("</table>\n");
        if (shown < events.size())
            h += QStringLiteral("<p>%1 older events not shown.</p>\n").arg(events.size() - shown);
    }

    h += QStringLiteral("<h2>Syslog</h2>\n<p>%1 lines received, %2 lost.</p>\n<pre>")
             .arg(live.syslogReceived)
             .arg(live.syslogLost);
    const qsizetype first = std::max<qsizetype>(0, live.syslogLines.size() - SyslogLinesShown);
    for (qsizetype i = first; i < live.syslogLines.size(); ++i)
        h += Html(live.syslogLines[i]) + QLatin1Char('\n');
    h += QStringLiteral("</pre>\n<p><a href=\"%1\">Line report (PDF, 31 days)</a> "
                        "<a href=\"%2\">Metrics</a></p>\n</body></html>\n")
             .arg(Link("/report.pdf", "days=31", tokenQuery), Link("/metrics", {}, tokenQuery));
    return h.toUtf8();
}

namespace {

// The convention's base units: decibels as they are, power in watts, rates in bytes per second.
double Decibels(int64_t tenths) {
    return double(tenths) / 10.0;
}
double Watts(int64_t tenthsDbm) {
    return std::pow(10.0, double(tenthsDbm) / 100.0) / 1000.0;
}
double BytesPerSecond(int64_t bits) {
    return double(bits) / 8.0;
}

struct Family {
    const char* name;
    const char* type;
    const char* help;
};
constexpr Family kFamilies[] = {
    {"linescope_adsl_snr_margin_decibels", "gauge", "SNR margin at each end of the line."},
    {"linescope_adsl_attenuation_decibels", "gauge", "Line attenuation at each end."},
    {"linescope_adsl_output_power_watts", "gauge", "Output power at each end."},
    {"linescope_adsl_sync_rate_bytes_per_second", "gauge",
     "Rate each end transmits at (the sync rate)."},
    {"linescope_adsl_attainable_rate_bytes_per_second", "gauge",
     "Highest rate each end could attain."},
    {"linescope_adsl_errored_seconds_total", "counter", "Errored seconds since the agent reset."},
    {"linescope_adsl_initialisations_total", "counter", "Line initialisations (ATU-C)."},
    {"linescope_adsl_failures_total", "counter",
     "Loss of framing, signal, link and power failures since the agent reset."},
    {"linescope_wan_receive_bytes_total", "counter", "Octets the WAN interface received."},
    {"linescope_wan_transmit_bytes_total", "counter", "Octets the WAN interface sent."},
};
enum FamilyIndex { Snr, Atn, Pwr, Sync, Attainable, Es, Inits, Failures, WanIn, WanOut };

struct Row {
    FamilyIndex family;
    const char* labels;
    Col col;
    double (*convert)(int64_t) = nullptr; // null: exported as the integer it is
    Col fallback = ColumnCount;           // read when `col` is missing
};
constexpr Row kRows[] = {
    {Snr, "end=\"atuc\"", AtucCurrSnrMgn, Decibels},
    {Snr, "end=\"atur\"", AturCurrSnrMgn, Decibels},
    {Atn, "end=\"atuc\"", AtucCurrAtn, Decibels},
    {Atn, "end=\"atur\"", AturCurrAtn, Decibels},
    {Pwr, "end=\"atuc\"", AtucCurrOutputPwr, Watts},
    {Pwr, "end=\"atur\"", AturCurrOutputPwr, Watts},
    {Sync, "end=\"atuc\"", AtucChanCurrTxRate, BytesPerSecond},
    {Sync, "end=\"atur\"", AturChanCurrTxRate, BytesPerSecond},
    {Attainable, "end=\"atuc\"", AtucCurrAttainableRate, BytesPerSecond},
    {Attainable, "end=\"atur\"", AturCurrAttainableRate, BytesPerSecond},
    {Es, "end=\"atuc\"", AtucPerfESs},
    {Es, "end=\"atur\"", AturPerfESs},
    {Inits, "end=\"atuc\"", AtucPerfInits},
    {Failures, "end=\"atuc\",failure=\"lof\"", AtucPerfLofs},
    {Failures, "end=\"atuc\",failure=\"los\"", AtucPerfLoss},
    {Failures, "end=\"atuc\",failure=\"lol\"", AtucPerfLols},
    {Failures, "end=\"atuc\",failure=\"lpr\"", AtucPerfLprs},
    {Failures, "end=\"atur\",failure=\"lof\"", AturPerfLofs},
    {Failures, "end=\"atur\",failure=\"los\"", AturPerfLoss},
    {Failures, "end=\"atur\",failure=\"lpr\"", AturPerfLprs},
    // The 64-bit counters where the router has them; a 32-bit wrap reads as a counter reset.
    {WanIn, "", WanInOctets, nullptr, WanInOctets32},
    {WanOut, "", WanOutOctets, nullptr, WanOutOctets32},
};

void Header(QByteArray& out, const char* name, const char* type, const char* help) {
    out += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
}
void Line(QByteArray& out, const char* name, const QByteArray& labels, const QByteArray& value) {
    out += name;
    if (!labels.isEmpty()) out += '{' + labels + '}';
    out += ' ' + value + '\n';
}
QByteArray Number(double v) {
    return QByteArray::number(v, 'g', QLocale::FloatingPointShortest);
}

} // namespace

QByteArray Metrics(const LiveState& live, const HistoryStore* store) {
    QByteArray out;
    for (int f = 0; f < int(std::size(kFamilies)); ++f) {
        bool headed = false;
        for (const Row& row : kRows) {
            if (row.family != f) continue;
            auto v = Value(live, row.col);
            if (!v && row.fallback != ColumnCount) v = Value(live, row.fallback);
            if (!v) continue;
            if (!headed) Header(out, kFamilies[f].name, kFamilies[f].type, kFamilies[f].help);
            headed = true;
            Line(out, kFamilies[f].name, row.labels,
                 row.convert ? Number(row.convert(*v)) : QByteArray::number(qint64(*v)));
        }
    }
    if (store) {
        constexpr auto name = "linescope_line_events_total";
        static constexpr const char* kinds[EventKindCount] = {"resync", "line_down", "restart",
                                                              "low_margin", "error_burst"};
        std::array<qint64, EventKindCount> counts{};
        for (const Event& e : store->Events(0, std::numeric_limits<int64_t>::max()))
            if (int(e.kind) >= 1 && int(e.kind) <= EventKindCount) ++counts[int(e.kind) - 1];
        Header(out, name, "counter", "Line events in the stored history, by kind.");
        for (int k = 0; k < EventKindCount; ++k)
            Line(out, name, QByteArray("kind=\"") + kinds[k] + '"', QByteArray::number(counts[k]));
    }
    Header(out, "linescope_syslog_lines_received_total", "counter",
           "Syslog lines received since the server started.");
    Line(out, "linescope_syslog_lines_received_total", {},
         QByteArray::number(qulonglong(live.syslogReceived)));
    Header(out, "linescope_syslog_lines_lost_total", "counter",
           "Syslog lines lost to a full queue since the server started.");
    Line(out, "linescope_syslog_lines_lost_total", {},
         QByteArray::number(qulonglong(live.syslogLost)));
    Header(out, "linescope_router_up", "gauge", "Whether the router answers SNMP (1) or not (0).");
    Line(out, "linescope_router_up", {}, live.routerAnswers ? "1" : "0");
    if (live.upTime) {
        Header(out, "linescope_router_uptime_seconds", "gauge", "The router's sysUpTime.");
        Line(out, "linescope_router_uptime_seconds", {}, Number(double(*live.upTime) / 100.0));
    }
    if (live.sample) {
        Header(out, "linescope_last_sample_timestamp_seconds", "gauge",
               "When the last sample of the line was taken, seconds since the epoch.");
        Line(out, "linescope_last_sample_timestamp_seconds", {},
             QByteArray::number(qint64(live.sample->time)));
    }
    return out;
}

} // namespace service
