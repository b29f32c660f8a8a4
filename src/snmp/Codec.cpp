#include "Codec.h"

#include "BerReader.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

namespace snmp {

namespace {

// A BER length above this counts as running past the datagram: no SNMP message comes near it,
// and it keeps every position + length sum far from overflow.
constexpr int64_t kMaxLength = std::numeric_limits<int32_t>::max();
// The long form of a length: 0x80 + the number of big-endian length octets that follow.
constexpr uint8_t kLongLengthFlag = 0x80;
constexpr uint8_t kLengthCountMask = 0x7F;
// Subidentifiers: 7 bits per octet, 0x80 on every octet but the last.
constexpr uint8_t kSubIdMore = 0x80;
constexpr uint8_t kSubIdBits = 0x7F;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A whole decimal arc or field; anything else (empty, signs, letters, too large) is not a number.
bool ParseUnsigned(std::string_view text, uint64_t& out) {
    if (text.empty()) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (!IsDigit(c)) return false;
        const auto d = static_cast<uint64_t>(c - '0');
        if (v > (std::numeric_limits<uint64_t>::max() - d) / 10) return false;
        v = v * 10 + d;
    }
    out = v;
    return true;
}

uint64_t ArcValue(std::string_view arc) {
    uint64_t v = 0;
    return ParseUnsigned(arc, v) ? v : 0;
}

// Decimal value text as a 32-bit field; a number the field cannot hold is treated as no number.
int32_t DecimalToInt32(std::string_view text) {
    const int64_t v = LeadingInteger(text);
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        return 0;
    return static_cast<int32_t>(v);
}

// Calls `fn` for each "."-separated field of `text` (an empty text is one empty field).
template <typename Fn> void ForEachField(std::string_view text, Fn&& fn) {
    for (;;) {
        const std::size_t dot = text.find('.');
        if (dot == std::string_view::npos) {
            fn(text);
            return;
        }
        if (!fn(text.substr(0, dot))) return;
        text.remove_prefix(dot + 1);
    }
}

// Two's complement, big-endian, kept in 64 bits: longer contents keep their low 64 bits, which is
// defined unsigned arithmetic rather than signed overflow.
std::string SignedText(std::string_view content) {
    if (content.empty()) return "0";
    uint64_t acc = (static_cast<uint8_t>(content.front()) & 0x80) ? ~uint64_t{0} : 0;
    for (char c : content)
        acc = (acc << 8) | static_cast<uint8_t>(c);
    return std::to_string(static_cast<int64_t>(acc));
}

// Counter64 needs the full unsigned range (agents send 9 octets with a leading 00 above 2^63).
std::string UnsignedText(std::string_view content) {
    uint64_t acc = 0;
    for (char c : content)
        acc = (acc << 8) | static_cast<uint8_t>(c);
    return std::to_string(acc);
}

std::string DottedOctets(std::string_view content) {
    std::string out;
    for (char c : content) {
        if (!out.empty()) out += '.';
        out += std::to_string(static_cast<uint8_t>(c));
    }
    return out;
}

// Longest contents the numeric types can hold: a signed number in 64 bits, an unsigned one in 64
// bits behind a leading 00 (how agents send Counter64 values of 2^63 and above).
constexpr std::size_t kMaxSignedOctets = 8;
constexpr std::size_t kMaxUnsignedOctets = 9;

// False when the content cannot be the value its tag says: a number longer than 64 bits.
bool ValueText(std::string_view content, int32_t t, std::string& out) {
    switch (t) {
    case tag::Integer:
    case tag::Boolean:
    case tag::Enumerated:
        if (content.size() > kMaxSignedOctets) return false;
        out = SignedText(content);
        return true;
    case tag::Counter32:
    case tag::Gauge32:
    case tag::TimeTicks:
    case tag::Counter64:
        if (content.size() > kMaxUnsignedOctets ||
            (content.size() == kMaxUnsignedOctets && content.front() != '\0'))
            return false;
        out = UnsignedText(content);
        return true;
    case tag::ObjectId:
        out = BerToOidText(content);
        return true;
    case tag::IpAddress:
        out = DottedOctets(content);
        return true;
    case tag::Null:
        out.clear();
        return true;
    default: // strings, Opaque, exception values and tags this program does not know
        out.assign(content);
        return true;
    }
}

// Lengths of more than this many octets are refused: no SNMP message needs them, and a long
// run of leading zeros is the shape of a forged frame rather than of an agent's reply.
constexpr unsigned kMaxLengthOctets = 4;

bool ReadLength(detail::BerReader& in, std::size_t& length) {
    uint8_t first = 0;
    if (!in.read_octet(first)) return false;
    if (first < kLongLengthFlag) {
        length = first;
        return true;
    }
    // The indefinite form (count 0) reads as length 0: SNMP never uses it, and a 0 keeps the
    // caller moving forward.
    const unsigned count = first & kLengthCountMask;
    if (count > kMaxLengthOctets) {
        in.skip(count);
        return false;
    }
    uint64_t v = 0;
    for (unsigned i = 0; i < count; ++i) {
        uint8_t b = 0;
        if (!in.read_octet(b)) return false;
        v = v * 256 + b;
    }
    if (v > static_cast<uint64_t>(kMaxLength)) return false;
    length = static_cast<std::size_t>(v);
    return true;
}

// One whole item: its tag and its content, which must lie inside `in`.
struct Tlv {
    uint8_t tag = 0;
    std::string_view content;
    [[nodiscard]] bool constructed() const { return (tag & tag::Constructed) != 0; }
};

bool ReadTlv(detail::BerReader& in, Tlv& item) {
    std::size_t length = 0;
    return in.read_octet(item.tag) && ReadLength(in, length) && in.take(length, item.content);
}

// A constructed item; `inside` reads its content and nothing beyond.
bool ReadConstructed(detail::BerReader& in, detail::BerReader& inside) {
    Tlv item;
    if (!ReadTlv(in, item) || !item.constructed()) return false;
    inside = detail::BerReader(item.content);
    return true;
}

// A header field read as a decimal number (0 when it is none, as for any value text).
bool ReadNumber(detail::BerReader& in, int32_t& out) {
    Tlv item;
    std::string text;
    if (!ReadTlv(in, item) || item.constructed() || !ValueText(item.content, item.tag, text))
        return false;
    out = DecimalToInt32(text);
    return true;
}

// One varbind: a sequence of exactly an OID and a primitive value, all of it inside the list.
bool ReadVarBind(detail::BerReader& list, TSNMPMib& out) {
    detail::BerReader vb(std::string_view{});
    Tlv name, value;
    if (!ReadConstructed(list, vb) || !ReadTlv(vb, name) || !ReadTlv(vb, value) ||
        vb.remaining() != 0)
        return false;
    // An OID whose last subidentifier still says "more" was cut inside the name.
    if (name.tag != tag::ObjectId ||
        (!name.content.empty() && (static_cast<uint8_t>(name.content.back()) & kSubIdMore)))
        return false;
    if (value.constructed() || !ValueText(value.content, value.tag, out.Value)) return false;
    out.OID = BerToOidText(name.content);
    out.ValueType = value.tag;
    return true;
}

// Arc of an OID text for ordering: as OidTextToBer reads it, so both agree on what an OID is.
int CompareArcs(std::string_view a, std::string_view b) {
    const uint64_t x = ArcValue(a);
    const uint64_t y = ArcValue(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Primitive encoders and decoders

std::string EncodeLength(uint64_t n) {
    if (n < kLongLengthFlag) return std::string(1, static_cast<char>(n));
    std::string octets;
    for (uint64_t v = n; v != 0; v >>= 8)
        octets.insert(octets.begin(), static_cast<char>(v & 0xFF));
    octets.insert(octets.begin(), static_cast<char>(kLongLengthFlag + octets.size()));
    return octets;
}

int64_t DecodeLength(std::string_view buffer, std::size_t& pos) {
    detail::BerReader in(buffer, pos);
    std::size_t length = 0;
    const bool ok = ReadLength(in, length);
    pos = in.position();
    return ok ? static_cast<int64_t>(length) : -1;
}

std::string EncodeInteger(int32_t v) {
    const auto bits = static_cast<uint32_t>(v);
    if (v < 0) {
        return {static_cast<char>(bits >> 24), static_cast<char>((bits >> 16) & 0xFF),
                static_cast<char>((bits >> 8) & 0xFF), static_cast<char>(bits & 0xFF)};
    }
    std::string octets;
    for (uint32_t u = bits; u != 0; u >>= 8)
        octets.insert(octets.begin(), static_cast<char>(u & 0xFF));
    if (octets.empty() || (static_cast<uint8_t>(octets.front()) & 0x80))
        octets.insert(octets.begin(), '\0');
    return octets;
}

std::string EncodeSubId(uint64_t v) {
    std::string octets(1, static_cast<char>(v & kSubIdBits));
    for (v >>= 7; v != 0; v >>= 7)
        octets.insert(octets.begin(), static_cast<char>((v & kSubIdBits) | kSubIdMore));
    return octets;
}

uint64_t DecodeSubId(std::string_view buffer, std::size_t& pos) {
    detail::BerReader in(buffer, pos);
    uint64_t v = 0;
    uint8_t b = 0;
    // Over-long subidentifiers keep their low 64 bits (unsigned wrap), like any other overflow
    // the agent may send.
    while (in.read_octet(b)) {
        v = (v << 7) | (b & kSubIdBits);
        if (!(b & kSubIdMore)) break;
    }
    pos = in.position();
    return v;
}

std::string OidTextToBer(std::string_view text) {
    uint64_t first = 0;
    uint64_t second = 0;
    int index = 0;
    std::string rest;
    ForEachField(text, [&](std::string_view arc) {
        const uint64_t v = ArcValue(arc);
        if (index == 0)
            first = v;
        else if (index == 1)
            second = v;
        else
            rest += EncodeSubId(v);
        ++index;
        return true;
    });
    return EncodeSubId(first * 40 + second) + rest;
}

std::string BerToOidText(std::string_view octets) {
    std::string text;
    std::size_t pos = 0;
    bool first = true;
    while (pos < octets.size()) {
        const uint64_t x = DecodeSubId(octets, pos);
        if (first) {
            first = false;
            if (x < 40)
                text = "0." + std::to_string(x);
            else if (x < 80)
                text = "1." + std::to_string(x - 40);
            else
                text = "2." + std::to_string(x - 80);
        } else {
            text += '.';
            text += std::to_string(x);
        }
    }
    return text;
}

std::string IpTextToBytes(std::string_view text) {
    std::string octets(4, '\0');
    std::size_t index = 0;
    ForEachField(text, [&](std::string_view field) {
        if (index >= octets.size()) return false;
        // Signed reading so "-1" wraps to 255 like any other value taken modulo 256.
        std::string_view digits = field;
        const bool negative = !digits.empty() && digits.front() == '-';
        if (negative || (!digits.empty() && digits.front() == '+')) digits.remove_prefix(1);
        uint64_t v = 0;
        if (!ParseUnsigned(digits, v)) v = 0;
        if (negative) v = 0 - v;
        octets[index++] = static_cast<char>(v & 0xFF);
        return index < octets.size();
    });
    return octets;
}

std::string MakeObject(std::string_view content, int32_t t) {
    std::string object(1, static_cast<char>(t & 0xFF));
    object += EncodeLength(content.size());
    object += content;
    return object;
}

Item ReadItem(std::string_view buffer, std::size_t& pos) {
    Item item;
    detail::BerReader in(buffer, pos);
    if (!in.can_read(2)) return item;

    uint8_t t = 0;
    in.read_octet(t);
    item.tag = t;
    std::size_t length = 0;
    const bool haveLength = ReadLength(in, length);
    pos = in.position();
    std::string_view content;
    if (!haveLength || !in.take(length, content)) return item;

    if (t & tag::Constructed) {
        // Stay at the content's start so the next read steps inside.
        item.value.assign(content);
        return item;
    }
    // A number too long for 64 bits reads as an empty text; the item is still passed.
    if (!ValueText(content, t, item.value)) item.value.clear();
    pos = in.position();
    return item;
}

int64_t LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    // Accumulate towards the sign so that INT64_MIN is reachable; saturate beyond the range.
    int64_t v = 0;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const int d = text[i] - '0';
        if (negative) {
            if (v < (kMin + d) / 10) return kMin;
            v = v * 10 - d;
        } else {
            if (v > (kMax - d) / 10) return kMax;
            v = v * 10 + d;
        }
    }
    return v;
}

bool OidGreater(std::string_view a, std::string_view b) {
    for (;;) {
        const std::size_t da = a.find('.');
        const std::size_t db = b.find('.');
        const int c = CompareArcs(a.substr(0, da), b.substr(0, db));
        if (c != 0) return c > 0;
        const bool moreA = da != std::string_view::npos;
        const bool moreB = db != std::string_view::npos;
        if (!moreA || !moreB) return moreA && !moreB; // equal so far: the longer one sorts after
        a.remove_prefix(da + 1);
        b.remove_prefix(db + 1);
    }
}

// ---------------------------------------------------------------------------------------------
// TSNMPRec

void TSNMPRec::Clear() {
    Version = 0;
    PDUType = 0;
    ErrorStatus = 0;
    ErrorIndex = 0;
    Community.clear();
    varBinds_.clear();
}

void TSNMPRec::AddVarBind(std::string_view oid, std::string_view value, int32_t valueType) {
    varBinds_.push_back(TSNMPMib{std::string(oid), std::string(value), valueType});
}

std::string TSNMPRec::FindValue(std::string_view oid) const {
    const auto it = std::find_if(varBinds_.begin(), varBinds_.end(),
                                 [&](const TSNMPMib& m) { return m.OID == oid; });
    return it == varBinds_.end() ? std::string() : it->Value;
}

std::string TSNMPRec::Encode() const {
    std::string list;
    for (const TSNMPMib& m : varBinds_) {
        std::string value;
        switch (m.ValueType) {
        case tag::Null:
            value = MakeObject({}, tag::Null);
            break;
        case tag::Integer:
            value = MakeObject(EncodeInteger(DecimalToInt32(m.Value)), tag::Integer);
            break;
        case tag::ObjectId:
            value = MakeObject(OidTextToBer(m.Value), tag::ObjectId);
            break;
        case tag::IpAddress:
            value = MakeObject(IpTextToBytes(m.Value), tag::IpAddress);
            break;
        default:
            value = MakeObject(m.Value, m.ValueType);
            break;
        }
        list += MakeObject(MakeObject(OidTextToBer(m.OID), tag::ObjectId) + value, tag::Sequence);
    }
    std::string pdu = MakeObject(EncodeInteger(ID), tag::Integer);
    pdu += MakeObject(EncodeInteger(ErrorStatus), tag::Integer);
    pdu += MakeObject(EncodeInteger(ErrorIndex), tag::Integer);
    pdu += MakeObject(list, tag::Sequence);

    // Always version field 1 (SNMPv2c), whatever Version holds.
    std::string message = MakeObject(EncodeInteger(1), tag::Integer);
    message += MakeObject(Community, tag::OctetString);
    message += MakeObject(pdu, PDUType);
    return MakeObject(message, tag::Sequence);
}

bool TSNMPRec::Decode(std::string_view bytes) {
    // Everything is read into locals first, so a refused frame leaves the record as it was.
    detail::BerReader in(bytes);
    detail::BerReader message(std::string_view{}), pdu(std::string_view{}),
        list(std::string_view{});
    int32_t version = 0, id = 0, errorStatus = 0, errorIndex = 0;
    Tlv community;
    // The PDU's tag is not examined: any constructed item is stepped into.
    if (!ReadConstructed(in, message) || !ReadNumber(message, version) ||
        !ReadTlv(message, community) || community.constructed() || !ReadConstructed(message, pdu) ||
        !ReadNumber(pdu, id) || !ReadNumber(pdu, errorStatus) || !ReadNumber(pdu, errorIndex) ||
        !ReadConstructed(pdu, list))
        return false;

    std::string communityText;
    if (!ValueText(community.content, community.tag, communityText)) return false;
    std::vector<TSNMPMib> binds;
    while (list.remaining() != 0) {
        TSNMPMib m;
        if (!ReadVarBind(list, m)) return false;
        binds.push_back(std::move(m));
    }

    Version = version;
    ID = id;
    ErrorStatus = errorStatus;
    ErrorIndex = errorIndex;
    Community = std::move(communityText);
    varBinds_.insert(varBinds_.end(), std::make_move_iterator(binds.begin()),
                     std::make_move_iterator(binds.end()));
    return true;
}

} // namespace snmp
