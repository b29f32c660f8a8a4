#include "SnmpdPeer.h"

#include "snmp/Transport.h"

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

SnmpdPeer::~SnmpdPeer() {
    Stop();
}

bool SnmpdPeer::Start() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (StartOnce()) return true;
        Stop();
    }
    return false;
}

bool SnmpdPeer::StartOnce() {
    char tmpl[] = "/tmp/linescope-bench-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
        error_ = "cannot create a temporary directory";
        return false;
    }
    dir_ = tmpl;
    std::filesystem::create_directories(StateDir());
    port_ = static_cast<uint16_t>(FreeUdpPort());
    if (port_ == 0) {
        error_ = "no free loopback port";
        return false;
    }

    const std::string conf = dir_ + "/snmpd.conf";
    {
        std::ofstream out(conf);
        out << "agentAddress udp:127.0.0.1:" << port_ << "\n"
            << "rocommunity public 127.0.0.1\n"
            << "sysDescr LineScope benchmark peer\n"
            << "sysObjectID .1.3.6.1.4.1.99999\n"
            // Logging each request would cost the agent more than answering it.
            << "dontLogTCPWrappersConnects yes\n";
        for (int i = 1; i <= kInstances; ++i)
            out << "override ." << kSubtree << ".1." << i << " integer " << i << "\n";
    }

    // setpriv: an interrupted benchmark must not leave its agent behind. -I -smux: no SMUX
    // listener on TCP 199, which another agent may hold.
    if (!snmpd_.Start({"setpriv", "--pdeathsig", "TERM", "env",
                       "MIBS=", "SNMP_PERSISTENT_DIR=" + StateDir(), "snmpd", "-f", "-Lf",
                       dir_ + "/snmpd.log", "-C", "-I", "-smux", "-c", conf, "-p",
                       dir_ + "/snmpd.pid"})) {
        error_ = snmpd_.err;
        return false;
    }
    const Deadline deadline = DeadlineIn(5000);
    while (RemainingMs(deadline) > 0) {
        if (snmpd_.Exited()) {
            error_ = "snmpd exited at start (see " + dir_ + "/snmpd.log)";
            return false;
        }
        snmp::TSNMPSend probe;
        probe.SetTarget(Address());
        probe.Timeout = 100;
        probe.Query.Community = "public";
        probe.Query.PDUType = snmp::tag::GetRequest;
        probe.Query.AddVarBind("1.3.6.1.2.1.1.1.0", "", snmp::tag::Null);
        if (probe.SendRequest() && !probe.Reply.FindValue("1.3.6.1.2.1.1.1.0").empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error_ = "snmpd did not answer within 5 s";
    return false;
}

void SnmpdPeer::Stop() {
    snmpd_.Stop(3000);
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        dir_.clear();
    }
}
