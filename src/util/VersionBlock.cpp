#include "VersionBlock.h"

#include "TextCase.h"
#include "VersionBlockFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace F = VersionBlockFormat;

namespace {

uint32_t read16(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t read32(const unsigned char* p)
{
    return read16(p) | read16(p + 2) << 16;
}

bool isNameByte(unsigned char c)
{
    return c > 0x20 && c < 0x7F;
}

// Reads a u16-length-prefixed field from table[at..end).
bool readField(const unsigned char* table, std::size_t end, std::size_t& at, std::size_t maxLength,
               std::string& field)
{
    if (end - at < 2)
        return false;
    const std::size_t length = read16(table + at);
    at += 2;
    if (length > maxLength || end - at < length)
        return false;
    field.assign(reinterpret_cast<const char*>(table + at), length);
    at += length;
    return true;
}

} // namespace

std::string TVersionBlock::translationKey() const
{
    char key[9];
    std::snprintf(key, sizeof key, "%04X%04X", unsigned(Language), unsigned(CodePage));
    return key;
}

bool TVersionBlock::query(std::string_view path, std::string& value) const
{
    constexpr std::string_view prefix = "\\StringFileInfo\\";
    if (path.size() < prefix.size() || !equalsNoCase(path.substr(0, prefix.size()), prefix))
        return false;
    path.remove_prefix(prefix.size());
    const std::size_t slash = path.find('\\');
    if (slash == std::string_view::npos || !equalsNoCase(path.substr(0, slash), translationKey()))
        return false;
    const std::string_view name = path.substr(slash + 1);
    for (const auto& entry : Strings) {
        if (equalsNoCase(entry.first, name)) {
            value = entry.second;
            return true;
        }
    }
    return false;
}

std::size_t parseVersionRecord(const unsigned char* data, std::size_t size, TVersionBlock& block)
{
    if (size < F::kHeaderSize + F::kChecksumSize || std::memcmp(data, F::kMagic, 8) != 0)
        return 0;
    if (read16(data + 8) != F::kFormat)
        return 0;
    const std::size_t count = read16(data + 14);
    const std::size_t tableLength = read32(data + 16);
    if (count > F::kMaxStrings || tableLength > F::kMaxTableLength ||
        size - F::kHeaderSize - F::kChecksumSize < tableLength)
        return 0;
    const std::size_t end = F::kHeaderSize + tableLength;
    if (read32(data + end) != F::fnv1a(data + 8, end - 8))
        return 0;

    TVersionBlock parsed;
    parsed.Language = uint16_t(read16(data + 10));
    parsed.CodePage = uint16_t(read16(data + 12));
    std::size_t at = F::kHeaderSize;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name, value;
        if (!readField(data, end, at, F::kMaxNameLength, name) || name.empty() ||
            !std::all_of(name.begin(), name.end(),
                         [](char c) { return isNameByte(static_cast<unsigned char>(c)); }))
            return 0;
        if (!readField(data, end, at, F::kMaxValueLength, value) ||
            value.find('\0') != std::string::npos)
            return 0;
        parsed.Strings.emplace_back(std::move(name), std::move(value));
    }
    // The strings must fill the table exactly.
    if (at != end)
        return 0;
    block = std::move(parsed);
    return end + F::kChecksumSize;
}

bool findVersionBlock(const unsigned char* data, std::size_t size, TVersionBlock& block)
{
    const unsigned char* const stop = data + size;
    const unsigned char* at = data;
    while (at < stop) {
        at = static_cast<const unsigned char*>(
            std::memchr(at, F::kMagic[0], std::size_t(stop - at)));
        if (!at)
            return false;
        if (parseVersionRecord(at, std::size_t(stop - at), block) != 0)
            return true;
        ++at;
    }
    return false;
}

bool readVersionBlockFromFile(const std::string& path, TVersionBlock& block)
{
    // Only regular files: a FIFO or device could block or never end.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return false;
    }
    constexpr std::size_t kChunk = 1 << 20;
    // A record that starts in one chunk may end in the next: every chunk is
    // scanned together with the tail of the one before, one record long, and a
    // candidate is only judged once the whole record length could be present.
    std::vector<unsigned char> buffer;
    buffer.reserve(kChunk + F::kMaxRecordSize);
    bool found = false;
    bool atEnd = false;
    while (!found && !atEnd) {
        const std::size_t kept = buffer.size();
        buffer.resize(kept + kChunk);
        std::size_t filled = kept;
        while (filled < buffer.size()) {
            const ssize_t got = read(fd, buffer.data() + filled, buffer.size() - filled);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                atEnd = true;
                break;
            }
            filled += std::size_t(got);
        }
        buffer.resize(filled);
        // Positions from which a whole record may still be cut off are left for
        // the next round, unless the file has ended.
        const std::size_t scanEnd =
            atEnd ? buffer.size() : buffer.size() - std::min(buffer.size(), F::kMaxRecordSize);
        for (std::size_t at = 0; at < scanEnd && !found; ++at) {
            if (buffer[at] == F::kMagic[0])
                found = parseVersionRecord(buffer.data() + at, buffer.size() - at, block) != 0;
        }
        buffer.erase(buffer.begin(), buffer.begin() + std::ptrdiff_t(scanEnd));
    }
    close(fd);
    return found;
}
