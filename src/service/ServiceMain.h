// The service's command-line modes, each run before any window library is touched:
// `linescope --service [--syslog-port N]` runs the recorder without a window until SIGTERM;
// `linescope --service-listen ADDR:PORT` sets ServiceListen alone and exits;
// `linescope --service-token` prints the token that addresses beyond 127.0.0.1 and [::1] need.
#pragma once

namespace service {

int RunService(int argc, char** argv);
int SetServiceListen(int argc, char** argv);
int PrintServiceToken(int argc, char** argv);

} // namespace service
