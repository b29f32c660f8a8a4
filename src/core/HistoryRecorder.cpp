#include "HistoryRecorder.h"

namespace core::history {

HistoryRecorder::HistoryRecorder(RouterQuery& query, Statistics& stats, Settings& settings,
                                 Clock& clock)
    : query_(query), stats_(stats), settings_(settings), clock_(clock) {}

std::vector<std::string> HistoryRecorder::Oids(const std::string& adslIndex,
                                               const std::string& wanIfxIndex,
                                               const std::string& wanIfIndex) {
    const auto known = [](const std::string& index) { return !index.empty() && index != "0"; };
    std::vector<std::string> oids;
    for (const Column& column : Columns()) {
        const std::string base = std::string(RouterQuery::MIBPrefix) + std::string(column.oid);
        switch (column.index) {
        case Index::Scalar:
            oids.push_back(base + ".0");
            break;
        case Index::Adsl:
            oids.push_back(known(adslIndex) ? base + "." + adslIndex : std::string());
            break;
        case Index::Wan:
            oids.push_back(known(wanIfIndex) ? base + "." + wanIfIndex : std::string());
            break;
        case Index::WanIfx:
            oids.push_back(known(wanIfxIndex) ? base + "." + wanIfxIndex : std::string());
            break;
        }
    }
    return oids;
}

Sample HistoryRecorder::Parse(int64_t time,
                              const std::vector<std::optional<snmp::TSNMPMib>>& values) {
    Sample sample;
    sample.time = time;
    for (int c = 0; c < ColumnCount && static_cast<std::size_t>(c) < values.size(); ++c) {
        const std::optional<snmp::TSNMPMib>& v = values[static_cast<std::size_t>(c)];
        if (!v) continue;
        const bool status = c == AtucCurrStatus || c == AturCurrStatus;
        if (status && v->ValueType == snmp::tag::OctetString) {
            // A BITS value: noDefect is the first octet's top bit, the defects follow it.
            if (!v->Value.empty()) sample.values[c] = static_cast<unsigned char>(v->Value[0]);
        } else if (v->ValueType != snmp::tag::OctetString || !v->Value.empty()) {
            sample.values[c] = snmp::LeadingInteger(v->Value);
        }
    }
    return sample;
}

std::optional<HistoryRecorder::Reading> HistoryRecorder::Take() {
    lastRequests_ = 0;
    if (!query_.RouterPresent) return std::nullopt;
    const std::vector<std::string> all =
        Oids(stats_.AdslIfIndex, stats_.WanIfxIndex, stats_.WanIfIndex);
    // Columns whose index is unknown are not asked for.
    std::vector<std::string> asked;
    std::vector<int> column;
    for (int c = 0; c < ColumnCount; ++c) {
        if (all[static_cast<std::size_t>(c)].empty()) continue;
        asked.push_back(all[static_cast<std::size_t>(c)]);
        column.push_back(c);
    }
    std::vector<std::optional<snmp::TSNMPMib>> got;
    query_.GetMany(asked, got, &lastRequests_);
    if (!query_.RouterPresent) return std::nullopt;
    std::vector<std::optional<snmp::TSNMPMib>> byColumn(ColumnCount);
    for (std::size_t i = 0; i < column.size(); ++i)
        byColumn[static_cast<std::size_t>(column[i])] = std::move(got[i]);

    Reading reading;
    reading.sample = Parse(clock_.Now().toSecsSinceEpoch(), byColumn);
    reading.sample.interval = settings_.HistoryInt;
    if (previous_) {
        const Thresholds limits{settings_.HistorySnrMin, settings_.HistoryEsBurst};
        reading.events = Compare(*previous_, reading.sample, limits);
    }
    previous_ = reading.sample;
    return reading;
}

} // namespace core::history
