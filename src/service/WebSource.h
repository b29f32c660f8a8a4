// What the web side serves from and what it asks others to draw. The service fills a WebSource
// from its recorder and syslog server; a request only reads it, so no request sends SNMP.
#pragma once

#include "core/History.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace core::history {
class HistoryStore;
}

namespace service {

// The line and the router as last seen, copied out for one request.
struct LiveState {
    std::optional<core::history::Sample> sample; // the last one taken; its time is sample->time
    bool routerAnswers = false;
    QString sysDescr;              // the router's identity line; empty: not known
    std::optional<int64_t> upTime; // sysUpTime in hundredths of a second, from the last read
    uint64_t syslogReceived = 0;   // lines the syslog server took in since it started
    uint64_t syslogLost = 0;       // and lost to a full queue
    QStringList syslogLines;       // the newest lines, oldest first; the page shows 200
};

class WebSource {
public:
    virtual ~WebSource() = default;
    [[nodiscard]] virtual LiveState Live() const = 0;
    // The history in Read mode, owned by the source and used in the server's thread alone;
    // null while there is none.
    [[nodiscard]] virtual const core::history::HistoryStore* History() const = 0;
};

// The graph's five spans, in GraphSpan's order (0 to 4).
enum class Span { Hour, Day, Week, Month, Year };
inline constexpr int SpanCount = 5;
[[nodiscard]] int64_t SpanSeconds(Span span);
[[nodiscard]] const char* SpanName(Span span); // "1h", "24h", "7d", "30d", "1y"

// The history views of the graph page, and the usage.
enum class Chart { SnrMargin, Attenuation, Rates, Errors, Usage };
inline constexpr int ChartCount = 5;

// A chart over the span ending now, drawn at `size` by the window's chart class, as PNG bytes;
// empty when it cannot be drawn.
using ChartRenderer = std::function<QByteArray(Chart chart, Span span, QSize size)>;
// The line report over the last `days` days (1 to 366) as PDF bytes; empty when it cannot be made.
using ReportRenderer = std::function<QByteArray(int days)>;

} // namespace service
