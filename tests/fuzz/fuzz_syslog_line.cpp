// libFuzzer target: any datagram becomes one line without a line feed, never longer than the
// receive buffer plus the sender prefix, and with both options off a prefix of the datagram.
#include "core/SysLogLine.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const core::SysLogLineOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0};
    const std::string_view datagram(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string line =
        core::SysLogLineFromDatagram(datagram, options, "192.168.1.254", 65535);
    const std::size_t prefix = options.addSender ? 24 : 0;
    if (line.find('\n') != std::string::npos || line.size() > core::SysLogBufferSize + prefix)
        std::abort();
    if (!options.removePriority && !options.addSender && datagram.substr(0, line.size()) != line)
        std::abort();
    return 0;
}
