// Reads one sample of the line in as few requests as the router allows and tells the events it
// reveals against the sample before it. Blocks the calling thread for the read, like every page
// read, and obeys the same lost-router rule.
#pragma once

#include "History.h"
#include "RouterQuery.h"
#include "Seams.h"
#include "Settings.h"
#include "Statistics.h"

#include <optional>
#include <string>
#include <vector>

namespace core::history {

class HistoryRecorder {
public:
    HistoryRecorder(RouterQuery& query, Statistics& stats, Settings& settings, Clock& clock);

    // The full OID of every column at the given indices (texts as Statistics keeps them), in
    // Col order; empty for a column whose index is unknown (empty or "0").
    static std::vector<std::string> Oids(const std::string& adslIndex,
                                         const std::string& wanIfxIndex,
                                         const std::string& wanIfIndex);

    // The sample a set of varbinds holds, timed `time`: integers as they are, the status
    // bitmap's first octet, nothing where no varbind is.
    static Sample Parse(int64_t time, const std::vector<std::optional<snmp::TSNMPMib>>& values);

    struct Reading {
        Sample sample;
        std::vector<Event> events; // against this session's previous sample
    };
    // Reads a sample now and compares it with the previous one, which it then replaces.
    // Nothing, and nothing sent, while the router is absent; nothing either when the read lost
    // the router (a sample of an outage would only tell that it had no values).
    std::optional<Reading> Take();

    // The next sample is compared with nothing: the router it would be compared with may be
    // another one.
    void Forget() { previous_.reset(); }
    // The sample the last Take read, until Forget.
    [[nodiscard]] const std::optional<Sample>& Last() const { return previous_; }

    // Requests the last Take sent.
    [[nodiscard]] int LastRequests() const { return lastRequests_; }

private:
    RouterQuery& query_;
    Statistics& stats_;
    Settings& settings_;
    Clock& clock_;
    std::optional<Sample> previous_;
    int lastRequests_ = 0;
};

} // namespace core::history
