#pragma once

#include <string>
#include <string_view>

// Texts from agents and from the store may hold control characters (a line
// break and a forged record behind it, an escape sequence for a terminal).
// Where such a text becomes part of a line, a record or a name, they are
// replaced.
namespace ControlCharacters {

// True for 0x00-0x1F and 0x7F.
bool isControl(char c);

// The text with every control character replaced by `replacement`.
std::string replaced(std::string_view text, char replacement = ' ');

// At most maxBytes bytes of a UTF-8 text, never ending inside a character.
std::string_view cutUtf8(std::string_view text, std::size_t maxBytes);

} // namespace ControlCharacters
