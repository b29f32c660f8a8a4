// One syslog datagram becomes one log line. Standard library only, so the fuzzer builds it alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// The listener reads at most this much of a datagram; the rest of a longer one is dropped.
inline constexpr std::size_t SysLogBufferSize = 8192;

struct SysLogLineOptions {
    bool removePriority = true; // SLRemError: drop everything up to and including the first '>'
    bool addSender = false;     // SLSender: "( address:port ) " in front
};

// The bytes stay bytes: a NUL or an 8-bit byte is kept as it came, only the first line feed and
// what follows it are dropped.
std::string SysLogLineFromDatagram(std::string_view datagram, const SysLogLineOptions& options,
                                   std::string_view senderAddress, uint16_t senderPort);

} // namespace core
