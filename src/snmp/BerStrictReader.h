#pragma once

// A reader for messages that must be right or be refused: every item's length
// is checked against what its parent has left, only the definite length form
// is taken, and numbers must fit the field they fill. Unlike ReadItem, which
// keeps whatever it can of a damaged message, a failed read here fails the
// whole reader, so a caller tests once at the end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class BerStrictReader
{
public:
    explicit BerStrictReader(std::string_view data) : m_data(data) {}

    bool ok() const { return !m_failed; }
    bool atEnd() const { return m_pos == m_data.size(); }
    // Position of the next item within the data given at construction.
    std::size_t position() const { return m_pos; }

    // Reads one item; false (and the reader failed) when nothing is left, the
    // tag uses the multi-byte form, the length is indefinite, too long for 32
    // bits, or runs past the end.
    bool read(int& tag, std::string_view& content);
    // Reads one item that must carry this tag.
    bool expect(int tag, std::string_view& content);
    // An INTEGER of at most 4 content bytes in [minimum, maximum].
    bool expectInteger(std::int64_t minimum, std::int64_t maximum, std::int64_t& value);
    // An OCTET STRING of at most maxLength bytes.
    bool expectOctets(std::size_t maxLength, std::string_view& content);
    // Fails the reader (and the caller's later ok()) unless everything was read.
    bool expectEnd();
    bool fail();

private:
    std::string_view m_data;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

// Two's-complement big-endian content of 1 to 8 bytes.
bool berStrictSigned(std::string_view content, std::int64_t& value);
// Non-negative content of 1 to 9 bytes (a leading zero octet allowed only
// when the next has its top bit set) whose value fits in maxBits bits.
bool berStrictUnsigned(std::string_view content, unsigned maxBits, std::uint64_t& value);
// Dotted text of OBJECT IDENTIFIER content; false for empty content, a cut-off
// last arc or an arc above 32 bits.
bool berStrictOidText(std::string_view content, std::string& text);
