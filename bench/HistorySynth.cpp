#include "HistorySynth.h"

#include "core/Usage.h"

#include <QDateTime>
#include <algorithm>
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
    const bool restart = (line.weeklyRestarts && r % (7 * 86400 / step) == 0) ||
                         (line.restartAt >= 0 && time >= line.restartAt);
    if (restart) {
        line.upTime = line.inits = line.ess = line.lofs = line.blocks = line.corrected =
            line.uncorrected = line.inOctets = line.outOctets = 0;
        line.restartAt = -1;
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
    line.riseDown = int64_t(r % (step * 500000));
    line.riseUp = int64_t((r >> 20) % (step * 60000));
    line.inOctets += line.riseDown;
    line.outOctets += line.riseUp;
    if (restart) line.riseDown = line.riseUp = 0;
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
    s[WanInOctets32] = line.inOctets % (int64_t(1) << 32);
    s[WanOutOctets32] = line.outOctets % (int64_t(1) << 32);
    if (line.counters64) {
        s[WanInOctets] = line.inOctets;
        s[WanOutOctets] = line.outOctets;
    }
    s.interval = step;
    return s;
}

int64_t FillHistory(HistoryStore& store, int64_t end, int days, int64_t step, SynthPlan plan) {
    SynthLine& line = plan.line;
    int64_t stored = 0;
    std::optional<int64_t> last; // the last stored sample's time
    int64_t down = 0, up = 0;    // since then
    bool restarted = false;
    for (int64_t time = end - int64_t(days) * 86400; time < end; time += step) {
        std::vector<Event> events;
        const Sample s = SynthSample(line, time, step, events);
        down += line.riseDown;
        up += line.riseUp;
        restarted = restarted || std::any_of(events.begin(), events.end(), [](const Event& e) {
                        return e.kind == EventKind::Restart;
                    });
        if (time >= plan.gapFrom && time < plan.gapTo) continue;
        stored += store.Add(s, events);
        if (plan.known && last) {
            if (restarted) down = up = 0;
            if (!line.counters64) { // one wrap between samples is all a 32-bit counter shows
                down %= int64_t(1) << 32;
                up %= int64_t(1) << 32;
            }
            SynthDay& day = (*plan.known)[QDateTime::fromSecsSinceEpoch(time).date()];
            if (time - *last > GapIntervals * step) {
                day.unplacedDown += down;
                day.unplacedUp += up;
            } else {
                day.down += down;
                day.up += up;
                day.covered += time - *last;
            }
        }
        last = time;
        down = up = 0;
        restarted = false;
    }
    return stored;
}

} // namespace bench
