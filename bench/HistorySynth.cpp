#include "HistorySynth.h"

#include <cmath>
#include <numbers>

namespace bench {

using namespace core::history;

namespace {

uint64_t Next(uint64_t& x) { // xorshift: the same history on every run
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return x;
}

} // namespace

Sample SynthSample(SynthLine& line, int64_t time, int64_t step, std::vector<Event>& events) {
    const uint64_t r = Next(line.random);
    const double evening = std::sin(2 * std::numbers::pi * double(time % 86400) / 86400.0);
    if (r % (7 * 86400 / step) == 0) { // about once a week the router restarts
        line = SynthLine{0, 0, 0, 0, 0, 0, 0, 0, 0, line.downRate, line.upRate, line.random};
        events.push_back({time, EventKind::Restart, QStringLiteral("sysUpTime went back")});
    }
    if (r % (10 * 86400 / step) == 1) { // a resync every ten days or so
        const int64_t before = line.downRate;
        line.downRate = before == 8128 ? 7616 : 8128;
        ++line.inits;
        events.push_back(
            {time, EventKind::Resync,
             QStringLiteral("ATU-R rate %1 -> %2 kbit/s").arg(before).arg(line.downRate)});
    }
    const bool burst = r % 997 == 3;
    line.upTime += step * 100;
    line.ess += burst ? 12 + int64_t(r % 20) : int64_t(r % 50 == 0);
    line.lofs += int64_t(r % 5000 == 0);
    line.blocks += step * 4000;
    line.corrected += int64_t(r % 300);
    line.uncorrected += burst ? int64_t(r % 40) : 0;
    line.inOctets += int64_t(r % (step * 500000));
    line.outOctets += int64_t((r >> 20) % (step * 60000));
    if (burst) events.push_back({time, EventKind::ErrorBurst, QStringLiteral("ESs rose by 12")});

    Sample s;
    s.time = time;
    const int64_t snr = 90 + int64_t(25 * evening) + int64_t(r % 7);
    s[AtucCurrSnrMgn] = snr + 30;
    s[AturCurrSnrMgn] = snr;
    s[AtucCurrAtn] = 215;
    s[AturCurrAtn] = 385 + int64_t(r % 3);
    s[AtucCurrAttainableRate] = 1200000;
    s[AturCurrAttainableRate] = 9800000 - int64_t(r % 200000);
    s[AtucCurrOutputPwr] = 120;
    s[AturCurrOutputPwr] = 125;
    s[AtucCurrStatus] = s[AturCurrStatus] = NoDefect;
    s[AtucChanCurrTxRate] = line.downRate * 1000;
    s[AturChanCurrTxRate] = line.upRate * 1000;
    s[AtucPerfLofs] = s[AturPerfLofs] = line.lofs;
    s[AtucPerfLoss] = s[AturPerfLoss] = 0;
    s[AtucPerfLols] = 0;
    s[AtucPerfLprs] = s[AturPerfLprs] = 0;
    s[AtucPerfESs] = line.ess / 3;
    s[AturPerfESs] = line.ess;
    s[AtucPerfInits] = line.inits;
    s[AtucChanReceivedBlks] = s[AturChanTransmittedBlks] = line.blocks / 8;
    s[AtucChanTransmittedBlks] = s[AturChanReceivedBlks] = line.blocks;
    s[AtucChanCorrectedBlks] = line.corrected / 10;
    s[AturChanCorrectedBlks] = line.corrected;
    s[AtucChanUncorrectBlks] = 0;
    s[AturChanUncorrectBlks] = line.uncorrected;
    s[SysUpTime] = line.upTime;
    s[WanInOctets] = line.inOctets;
    s[WanOutOctets] = line.outOctets;
    return s;
}

int64_t FillHistory(HistoryStore& store, int64_t end, int days, int64_t step) {
    SynthLine line;
    int64_t stored = 0;
    for (int64_t time = end - int64_t(days) * 86400; time < end; time += step) {
        std::vector<Event> events;
        const Sample s = SynthSample(line, time, step, events);
        stored += store.Add(s, events);
    }
    return stored;
}

} // namespace bench
