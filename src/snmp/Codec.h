// BER codec for community-based SNMP messages and the "value text" every SNMP value travels as.
//
// A value text is a byte string (std::string used as octets, may hold 0x00). Integers, counters
// and time ticks are decimal text, strings their raw octets, IpAddress and OIDs dotted text, NULL
// and the exception values empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace snmp {

// BER tags the codec knows by name.
namespace tag {
inline constexpr int32_t Boolean = 0x01;
inline constexpr int32_t Integer = 0x02;
inline constexpr int32_t OctetString = 0x04;
inline constexpr int32_t Null = 0x05;
inline constexpr int32_t ObjectId = 0x06;
inline constexpr int32_t Enumerated = 0x0A;
inline constexpr int32_t Sequence = 0x30;
inline constexpr int32_t IpAddress = 0x40;
inline constexpr int32_t Counter32 = 0x41;
inline constexpr int32_t Gauge32 = 0x42;
inline constexpr int32_t TimeTicks = 0x43;
inline constexpr int32_t Opaque = 0x44;
inline constexpr int32_t Counter64 = 0x46;
inline constexpr int32_t NoSuchObject = 0x80;
inline constexpr int32_t NoSuchInstance = 0x81;
inline constexpr int32_t EndOfMibView = 0x82;
inline constexpr int32_t GetRequest = 0xA0;
inline constexpr int32_t GetNextRequest = 0xA1;
inline constexpr int32_t GetResponse = 0xA2;
inline constexpr int32_t SetRequest = 0xA3;
inline constexpr int32_t Constructed = 0x20;
} // namespace tag

// One variable binding.
struct TSNMPMib {
    std::string OID;   // OID text, "1.3.6.1.2.1.1.1.0"
    std::string Value; // value text
    int32_t ValueType = tag::Null;
};

// One SNMP message.
class TSNMPRec {
public:
    int32_t Version = 0; // ignored by Encode, which always writes 1 (SNMPv2c)
    std::string Community;
    int32_t PDUType = 0;
    int32_t ID = 1; // request id; Clear keeps it so a reused record can count requests
    int32_t ErrorStatus = 0;
    int32_t ErrorIndex = 0;

    void Clear();
    void AddVarBind(std::string_view oid, std::string_view value, int32_t valueType);
    [[nodiscard]] int VarBindCount() const { return static_cast<int>(varBinds_.size()); }
    [[nodiscard]] const TSNMPMib& VarBind(int index) const { return varBinds_.at(index); }
    [[nodiscard]] const std::vector<TSNMPMib>& VarBinds() const { return varBinds_; }
    // Value text of the first varbind whose OID text equals `oid`; empty when none does.
    [[nodiscard]] std::string FindValue(std::string_view oid) const;

    [[nodiscard]] std::string Encode() const;
    // Appends the message's varbinds to this record; false, with the record unchanged, when the
    // frame is malformed: any item cut short or running past its enclosing item, a length field
    // of more than 4 octets, a number longer than 64 bits (INTEGER over 8 octets, an unsigned
    // type over 9, or 9 without a leading 00), a varbind that is not exactly an OID and a value.
    bool Decode(std::string_view bytes);

private:
    std::vector<TSNMPMib> varBinds_;
};

// An item read by ReadItem.
struct Item {
    std::string value; // value text
    int32_t tag = tag::Null;
};

std::string EncodeLength(uint64_t n);
// Reads a length at `pos` and advances past it. Returns -1 when the length octets run past the
// end of `buffer`, number more than 4, or give a length that does not fit in a signed 32-bit
// number.
int64_t DecodeLength(std::string_view buffer, std::size_t& pos);
std::string EncodeInteger(int32_t v);
std::string EncodeSubId(uint64_t v);
// Reads one base-128 subidentifier at `pos`; stops at the buffer's end if the last octet is cut.
uint64_t DecodeSubId(std::string_view buffer, std::size_t& pos);
std::string OidTextToBer(std::string_view text);
std::string BerToOidText(std::string_view octets);
std::string IpTextToBytes(std::string_view text);
std::string MakeObject(std::string_view content, int32_t tag);
// One item at `pos`: a primitive one's value text (empty when cut or a number too long for 64
// bits) and `pos` moved past it; a constructed one's content with `pos` left at its start.
Item ReadItem(std::string_view buffer, std::size_t& pos);

// Whole-number reading used by the codec for decimal value texts: optional blanks, optional sign,
// digits; 0 when the text does not start with a number.
int64_t LeadingInteger(std::string_view text);

// True when OID text `a` sorts after `b`, compared arc by arc as numbers.
bool OidGreater(std::string_view a, std::string_view b);

} // namespace snmp
