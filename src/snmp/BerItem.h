#pragma once

// Walking the items of a received message without turning them into text; the
// SNMP message decoder reads every reply this way. Inline, as it sits on the
// path of every value read from an agent.

#include "BerTag.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One item as found by walkItem: its tag and, when it could be read, its
// content (a view into the walked buffer, valid as long as that buffer is).
struct BerItem
{
    int tag = BerTag::Null;
    std::string_view content;
    bool complete = false; // false: nothing left, or the content runs past the end
    bool constructed = false;
};

// Reads length octets. False when they are cut off by the end of the data or
// the value does not fit in 32 bits: such a length can never be satisfied, and
// reporting its low bits instead would let a 9-octet length pose as a small one.
inline bool readBerLength(std::string_view buffer, std::size_t& cursor, std::uint32_t& length)
{
    length = BerLengthInvalid;
    if (cursor >= buffer.size()) {
        return false;
    }
    const auto first = static_cast<unsigned char>(buffer[cursor++]);
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
        value = (value << 8) | static_cast<unsigned char>(buffer[cursor++]);
    }
    if (!fits) {
        return false;
    }
    length = value;
    return true;
}

// One step of a pre-order walk over a message without building text: moves the
// cursor exactly as ReadItem does and gives the same tag. Walking a message with
// ReadItem copies every enclosing item's content again at each level; this
// keeps a walk linear.
inline BerItem walkItem(const std::string& buffer, std::size_t& cursor)
{
    BerItem item;
    if (cursor >= buffer.size() || buffer.size() - cursor < 2) {
        return item;
    }
    item.tag = static_cast<unsigned char>(buffer[cursor++]);
    std::uint32_t length = 0;
    // Compared against what remains, so neither side can wrap.
    if (!readBerLength(buffer, cursor, length) || length > buffer.size() - cursor) {
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

// A big-endian two's-complement number, accumulated in 32 bits.
inline std::int32_t berSignedNumber(std::string_view content)
{
    const bool negative = !content.empty() && (static_cast<unsigned char>(content[0]) & 0x80u) != 0;
    const unsigned flip = negative ? 0xFFu : 0x00u;
    std::uint32_t value = 0;
    for (const char c : content) {
        value = (value << 8) | (static_cast<unsigned char>(c) ^ flip);
    }
    // -(value + 1) is the bitwise complement in two's complement.
    return static_cast<std::int32_t>(negative ? ~value : value);
}

// An unsigned number whose low 32 bits are read as signed (4294967295 gives -1);
// earlier octets are shifted out.
inline std::int32_t berUnsigned32AsSigned(std::string_view content)
{
    std::uint32_t value = 0;
    for (const char c : content) {
        value = (value << 8) | static_cast<unsigned char>(c);
    }
    return static_cast<std::int32_t>(value);
}

// The text ReadItem gives for a primitive item; empty for a constructed one.
std::string itemText(const BerItem& item);
// The same, appended to text (reuses text's storage).
void appendItemText(std::string& text, const BerItem& item);

// The signed 32-bit value of itemText(item), or 0 when that is not a number.
std::int32_t textItemNumber(const BerItem& item);

// The same, reading the number types straight from their octets.
inline std::int32_t itemNumber(const BerItem& item)
{
    if (!item.complete || item.constructed) {
        return 0;
    }
    switch (item.tag) {
    case BerTag::Boolean:
    case BerTag::Integer:
    case BerTag::Enumerated:
        return berSignedNumber(item.content);
    case BerTag::Counter32:
    case BerTag::Gauge32:
    case BerTag::TimeTicks:
        return berUnsigned32AsSigned(item.content);
    default:
        return textItemNumber(item);
    }
}
