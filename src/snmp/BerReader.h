// The one place where the codec touches the octets of a received frame. Every read asks
// can_read() first, so a forged length or a cut frame can only end an item early, never make the
// decoder look past the datagram. A constructed item is read by a reader over its own content,
// so nothing inside it can reach past its end either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace snmp::detail {

class BerReader {
public:
    // `pos` may lie beyond the end (a caller's stale position): nothing is readable then.
    explicit BerReader(std::string_view buffer, std::size_t pos = 0) : buffer_(buffer), pos_(pos) {}

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

    // Hands out the next `n` octets and moves past them; false (and no move) when fewer remain.
    // A constructed item's content read this way bounds everything inside it.
    bool take(std::size_t n, std::string_view& out) {
        if (!can_read(n)) return false;
        out = buffer_.substr(pos_, n);
        pos_ += n;
        return true;
    }

    // Moves past `n` octets, or to the end when fewer remain.
    void skip(std::size_t n) { pos_ += n < remaining() ? n : remaining(); }

private:
    std::string_view buffer_;
    std::size_t pos_;
};

} // namespace snmp::detail
