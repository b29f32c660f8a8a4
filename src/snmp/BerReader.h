// The one place where the codec touches the octets of a received frame. Every read asks
// can_read() first, so a forged length or a cut frame can only end an item early, never make the
// decoder look past the datagram.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace snmp::detail {

class BerReader {
public:
    // `pos` may lie beyond the end (a caller's stale position): nothing is readable then.
    BerReader(std::string_view buffer, std::size_t pos) : buffer_(buffer), pos_(pos) {}

    [[nodiscard]] std::size_t position() const { return pos_; }
    [[nodiscard]] std::size_t remaining() const {
        return pos_ < buffer_.size() ? buffer_.size() - pos_ : 0;
    }
    [[nodiscard]] bool can_read(std::size_t n) const { return n <= remaining(); }

    // False (and no move) at the end of the buffer.
    bool read_octet(std::uint8_t& out) {
        if (!can_read(1)) return false;
        out = static_cast<std::uint8_t>(buffer_[pos_]);
        ++pos_;
        return true;
    }

    // The next `n` octets without moving; empty unless can_read(n).
    [[nodiscard]] std::string_view peek(std::size_t n) const {
        if (!can_read(n)) return {};
        return buffer_.substr(pos_, n);
    }

    // Moves past `n` octets, or to the end when fewer remain.
    void skip(std::size_t n) { pos_ += n < remaining() ? n : remaining(); }

    void skip_to_end() {
        if (pos_ < buffer_.size()) pos_ = buffer_.size();
    }

private:
    std::string_view buffer_;
    std::size_t pos_;
};

} // namespace snmp::detail
