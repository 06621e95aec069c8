#include "ControlCharacters.h"

namespace ControlCharacters {

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

std::string replaced(std::string_view text, char replacement)
{
    std::string out(text);
    for (char& c : out) {
        if (isControl(c))
            c = replacement;
    }
    return out;
}

std::string_view cutUtf8(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    // Back off continuation bytes (10xxxxxx) to the start of their character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace ControlCharacters
