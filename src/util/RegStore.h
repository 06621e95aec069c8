#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Value types as the REGEDIT4 text names them (hex(n) carries n).
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;

// One named value. Texts (REG_SZ, REG_EXPAND_SZ) hold their bytes without a
// terminator; REG_DWORD holds four bytes, least significant first; every other
// type holds its bytes as they were read.
struct TRegValue
{
    std::string Name;
    uint32_t Type = 0;
    std::string Data;
};

// One key: its path as written (for example
// "HKEY_CURRENT_USER\Software\Quorvane\Travimetra") and its values in the order
// they were first stored.
class TRegKey
{
public:
    explicit TRegKey(std::string path) : m_path(std::move(path)) {}

    const std::string& path() const { return m_path; }
    const std::vector<TRegValue>& values() const { return m_values; }

    // Names match without regard to ASCII letter case.
    const TRegValue* findValue(std::string_view name) const;
    // Replaces the type and data of a value of that name, keeping the name's
    // original spelling, or appends a new value.
    void setValue(std::string_view name, uint32_t type, std::string data);

private:
    std::string m_path;
    std::vector<TRegValue> m_values;
    std::unordered_map<std::string, std::size_t> m_index;
};

// The content of a settings-store file in memory, read from and written as
// REGEDIT4 text. Reading is lenient: a line that cannot be understood is
// skipped, so a damaged file never stops the program; everything that was
// understood is kept and written back exactly.
class TRegStore
{
public:
    // Reads the bytes of a store file (see RegStoreText for the encodings
    // taken). Blank lines, lines starting with ";", a ";" comment after a key
    // header and the "REGEDIT4" signature are understood; `complete` (when
    // given) becomes false when anything else could not be understood.
    static TRegStore parse(std::string_view bytes, bool* complete = nullptr);
    std::string serialize() const;

    // Paths match without regard to ASCII letter case; empty components
    // (leading, trailing or doubled backslashes) are ignored.
    const TRegKey* findKey(std::string_view path) const;
    TRegKey* findKey(std::string_view path);
    // Returns the existing key or appends a new one.
    TRegKey& createKey(std::string_view path);

    const std::vector<TRegKey>& keys() const { return m_keys; }

    // A path or name that a REGEDIT4 line cannot carry (a line break, or a
    // backslash or bracket that would change the key's meaning) is refused.
    static bool isStorablePath(std::string_view path);
    static bool isStorableName(std::string_view name);
    // "A\\B\\" -> "A\B": the form in which paths are kept.
    static std::string normalizePath(std::string_view path);

private:
    std::vector<TRegKey> m_keys;
    std::unordered_map<std::string, std::size_t> m_index;
};
