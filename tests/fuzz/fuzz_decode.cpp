// Any datagram: Decode must stay inside it and add nothing when it refuses; whatever it accepts
// must encode to a frame that decodes again to the same header and varbinds, and encodes again
// to the same bytes.
#include "snmp/Codec.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Types whose value text Encode writes back in a form Decode accepts again. The numeric unsigned
// types and BOOLEAN/ENUMERATED are sent as raw text, which may be too long for their tag.
bool KeepsText(int32_t type) {
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
    // The same message with every value in a type whose text survives Encode.
    snmp::TSNMPRec out;
    out.ID = rec.ID;
    out.Community = rec.Community;
    out.ErrorStatus = rec.ErrorStatus;
    out.ErrorIndex = rec.ErrorIndex;
    out.PDUType = snmp::tag::GetResponse;
    for (const snmp::TSNMPMib& m : rec.VarBinds())
        out.AddVarBind(m.OID, m.Value,
                       KeepsText(m.ValueType) ? m.ValueType : snmp::tag::OctetString);
    const std::string bytes = out.Encode();

    snmp::TSNMPRec again;
    if (!again.Decode(bytes)) __builtin_trap();
    if (again.Version != 1 || again.Community != rec.Community || again.ID != rec.ID ||
        again.ErrorStatus != rec.ErrorStatus || again.ErrorIndex != rec.ErrorIndex ||
        again.VarBindCount() != rec.VarBindCount())
        __builtin_trap();
    again.PDUType = snmp::tag::GetResponse;
    if (again.Encode() != bytes) __builtin_trap();
    return 0;
}
