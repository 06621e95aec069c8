#include "BerStrictReader.h"

#include "BerItem.h"
#include "BerTag.h"

namespace {
constexpr int kMultiByteTag = 0x1F;
constexpr unsigned char kIndefiniteLength = 0x80;
} // namespace

bool BerStrictReader::fail()
{
    m_failed = true;
    return false;
}

bool BerStrictReader::read(int& tag, std::string_view& content)
{
    if (m_failed || m_data.size() - m_pos < 2)
        return fail();
    tag = static_cast<unsigned char>(m_data[m_pos]);
    if ((tag & kMultiByteTag) == kMultiByteTag)
        return fail();
    std::size_t cursor = m_pos + 1;
    if (static_cast<unsigned char>(m_data[cursor]) == kIndefiniteLength)
        return fail();
    std::uint32_t length = 0;
    // Compared against what remains, so neither side can wrap.
    if (!readBerLength(m_data, cursor, length) || length > m_data.size() - cursor)
        return fail();
    content = m_data.substr(cursor, length);
    m_pos = cursor + length;
    return true;
}

bool BerStrictReader::expect(int tag, std::string_view& content)
{
    int found = 0;
    if (!read(found, content))
        return false;
    return found == tag || fail();
}

bool BerStrictReader::expectInteger(std::int64_t minimum, std::int64_t maximum, std::int64_t& value)
{
    std::string_view content;
    if (!expect(BerTag::Integer, content))
        return false;
    if (content.size() > 4 || !berStrictSigned(content, value) || value < minimum ||
        value > maximum)
        return fail();
    return true;
}

bool BerStrictReader::expectOctets(std::size_t maxLength, std::string_view& content)
{
    if (!expect(BerTag::OctetString, content))
        return false;
    return content.size() <= maxLength || fail();
}

bool BerStrictReader::expectEnd()
{
    return (!m_failed && atEnd()) || fail();
}

bool berStrictSigned(std::string_view content, std::int64_t& value)
{
    if (content.empty() || content.size() > 8)
        return false;
    std::uint64_t bits = (static_cast<unsigned char>(content[0]) & 0x80u) ? ~std::uint64_t{0} : 0;
    for (const char c : content)
        bits = (bits << 8) | static_cast<unsigned char>(c);
    value = static_cast<std::int64_t>(bits);
    return true;
}

bool berStrictUnsigned(std::string_view content, unsigned maxBits, std::uint64_t& value)
{
    if (content.empty() || content.size() > 9)
        return false;
    if (static_cast<unsigned char>(content[0]) & 0x80u)
        return false; // negative
    if (content[0] == 0 && content.size() > 1) {
        content.remove_prefix(1);
    }
    if (content.size() > 8)
        return false;
    std::uint64_t bits = 0;
    for (const char c : content)
        bits = (bits << 8) | static_cast<unsigned char>(c);
    if (maxBits < 64 && (bits >> maxBits) != 0)
        return false;
    value = bits;
    return true;
}

bool berStrictOidText(std::string_view content, std::string& text)
{
    text.clear();
    if (content.empty())
        return false;
    bool first = true;
    std::uint64_t arc = 0;
    bool open = false;
    for (const char c : content) {
        const auto byte = static_cast<unsigned char>(c);
        if (!open && byte == 0x80)
            return false; // a padded arc
        arc = (arc << 7) | (byte & 0x7Fu);
        if (arc > 0xFFFFFFFFull + 80)
            return false;
        open = (byte & 0x80u) != 0;
        if (open)
            continue;
        if (first) {
            const std::uint64_t head = arc < 40 ? 0 : (arc < 80 ? 1 : 2);
            text += std::to_string(head);
            text += '.';
            text += std::to_string(arc - head * 40);
            first = false;
        } else {
            if (arc > 0xFFFFFFFFull)
                return false;
            text += '.';
            text += std::to_string(arc);
        }
        arc = 0;
    }
    return !open;
}
