// The item-level readers on arbitrary octets: every read stays inside the buffer, moves forward
// or stops, and OID texts survive a trip through their encoding.
#include "snmp/Codec.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // Walk the buffer item by item, as Decode does, from the start and from an odd offset.
    for (std::size_t start : {std::size_t{0}, std::size_t{1}}) {
        std::size_t pos = start;
        while (pos < size) {
            const std::size_t before = pos;
            const snmp::Item item = snmp::ReadItem(input, pos);
            if (pos > size || item.tag < 0 || item.tag > 0xFF) __builtin_trap();
            if (pos == before) break; // fewer than two octets left
            if (pos < before + 2 && pos != size) __builtin_trap();
        }
    }

    for (std::size_t offset = 0; offset < size && offset < 64; ++offset) {
        std::size_t pos = offset;
        const int64_t length = snmp::DecodeLength(input, pos);
        if (length < -1 || length > std::numeric_limits<int32_t>::max() || pos > size)
            __builtin_trap();
        if (length >= 0 && pos <= offset) __builtin_trap();
    }

    // Subidentifiers decoded from anything re-encode to a canonical form that reads the same.
    const std::string text = snmp::BerToOidText(input);
    if (!input.empty() && snmp::BerToOidText(snmp::OidTextToBer(text)) != text) __builtin_trap();

    // The same octets as text: the text readers must not trip over them either.
    const std::string_view a = input.substr(0, size / 2);
    const std::string_view b = input.substr(size / 2);
    if (snmp::OidGreater(a, b) && snmp::OidGreater(b, a)) __builtin_trap();
    if (snmp::OidGreater(a, a)) __builtin_trap();
    (void)snmp::LeadingInteger(input);
    if (snmp::IpTextToBytes(input).size() != 4) __builtin_trap();

    // Any content wrapped as a primitive item reads back whole.
    if (size > 0) {
        const std::string wrapped = snmp::MakeObject(input.substr(1), data[0] & ~0x20);
        std::size_t pos = 0;
        (void)snmp::ReadItem(wrapped, pos);
        if (pos != wrapped.size()) __builtin_trap();
    }
    return 0;
}
