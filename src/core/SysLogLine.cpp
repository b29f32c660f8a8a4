#include "SysLogLine.h"

namespace core {

std::string SysLogLineFromDatagram(std::string_view datagram, const SysLogLineOptions& options,
                                   std::string_view senderAddress, uint16_t senderPort) {
    std::string_view text = datagram.substr(0, std::min(datagram.size(), SysLogBufferSize));
    if (const std::size_t lf = text.find('\n'); lf != std::string_view::npos)
        text = text.substr(0, lf);
    if (options.removePriority) {
        if (const std::size_t gt = text.find('>'); gt != std::string_view::npos)
            text = text.substr(gt + 1);
    }
    std::string line;
    if (options.addSender) {
        line.reserve(senderAddress.size() + text.size() + 12);
        line += "( ";
        line += senderAddress;
        line += ':';
        line += std::to_string(senderPort);
        line += " ) ";
    }
    line += text;
    return line;
}

} // namespace core
