#include "History.h"

#include <QDateTime>
#include <QLocale>

namespace core::history {

namespace {

constexpr Column kColumns[] = {
    {"adslAtucCurrSnrMgn", "10.94.1.1.2.1.4", Index::Adsl, false},
    {"adslAtucCurrAtn", "10.94.1.1.2.1.5", Index::Adsl, false},
    {"adslAtucCurrAttainableRate", "10.94.1.1.2.1.8", Index::Adsl, false},
    {"adslAtucCurrOutputPwr", "10.94.1.1.2.1.7", Index::Adsl, false},
    {"adslAtucCurrStatus", "10.94.1.1.2.1.6", Index::Adsl, false},
    {"adslAtucChanCurrTxRate", "10.94.1.1.4.1.2", Index::Adsl, false},
    {"adslAtucPerfLofs", "10.94.1.1.6.1.1", Index::Adsl, true},
    {"adslAtucPerfLoss", "10.94.1.1.6.1.2", Index::Adsl, true},
    {"adslAtucPerfLols", "10.94.1.1.6.1.3", Index::Adsl, true},
    {"adslAtucPerfLprs", "10.94.1.1.6.1.4", Index::Adsl, true},
    {"adslAtucPerfESs", "10.94.1.1.6.1.5", Index::Adsl, true},
    {"adslAtucPerfInits", "10.94.1.1.6.1.6", Index::Adsl, true},
    {"adslAtucChanReceivedBlks", "10.94.1.1.10.1.1", Index::Adsl, true},
    {"adslAtucChanTransmittedBlks", "10.94.1.1.10.1.2", Index::Adsl, true},
    {"adslAtucChanCorrectedBlks", "10.94.1.1.10.1.3", Index::Adsl, true},
    {"adslAtucChanUncorrectBlks", "10.94.1.1.10.1.4", Index::Adsl, true},
    {"adslAturCurrSnrMgn", "10.94.1.1.3.1.4", Index::Adsl, false},
    {"adslAturCurrAtn", "10.94.1.1.3.1.5", Index::Adsl, false},
    {"adslAturCurrAttainableRate", "10.94.1.1.3.1.8", Index::Adsl, false},
    {"adslAturCurrOutputPwr", "10.94.1.1.3.1.7", Index::Adsl, false},
    {"adslAturCurrStatus", "10.94.1.1.3.1.6", Index::Adsl, false},
    {"adslAturChanCurrTxRate", "10.94.1.1.5.1.2", Index::Adsl, false},
    {"adslAturPerfLofs", "10.94.1.1.7.1.1", Index::Adsl, true},
    {"adslAturPerfLoss", "10.94.1.1.7.1.2", Index::Adsl, true},
    {"adslAturPerfLprs", "10.94.1.1.7.1.3", Index::Adsl, true},
    {"adslAturPerfESs", "10.94.1.1.7.1.4", Index::Adsl, true},
    {"adslAturChanReceivedBlks", "10.94.1.1.11.1.1", Index::Adsl, true},
    {"adslAturChanTransmittedBlks", "10.94.1.1.11.1.2", Index::Adsl, true},
    {"adslAturChanCorrectedBlks", "10.94.1.1.11.1.3", Index::Adsl, true},
    {"adslAturChanUncorrectBlks", "10.94.1.1.11.1.4", Index::Adsl, true},
    {"sysUpTime", "1.3", Index::Scalar, false},
    {"ifHCInOctets", "31.1.1.1.6", Index::WanIfx, true},
    {"ifHCOutOctets", "31.1.1.1.10", Index::WanIfx, true},
};
static_assert(std::size(kColumns) == ColumnCount);

} // namespace

std::span<const Column> Columns() {
    return kColumns;
}

QString EventName(EventKind kind) {
    switch (kind) {
    case EventKind::Resync:
        return QStringLiteral("Resync");
    case EventKind::LineDown:
        return QStringLiteral("Line down");
    case EventKind::Restart:
        return QStringLiteral("Router restart");
    case EventKind::LowMargin:
        return QStringLiteral("Low SNR margin");
    case EventKind::ErrorBurst:
        return QStringLiteral("Errored seconds burst");
    }
    return {};
}

QString EventLogLine(const Event& event) {
    const QLocale locale = QLocale::system();
    const QDateTime when = QDateTime::fromSecsSinceEpoch(event.time);
    return QStringLiteral("**** Line event: %1 on %2 at %3: %4 ****")
        .arg(EventName(event.kind), locale.toString(when.date(), QLocale::LongFormat),
             locale.toString(when.time(), QLocale::LongFormat), event.detail);
}

} // namespace core::history
