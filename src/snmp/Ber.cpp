#include "Ber.h"

#include "DecimalText.h"

#include <string_view>

namespace {

unsigned char byteAt(std::string_view data, std::size_t index)
{
    return static_cast<unsigned char>(data[index]);
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

void appendOidText(std::string& text, std::string_view content)
{
    // An OID whose last sub-identifier is cut off cannot be read: it reads as
    // empty text, like any other item that cannot be read, rather than as some
    // other, plausible OID.
    if (content.empty() || (byteAt(content, content.size() - 1) & 0x80u) != 0) {
        return;
    }
    // Nor can one with a sub-identifier beyond 32 bits: wrapped, it would pose
    // as another OID that may well exist.
    std::uint64_t arc = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const std::uint32_t octet = byteAt(content, i);
        arc = (arc << 7) | (octet & 0x7Fu);
        if (arc > 0xFFFFFFFFu) {
            return;
        }
        if ((octet & 0x80u) == 0) {
            arc = 0;
        }
    }
    // Written in chunks: one append per chunk instead of one per character.
    char chunk[256];
    char* out = chunk;
    std::size_t cursor = 0;
    const std::uint32_t first = readOidArc(content, cursor);
    if (cursor == 1 || first < 80) {
        out = writeDecimal(out, first / 40);
        *out++ = '.';
        out = writeDecimal(out, first % 40);
    } else {
        // A first sub-identifier of two or more octets can only belong under
        // the joint arc 2.
        *out++ = '2';
        *out++ = '.';
        out = writeDecimal(out, static_cast<std::int32_t>(first - 80));
    }
    while (cursor < content.size()) {
        if (static_cast<std::size_t>(chunk + sizeof chunk - out) < MaxDecimalChars + 1) {
            text.append(chunk, static_cast<std::size_t>(out - chunk));
            out = chunk;
        }
        *out++ = '.';
        out = writeDecimal(out, static_cast<std::int32_t>(readOidArc(content, cursor)));
    }
    text.append(chunk, static_cast<std::size_t>(out - chunk));
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

void appendPrimitiveText(std::string& text, int tag, std::string_view content)
{
    switch (tag) {
    case BerTag::Boolean:
    case BerTag::Integer:
    case BerTag::Enumerated:
        appendDecimal(text, berSignedNumber(content));
        break;
    case BerTag::Counter32:
    case BerTag::Gauge32:
    case BerTag::TimeTicks:
        appendDecimal(text, berUnsigned32AsSigned(content));
        break;
    case BerTag::Null:
        break;
    case BerTag::ObjectId:
        appendOidText(text, content);
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
        text.append(content.data(), content.size());
        break;
    }
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
    return readBerLength(buffer, cursor, length) ? length : BerLengthInvalid;
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
    std::string text;
    appendOidText(text, content);
    return text;
}

std::string ReadItem(const std::string& buffer, std::size_t& cursor, int& valueType)
{
    const BerItem item = walkItem(buffer, cursor);
    valueType = item.tag;
    return item.constructed ? std::string(item.content) : itemText(item);
}

void appendItemText(std::string& text, const BerItem& item)
{
    if (item.complete && !item.constructed) {
        appendPrimitiveText(text, item.tag, item.content);
    }
}

std::string itemText(const BerItem& item)
{
    std::string text;
    appendItemText(text, item);
    return text;
}

std::int32_t textItemNumber(const BerItem& item)
{
    return decimalInt32OrZero(itemText(item));
}
