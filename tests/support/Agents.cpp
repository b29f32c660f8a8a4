#include "Agents.h"

#include "Transport.h"

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
    // The control object of tests/agent/variation/linesteps.py, in the router maker's enterprise.
    constexpr const char* control = "1.3.6.1.4.1.40917.99.1.0";
    const std::string value = std::to_string(step);
    snmp::TSNMPSend send;
    send.SetTarget(Address());
    send.Query.Clear();
    send.Query.Community = MovingCommunity;
    send.Query.PDUType = snmp::tag::SetRequest;
    send.Query.AddVarBind(control, value, snmp::tag::Integer);
    // A step out of range comes back as noSuchInstance instead of the value.
    return send.SendRequest() && send.Reply.ErrorStatus == 0 && send.Reply.VarBindCount() == 1 &&
           send.Reply.VarBind(0).ValueType == snmp::tag::Integer &&
           send.Reply.VarBind(0).Value == value;
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
