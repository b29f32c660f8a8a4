// The volume the WAN carried over a span, as bars of down and up octets per day (per hour for
// the short spans), in MB or GB. Only what was placed in an hour makes a bar: a bucket with
// nothing recorded has none, so a gap reads as a gap, never as no use; octets that arrived
// across a gap are in the span's total in the legend, in no bar.
#pragma once

#include "chart/HistoryChart.h"

namespace chart {

// Reads the buckets of the query's span, widened to whole days or hours.
[[nodiscard]] HistoryContent ReadUsage(const core::history::HistoryStore* store,
                                       const HistoryQuery& query);
void ShowUsage(ChartModel& model, const HistoryContent& content);

} // namespace chart
