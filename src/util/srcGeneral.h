#pragma once

#include "ConvertError.h"
#include "RegVariant.h"
#include "RegistryError.h"

#include <string>

// The root of the per-user settings store. It is the only root there is; the
// argument stays so that calls read like the key paths they name.
enum class TRegRoot
{
    CurrentUser
};
constexpr TRegRoot HKEY_CURRENT_USER = TRegRoot::CurrentUser;

// Kinds of the values that ReadRegValue returns and WriteRegValue stores.
constexpr int rdUnknown = 0; // write only: the kind of the value already stored
constexpr int rdString = 1;
constexpr int rdExpandString = 2;
constexpr int rdInteger = 3;
constexpr int rdBinary = 4;

// Shortens a path for display to at most maxLength bytes by replacing the
// middle with "...", keeping the start and the last element with its "/".
// When the last element alone is too long the result is "..." and that
// element, longer than maxLength.
std::string ShortenPath(const std::string& path, int maxLength);

// Reads the version record of a file into this module's state. A file without
// one empties the state (the translation key of an earlier load is kept).
void LoadVersionInfo(const std::string& fileName);
// The version string of that name from the last load ("FileVersion",
// "ProductName", ...), or "No such VersionInfo".
std::string GetVersionValue(const std::string& name);

// Reads one value of the settings store: a text (also for an expandable text),
// an integer, or a byte string for a binary value. Raises TRegistryError when
// the key does not exist (the system's text for that), or when the value is
// missing or of another kind ("The configuration registry key could not be
// read.", code 1012).
TRegVariant ReadRegValue(TRegRoot root, const std::string& keyPath, const std::string& name);

// Writes one value in the given kind, creating the key if needed; kind
// rdUnknown keeps the kind of the value already stored. A boolean is written
// as the word "True" or "False". Raises TRegistryError when the store cannot be
// written (the system's text) or the kind is not one of 1 to 4 and cannot be
// taken from a stored value ("The configuration registry key could not be
// written.", code 1013), and TConvertError for a text that must be stored as
// an integer but is not one.
void WriteRegValue(TRegRoot root, const std::string& keyPath, const std::string& name,
                   const TRegVariant& value, int kind);
