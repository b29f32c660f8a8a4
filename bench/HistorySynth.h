// A synthetic line history: minute samples of a line that behaves like a real one (the margin
// sinks in the evening, errors come in bursts, a resync now and then, a weekly router restart,
// the 32-bit octets wrapping every few hours), written through the store's own Add, so the file
// is what LineScope itself would leave. It can also leave a gap, restart the router when asked,
// drop the 64-bit counters, and tell the volumes a correct reading finds per day.
#pragma once

#include "core/HistoryStore.h"

#include <QDate>
#include <cstdint>
#include <map>

namespace bench {

struct SynthLine {
    int64_t upTime = 0; // hundredths of a second
    int64_t inits = 1, ess = 0, lofs = 0, blocks = 0, corrected = 0, uncorrected = 0;
    int64_t inOctets = 0, outOctets = 0;
    int64_t downRate = 8128, upRate = 1024;
    uint64_t random = 88172645463325252ull;
    bool counters64 = true;     // false: a router with the 32-bit octets only
    bool weeklyRestarts = true; // at random, about once a week
    int64_t restartAt = -1;     // a restart at the first sample from this time on
    // What the last sample's octets show since the one before: 0 at a restart.
    int64_t riseDown = 0, riseUp = 0;
};

// What a day's samples add up to, as the usage should find it.
struct SynthDay {
    int64_t down = 0, up = 0, unplacedDown = 0, unplacedUp = 0;
    int64_t covered = 0; // seconds
};

struct SynthPlan {
    SynthLine line;
    int64_t gapFrom = 0, gapTo = 0;             // no sample stored in [gapFrom, gapTo)
    std::map<QDate, SynthDay>* known = nullptr; // filled per local day when given
};

// The sample at `time`, `step` seconds after the one before; events it brings go to `events`.
core::history::Sample SynthSample(SynthLine& line, int64_t time, int64_t step,
                                  std::vector<core::history::Event>& events);

// Adds `days` of samples every `step` seconds, ending at `end`. The number stored.
int64_t FillHistory(core::history::HistoryStore& store, int64_t end, int days, int64_t step = 60,
                    SynthPlan plan = {});

} // namespace bench
