#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A version record read back from a file: the translation (language and code
// page) and the named version strings.
struct TVersionBlock
{
    uint16_t Language = 0;
    uint16_t CodePage = 0;
    std::vector<std::pair<std::string, std::string>> Strings;

    // Language then code page, 4 upper-case hex digits each: "040904E4".
    std::string translationKey() const;
    // Looks a path up the way the version resource query does:
    // "\StringFileInfo\<translation key>\<name>" gives that string (key and
    // name without regard to letter case). Any other path finds nothing.
    bool query(std::string_view path, std::string& value) const;
};

// Parses one record that starts at data. Returns its length, or 0 when the
// bytes there are not a complete, consistent record. Never reads past size.
std::size_t parseVersionRecord(const unsigned char* data, std::size_t size, TVersionBlock& block);

// The first valid record anywhere in data.
bool findVersionBlock(const unsigned char* data, std::size_t size, TVersionBlock& block);

// Scans a whole file for a record, holding at most a chunk plus one record in
// memory, so any file (also a huge or hostile one) can be asked.
bool readVersionBlockFromFile(const std::string& path, TVersionBlock& block);
