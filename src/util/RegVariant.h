#pragma once

#include <cstdint>
#include <string>
#include <variant>

// A value as it travels to and from the settings store: text (a byte string),
// a signed 32-bit integer or a boolean.
using TRegVariant = std::variant<std::string, int32_t, bool>;

// The text form used when a value is written as text or as bytes; a boolean
// becomes the English word "True" or "False".
std::string regVariantText(const TRegVariant& value);

// Conversions of a value read from the store into a setting. Each returns false
// when the value cannot stand for the target, so the caller can treat it as
// missing instead of inventing a number.
// Integer: an integer, or a text holding a signed 32-bit decimal.
bool regVariantToInt(const TRegVariant& value, int32_t& result);
// Boolean: "True"/"False" in any letter case, or an integer (non-zero is true).
bool regVariantToBool(const TRegVariant& value, bool& result);
// Text: a text, or an integer written in decimal.
bool regVariantToText(const TRegVariant& value, std::string& result);
