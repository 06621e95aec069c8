#pragma once

#include <string>
#include <string_view>

// Letter case folding for ASCII only: store keys and value names are byte
// strings, and bytes above 127 compare as they are.
char asciiLower(char c);
std::string asciiLower(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
