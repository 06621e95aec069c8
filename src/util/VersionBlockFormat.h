#pragma once

#include <cstddef>
#include <cstdint>

// Layout of the version record that the build embeds in the executable (in its
// own ELF section, ".travimetra_version") and that the reader finds by scanning
// a file. All numbers are little-endian.
//
//   offset  size  field
//   0       8     magic: 89 'T' 'V' 'M' 'V' 'E' 'R' 1A
//   8       2     format, 1
//   10      2     language of the strings (0x0409)
//   12      2     code page of the strings (0x04E4)
//   14      2     number of strings
//   16      4     length L of the string table
//   20      L     strings: u16 name length, name, u16 value length, value
//   20+L    4     FNV-1a checksum of bytes 8 .. 20+L-1
//
// Names are printable ASCII without blanks, values are any bytes except zero.
namespace VersionBlockFormat {

constexpr unsigned char kMagic[8] = {0x89, 'T', 'V', 'M', 'V', 'E', 'R', 0x1A};
constexpr uint16_t kFormat = 1;
constexpr std::size_t kHeaderSize = 20;
constexpr std::size_t kChecksumSize = 4;
constexpr std::size_t kMaxTableLength = 16384;
constexpr std::size_t kMaxRecordSize = kHeaderSize + kMaxTableLength + kChecksumSize;
constexpr std::size_t kMaxStrings = 64;
constexpr std::size_t kMaxNameLength = 64;
constexpr std::size_t kMaxValueLength = 1024;

constexpr uint32_t fnv1a(const unsigned char* data, std::size_t size)
{
    uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 16777619u;
    }
    return hash;
}

} // namespace VersionBlockFormat
