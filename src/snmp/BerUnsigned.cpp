#include "BerUnsigned.h"

std::string EncodeUnsigned64(std::uint64_t value)
{
    std::string content;
    do {
        content.insert(content.begin(), static_cast<char>(value & 0xFFu));
        value >>= 8;
    } while (value != 0);
    if ((static_cast<unsigned char>(content.front()) & 0x80u) != 0) {
        content.insert(content.begin(), '\0');
    }
    return content;
}

bool DecodeUnsigned(std::string_view content, unsigned bits, std::uint64_t& value)
{
    const std::size_t octets = bits / 8;
    if (content.empty() || content.size() > octets + 1) {
        return false;
    }
    if (content.size() == octets + 1) {
        if (content.front() != '\0') {
            return false;
        }
        content.remove_prefix(1);
    }
    std::uint64_t result = 0;
    for (const char c : content) {
        result = (result << 8) | static_cast<unsigned char>(c);
    }
    value = result;
    return true;
}
