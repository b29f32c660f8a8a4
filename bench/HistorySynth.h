// A synthetic line history: minute samples of a line that behaves like a real one (the margin
// sinks in the evening, errors come in bursts, a resync now and then, a weekly router restart),
// written through the store's own Add, so the file is what LineScope itself would leave.
#pragma once

#include "HistoryStore.h"

#include <cstdint>

namespace bench {

struct SynthLine {
    int64_t upTime = 0; // hundredths of a second
    int64_t inits = 1, ess = 0, lofs = 0, blocks = 0, corrected = 0, uncorrected = 0;
    int64_t inOctets = 0, outOctets = 0;
    int64_t downRate = 8128, upRate = 1024;
    uint64_t random = 88172645463325252ull;
};

// The sample at `time`, `step` seconds after the one before; events it brings go to `events`.
core::history::Sample SynthSample(SynthLine& line, int64_t time, int64_t step,
                                  std::vector<core::history::Event>& events);

// Adds `days` of samples every `step` seconds, ending at `end`. The number stored.
int64_t FillHistory(core::history::HistoryStore& store, int64_t end, int days, int64_t step = 60);

} // namespace bench
