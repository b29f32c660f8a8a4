// A plain UDP sender on 127.0.0.1, the simplest syslog client there is.
#pragma once

#include "snmp/UdpSocket.h"

#include <arpa/inet.h>

struct UdpSender : snmp::UdpSocket {
    UdpSender() { Bind("127.0.0.1", "0"); }
    void Send(uint16_t to, std::string_view bytes) { SendTo({htonl(INADDR_LOOPBACK), to}, bytes); }
};
