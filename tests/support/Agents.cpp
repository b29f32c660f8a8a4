#include "Agents.h"

#include "snmp/Transport.h"

#include <cstdlib>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

bool AgentProcess::Start() {
    if (Running()) return true;
    // Another test may take the port between FreeUdpPort and the agent's bind: try again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        port_ = FreeUdpPort(host_);
        if (port_ == 0) continue;
        if (!process_.Start(
                {"bash", SourceDir() + "/tests/agent/" + script_, host_, std::to_string(port_)}))
            return false;
        // The script prints a line "ready" once the agent answers.
        const std::string& out = process_.out;
        if (process_.ReadUntil(DeadlineIn(StartTimeoutMs), [&] {
                return out.rfind("ready\n", 0) == 0 || out.find("\nready\n") != std::string::npos;
            }))
            return true;
        Stop();
    }
    return false;
}

bool SimulatedRouter::SelectStep(int step) const {
    // The control object of tests/agent/variation/linesteps.py. It refuses a step out of range
    // (noSuchInstance in a noError reply), so only the read-back confirms the step.
    const std::string control = "1.3.6.1.4.1.40917.99.1.0", value = std::to_string(step);
    std::string now;
    return snmp::SNMPSetValue(control, MovingCommunity, Address(), snmp::tag::Integer, value) &&
           snmp::SNMPGetValue(control, MovingCommunity, Address(), now) && now == value;
}

SimulatedRouter* SharedSimulatedRouter() {
    static std::unique_ptr<SimulatedRouter> router = [] {
        auto r = std::make_unique<SimulatedRouter>();
        return r->Start() ? std::move(r) : nullptr;
    }();
    return router.get();
}

std::string SourceDir() {
    const char* env = std::getenv("LINESCOPE_SOURCE_DIR");
    return env != nullptr && *env != '\0' ? env : LINESCOPE_SOURCE_DIR_DEFAULT;
}
