#include "Ber.h"

#include "DecimalText.h"

#include <string_view>

namespace {

unsigned char byteAt(std::string_view data, std::size_t index)
{
    return static_cast<unsigned char>(data[index]);
}

// Reads length octets. False when they are cut off by the end of the data or
// the value does not fit in 32 bits: such a length can never be satisfied, and
// reporting its low bits instead would let a 9-octet length pose as a small one.
bool readLength(std::string_view buffer, std::size_t& cursor, std::uint32_t& length)
{
    length = BerLengthInvalid;
    if (cursor >= buffer.size()) {
        return false;
    }
    const unsigned char first = byteAt(buffer, cursor++);
    if (first < 0x80) {
        length = first;
        return true;
    }
    const unsigned count = first & 0x7Fu;
    std::uint32_t value = 0;
    bool fits = true;
    for (unsigned i = 0; i < count; ++i) {
        if (cursor >= buffer.size()) {
            return false;
        }
        if ((value >> 24) != 0) {
            fits = false;
        }
        value = (value << 8) | byteAt(buffer, cursor++);
    }
    if (!fits) {
        return false;
    }
    length = value;
    return true;
}

std::uint32_t readOidArc(std::string_view buffer, std::size_t& cursor)
{
    std::uint32_t value = 0;
    while (cursor < buffer.size()) {
        const unsigned char octet = byteAt(buffer, cursor++);
        value = (value << 7) | (octet & 0x7Fu);
        if ((octet & 0x80u) == 0) {
            break;
        }
    }
    return value;
}

std::string oidText(std::string_view content)
{
    // An OID whose last sub-identifier is cut off cannot be read: it reads as
    // empty text, like any other item that cannot be read, rather than as some
    // other, plausible OID.
    if (!content.empty() && (byteAt(content, content.size() - 1) & 0x80u) != 0) {
        return {};
    }
    std::string text;
    text.reserve(content.size() * 3 + 8);
    std::size_t cursor = 0;
    while (cursor < content.size()) {
        const std::size_t start = cursor;
        const std::uint32_t arc = readOidArc(content, cursor);
        if (start != 0) {
            text += '.';
            appendDecimal(text, static_cast<std::int32_t>(arc));
        } else if (cursor - start == 1 || arc < 80) {
            appendDecimal(text, arc / 40);
            text += '.';
            appendDecimal(text, arc % 40);
        } else {
            // A first sub-identifier of two or more octets can only belong under
            // the joint arc 2.
            text += "2.";
            appendDecimal(text, static_cast<std::int32_t>(arc - 80));
        }
    }
    return text;
}

// An OID piece as a sub-identifier: decimal digits up to 2147483647, else 0.
std::uint32_t oidPiece(std::string_view piece)
{
    std::int32_t value = 0;
    if (!piece.empty() && piece.front() != '-' && parseDecimalInt32(piece, value)) {
        return static_cast<std::uint32_t>(value);
    }
    return 0;
}

std::string_view takeOidPiece(std::string_view& rest)
{
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos) {
        const std::string_view piece = rest;
        rest = {};
        return piece;
    }
    const std::string_view piece = rest.substr(0, dot);
    rest.remove_prefix(dot + 1);
    return piece;
}

std::int32_t signedNumber(std::string_view content)
{
    const bool negative = !content.empty() && (byteAt(content, 0) & 0x80u) != 0;
    const unsigned flip = negative ? 0xFFu : 0x00u;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        value = (value << 8) | (byteAt(content, i) ^ flip);
    }
    // -(value + 1) is the bitwise complement in two's complement.
    return static_cast<std::int32_t>(negative ? ~value : value);
}

std::int32_t unsigned32AsSigned(std::string_view content)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        value = (value << 8) | byteAt(content, i);
    }
    return static_cast<std::int32_t>(value);
}

std::string primitiveText(int tag, std::string_view content)
{
    std::string text;
    switch (tag) {
    case BerTag::Boolean:
    case BerTag::Integer:
    case BerTag::Enumerated:
        appendDecimal(text, signedNumber(content));
        break;
    case BerTag::Counter32:
    case BerTag::Gauge32:
    case BerTag::TimeTicks:
        appendDecimal(text, unsigned32AsSigned(content));
        break;
    case BerTag::Null:
        break;
    case BerTag::ObjectId:
        text = oidText(content);
        break;
    case BerTag::IpAddress:
        for (std::size_t i = 0; i < content.size(); ++i) {
            if (i != 0) {
                text += '.';
            }
            appendDecimal(text, byteAt(content, i));
        }
        break;
    default:
        text.assign(content.data(), content.size());
        break;
    }
    return text;
}

} // namespace

std::string EncodeLength(std::size_t length)
{
    if (length < 0x80) {
        return std::string(1, static_cast<char>(length));
    }
    std::string octets;
    for (std::size_t rest = length; rest != 0; rest >>= 8) {
        octets.insert(octets.begin(), static_cast<char>(rest & 0xFFu));
    }
    octets.insert(octets.begin(), static_cast<char>(0x80u + octets.size()));
    return octets;
}

std::uint32_t DecodeLength(const std::string& buffer, std::size_t& cursor)
{
    std::uint32_t length = 0;
    return readLength(buffer, cursor, length) ? length : BerLengthInvalid;
}

std::string EncodeInteger(std::int32_t value)
{
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    std::string octets;
    while (true) {
        octets.insert(octets.begin(), static_cast<char>(bits & 0xFFu));
        if (bits < 0x100u) {
            break;
        }
        bits >>= 8;
    }
    if (value >= 0 && (static_cast<unsigned char>(octets.front()) & 0x80u) != 0) {
        octets.insert(octets.begin(), '\0');
    }
    return octets;
}

std::string EncodeObject(const std::string& content, int tag)
{
    std::string item(1, static_cast<char>(tag & 0xFF));
    item += EncodeLength(content.size());
    item += content;
    return item;
}

std::string EncodeOidArc(std::uint64_t arc)
{
    std::string octets(1, static_cast<char>(arc & 0x7Fu));
    for (std::uint64_t rest = arc >> 7; rest != 0; rest >>= 7) {
        octets.insert(octets.begin(), static_cast<char>(0x80u | (rest & 0x7Fu)));
    }
    return octets;
}

std::uint32_t DecodeOidArc(const std::string& buffer, std::size_t& cursor)
{
    return readOidArc(buffer, cursor);
}

std::string OidToBer(const std::string& oid)
{
    std::string_view rest(oid);
    const std::uint64_t first = oidPiece(takeOidPiece(rest));
    const std::uint64_t second = rest.empty() ? 0 : oidPiece(takeOidPiece(rest));
    std::string content = EncodeOidArc(first * 40 + second);
    while (!rest.empty()) {
        content += EncodeOidArc(oidPiece(takeOidPiece(rest)));
    }
    return content;
}

std::string BerToOid(const std::string& content)
{
    return oidText(content);
}

std::string ReadItem(const std::string& buffer, std::size_t& cursor, int& valueType)
{
    const BerItem item = walkItem(buffer, cursor);
    valueType = item.tag;
    return item.constructed ? std::string(item.content) : itemText(item);
}

BerItem walkItem(const std::string& buffer, std::size_t& cursor)
{
    BerItem item;
    if (cursor >= buffer.size() || buffer.size() - cursor < 2) {
        return item;
    }
    item.tag = byteAt(buffer, cursor++);
    std::uint32_t length = 0;
    // Compared against what remains, so neither side can wrap.
    if (!readLength(buffer, cursor, length) || length > buffer.size() - cursor) {
        return item;
    }
    item.content = std::string_view(buffer.data() + cursor, length);
    item.complete = true;
    item.constructed = (item.tag & BerTag::ConstructedBit) != 0;
    if (!item.constructed) {
        cursor += length;
    }
    return item;
}

std::string itemText(const BerItem& item)
{
    if (!item.complete || item.constructed) {
        return {};
    }
    return primitiveText(item.tag, item.content);
}

std::int32_t itemNumber(const BerItem& item)
{
    if (!item.complete || item.constructed) {
        return 0;
    }
    switch (item.tag) {
    case BerTag::Boolean:
    case BerTag::Integer:
    case BerTag::Enumerated:
        return signedNumber(item.content);
    case BerTag::Counter32:
    case BerTag::Gauge32:
    case BerTag::TimeTicks:
        return unsigned32AsSigned(item.content);
    default:
        return decimalInt32OrZero(primitiveText(item.tag, item.content));
    }
}
