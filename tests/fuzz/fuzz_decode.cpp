// Any datagram: Decode must stay inside it, and whatever it accepts must encode to a frame that
// decodes again to the same header and, for value types that keep their text, the same bytes.
#include "Codec.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Types whose value text Encode writes back in a form Decode turns into the same text. The
// numeric unsigned types and BOOLEAN/ENUMERATED are sent as raw text, and constructed tags would
// open a new sequence, so those are left out of the byte comparison.
bool KeepsText(int32_t type) {
    if (type & snmp::tag::Constructed) return false;
    switch (type) {
    case snmp::tag::Boolean:
    case snmp::tag::Enumerated:
    case snmp::tag::Counter32:
    case snmp::tag::Gauge32:
    case snmp::tag::TimeTicks:
    case snmp::tag::Counter64:
        return false;
    default:
        return true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    snmp::TSNMPRec rec;
    if (!rec.Decode(input)) {
        if (rec.VarBindCount() != 0) __builtin_trap();
        return 0;
    }
    rec.PDUType = snmp::tag::GetResponse;
    const std::string bytes = rec.Encode();

    snmp::TSNMPRec again;
    if (!again.Decode(bytes)) __builtin_trap();
    if (again.Version != 1 || again.Community != rec.Community || again.ID != rec.ID ||
        again.ErrorStatus != rec.ErrorStatus || again.ErrorIndex != rec.ErrorIndex)
        __builtin_trap();

    bool comparable = true;
    for (const snmp::TSNMPMib& m : rec.VarBinds())
        comparable = comparable && KeepsText(m.ValueType);
    if (comparable) {
        if (again.VarBindCount() != rec.VarBindCount()) __builtin_trap();
        again.PDUType = snmp::tag::GetResponse;
        if (again.Encode() != bytes) __builtin_trap();
    }
    return 0;
}
