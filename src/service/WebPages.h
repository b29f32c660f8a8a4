// What the web side says, as bytes: the status page, the Prometheus metrics and the bounded
// parsing of a request's query. Pure functions of a LiveState and the history, so the server
// only routes and checks access.
#pragma once

#include "WebSource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

namespace service {

// The parameters a route may take; each at most once.
enum Param : unsigned { SpanParam = 1, DaysParam = 2, TokenParam = 4 };
inline constexpr qsizetype MaxQueryBytes = 512;
inline constexpr int MaxReportDays = 366;

struct Query {
    Span span = Span::Day;
    int days = 31;
    std::optional<QByteArray> token;
    unsigned present = 0; // the Params the query held
};
// `encoded`: the query as it came, percent-encoded. Nothing, with a short reason in `error`, for
// a query that is too long, repeats or names a parameter the route does not take (`allowed`),
// or holds a value out of bounds (span one of 1h, 24h, 7d, 30d, 1y; days 1 to 366).
std::optional<Query> ParseQuery(QByteArrayView encoded, unsigned allowed, QString& error);

// "/chart/snr.png" and the rest; the chart a path names, if any.
[[nodiscard]] const char* ChartPath(Chart chart);
[[nodiscard]] std::optional<Chart> ChartAt(QByteArrayView path);
inline constexpr QSize ChartSize{800, 300};

// Text from the router or a syslog sender made safe for an HTML element or a double-quoted
// attribute: markup characters escaped, control characters replaced.
QString Html(const QString& text);

// The page's one style sheet; the Content-Security-Policy names its hash, so nothing else can
// style or script the page.
QByteArray PageStyle();

// The status page over `span` ending `now` (seconds since the epoch). `tokenQuery` ("token=…")
// is carried in its links when the page was asked for with one.
QByteArray StatusPage(const LiveState& live, const core::history::HistoryStore* store, Span span,
                      int64_t now, const QByteArray& tokenQuery);

// The Prometheus text format (version 0.0.4). What the last sample lacks is left out.
QByteArray Metrics(const LiveState& live, const core::history::HistoryStore* store);

} // namespace service
