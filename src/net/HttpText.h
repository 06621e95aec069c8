#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Small text helpers of the HTTP client. ASCII only: HTTP heads are ASCII,
// and the user's locale must not change how they are read.
namespace HttpText {

std::string upper(std::string text);
std::string lower(std::string text);
std::string trim(const std::string& text);
bool startsWithNoCase(const std::string& text, const std::string& prefix);

// A decimal integer with an optional sign; false when it is not one or does
// not fit.
bool parseDecimal(const std::string& text, std::int64_t& value);

// Hexadecimal digits; `valid` is false for anything else, and `overflow`
// true when the digits are a number too large to be a size.
std::uint64_t parseHex(const std::string& text, bool& valid, bool& overflow);

std::string base64(const std::string& bytes);

// Splits at CR LF, LF or CR; a final line end adds no empty line.
std::vector<std::string> splitLines(const std::string& text);

} // namespace HttpText
