#include "History.h"

#include "Formatters.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <utility>

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
    {"ifInOctets", "2.2.1.10", Index::Wan, true, 3},
    {"ifOutOctets", "2.2.1.16", Index::Wan, true, 3},
    {"ifHCInOctets", "31.1.1.1.6", Index::WanIfx, true},
    {"ifHCOutOctets", "31.1.1.1.10", Index::WanIfx, true},
};
static_assert(std::size(kColumns) == ColumnCount);

// The two ends as events name them, with their columns.
struct End {
    const char* name;
    Col snr, status, rate, ess;
};
constexpr End kEnds[] = {
    {"ATU-C", AtucCurrSnrMgn, AtucCurrStatus, AtucChanCurrTxRate, AtucPerfESs},
    {"ATU-R", AturCurrSnrMgn, AturCurrStatus, AturChanCurrTxRate, AturPerfESs},
};

// By the names the ADSL page shows; a bit it has no name for by the octet's value.
QString Status(int64_t status) {
    const QString names =
        QString::fromStdString(StrToCurrStatus(std::string(1, static_cast<char>(status))).text)
            .simplified();
    return names.isEmpty() || (IsDefect(status) && !names.contains(QLatin1String("loss")))
               ? QStringLiteral("0x%1").arg(status, 2, 16, QLatin1Char('0'))
               : names;
}

QString Tenths(int64_t v) {
    return QString::number(static_cast<double>(v) / 10.0, 'f', 1);
}

// sysUpTime's hundredths of a second as "3 d 04:05:06".
QString UpTime(int64_t hundredths) {
    const int64_t s = hundredths / 100;
    const QString clock = QStringLiteral("%1:%2:%3")
                              .arg(s / 3600 % 24, 2, 10, QLatin1Char('0'))
                              .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                              .arg(s % 60, 2, 10, QLatin1Char('0'));
    return s >= 86400 ? QStringLiteral("%1 d %2").arg(s / 86400).arg(clock) : clock;
}

} // namespace

std::vector<Event> Compare(const Sample& before, const Sample& now, const Thresholds& limits) {
    // Both values of a column, when both samples have it.
    const auto pair = [&](Col c) -> std::optional<std::pair<int64_t, int64_t>> {
        if (!before[c] || !now[c]) return std::nullopt;
        return std::pair{*before[c], *now[c]};
    };
    QStringList found[EventKindCount];
    const auto note = [&](EventKind kind, const QString& what) {
        found[static_cast<int>(kind) - 1].append(what);
    };

    for (const End& end : kEnds) {
        const QString name = QLatin1String(end.name);
        if (const auto rate = pair(end.rate); rate && rate->first != rate->second)
            note(EventKind::Resync, QStringLiteral("%1 rate %2 -> %3 kbit/s")
                                        .arg(name)
                                        .arg(rate->first / 1000)
                                        .arg(rate->second / 1000));
        if (const auto status = pair(end.status)) {
            const QString change = QStringLiteral("%1 status %2 -> %3")
                                       .arg(name, Status(status->first), Status(status->second));
            if (IsDefect(status->first) && !IsDefect(status->second))
                note(EventKind::Resync, change);
            else if (!IsDefect(status->first) && IsDefect(status->second))
                note(EventKind::LineDown, change);
        }
        if (const auto snr = pair(end.snr);
            snr && snr->first >= limits.snrMinTenths && snr->second < limits.snrMinTenths)
            note(EventKind::LowMargin, QStringLiteral("%1 SNR margin %2 -> %3 dB")
                                           .arg(name, Tenths(snr->first), Tenths(snr->second)));
    }
    if (const auto inits = pair(AtucPerfInits); inits && inits->second > inits->first)
        note(EventKind::Resync,
             QStringLiteral("Inits %1 -> %2").arg(inits->first).arg(inits->second));
    const auto up = pair(SysUpTime);
    const bool restarted = up && up->second < up->first;
    if (restarted)
        note(EventKind::Restart,
             QStringLiteral("uptime %1 -> %2").arg(UpTime(up->first), UpTime(up->second)));
    // Counters start again at a restart, so their rise across one means nothing.
    for (const End& end : kEnds)
        if (const auto ess = pair(end.ess); !restarted && ess && ess->second > ess->first &&
                                            ess->second - ess->first >= limits.esBurst)
            note(EventKind::ErrorBurst, QStringLiteral("%1 ESs +%2 (%3 -> %4)")
                                            .arg(QLatin1String(end.name))
                                            .arg(ess->second - ess->first)
                                            .arg(ess->first)
                                            .arg(ess->second));

    std::vector<Event> events;
    for (int k = 0; k < EventKindCount; ++k)
        if (!found[k].isEmpty())
            events.push_back(
                {now.time, static_cast<EventKind>(k + 1), found[k].join(QStringLiteral(", "))});
    return events;
}

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

QString EventTime(int64_t time) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(time), QLocale::ShortFormat);
}

QStringList EventLines(const std::vector<Event>& events) {
    QStringList lines;
    for (const Event& event : events)
        lines.append(EventTime(event.time) + QStringLiteral("  ") + EventName(event.kind) +
                     QStringLiteral("  ") + event.detail);
    return lines;
}

} // namespace core::history
