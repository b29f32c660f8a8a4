// The events two samples in a row reveal, at the edges the moving line's scenario does not walk:
// thresholds to the unit, both ends in one event, a defect after a defect, a restart hiding a
// counter's rise; and the texts that name them.
#include "History.h"

#include <gtest/gtest.h>

using namespace core::history;

TEST(HistoryEvents, EdgesAndTexts) {
    using Values = std::vector<std::pair<Col, int64_t>>;
    const struct {
        Values before, now;
        std::vector<QString> said; // "kind: detail" of each event
    } cases[] = {
        {{{AtucChanCurrTxRate, 8128000}, {AturChanCurrTxRate, 448000}, {AtucCurrSnrMgn, 30}},
         {{AtucChanCurrTxRate, 6144000}, {AturChanCurrTxRate, 384000}, {AtucCurrSnrMgn, 29}},
         {"Resync: ATU-C rate 8128 -> 6144 kbit/s, ATU-R rate 448 -> 384 kbit/s",
          "Low SNR margin: ATU-C SNR margin 3.0 -> 2.9 dB"}},
        {{{AtucCurrStatus, 0x20}, {AturCurrStatus, 0x80}, {AturPerfESs, 12}, {AtucCurrSnrMgn, 29}},
         {{AtucCurrStatus, 0x40}, {AturCurrStatus, 0x10}, {AturPerfESs, 22}, {AtucCurrSnrMgn, 2}},
         {"Line down: ATU-R status noDefect -> 0x10",
          "Errored seconds burst: ATU-R ESs +10 (12 -> 22)"}},
        {{{SysUpTime, 104928200}, {AtucPerfESs, 3}, {AturCurrStatus, 0x20}},
         {{SysUpTime, 4500}, {AtucPerfESs, 40}, {AturCurrStatus, 0x80}},
         {"Resync: ATU-R status 0x20 -> noDefect",
          "Router restart: uptime 12 d 03:28:02 -> 00:00:45"}},
    };
    for (const auto& c : cases) {
        Sample before, now;
        for (const auto& [col, v] : c.before)
            before[col] = v;
        for (const auto& [col, v] : c.now)
            now[col] = v;
        std::vector<QString> said;
        for (const Event& e : Compare(before, now, Thresholds{30, 10}))
            said.push_back(EventName(e.kind) + ": " + e.detail);
        EXPECT_EQ(said, c.said);
    }
}
