// The program's version record, built at compile time from the project's
// version and placed in its own section so that LoadVersionInfo can find it in
// the executable file.
#include "VersionBlockFormat.h"
#include "VersionStrings.h"

#include <string_view>

namespace {

struct TEntry
{
    std::string_view Name;
    std::string_view Value;
};

constexpr TEntry kEntries[] = {
    {"CompanyName", TRAVIMETRA_VERSION_COMPANY},
    {"FileDescription", TRAVIMETRA_VERSION_DESCRIPTION},
    {"FileVersion", TRAVIMETRA_VERSION_FILE},
    {"InternalName", TRAVIMETRA_VERSION_INTERNAL_NAME},
    {"LegalCopyright", TRAVIMETRA_VERSION_COPYRIGHT},
    {"OriginalFilename", TRAVIMETRA_VERSION_INTERNAL_NAME},
    {"ProductName", TRAVIMETRA_VERSION_PRODUCT},
    {"ProductVersion", TRAVIMETRA_VERSION_FILE},
};
constexpr uint16_t kLanguage = 0x0409;
constexpr uint16_t kCodePage = 0x04E4;

constexpr std::size_t tableLength()
{
    std::size_t length = 0;
    for (const TEntry& entry : kEntries)
        length += 2 + entry.Name.size() + 2 + entry.Value.size();
    return length;
}

namespace F = VersionBlockFormat;
constexpr std::size_t kRecordSize = F::kHeaderSize + tableLength() + F::kChecksumSize;
static_assert(tableLength() <= F::kMaxTableLength, "version strings too long");
static_assert(sizeof kEntries / sizeof kEntries[0] <= F::kMaxStrings, "too many version strings");

struct TRecord
{
    unsigned char Bytes[kRecordSize];
};

constexpr TRecord makeRecord()
{
    TRecord record{};
    std::size_t at = 0;
    auto put8 = [&](unsigned value) { record.Bytes[at++] = static_cast<unsigned char>(value); };
    auto put16 = [&](std::size_t value) {
        put8(value & 0xFF);
        put8((value >> 8) & 0xFF);
    };
    auto put32 = [&](std::size_t value) {
        put16(value & 0xFFFF);
        put16((value >> 16) & 0xFFFF);
    };
    for (unsigned char byte : F::kMagic)
        put8(byte);
    put16(F::kFormat);
    put16(kLanguage);
    put16(kCodePage);
    put16(sizeof kEntries / sizeof kEntries[0]);
    put32(tableLength());
    for (const TEntry& entry : kEntries) {
        put16(entry.Name.size());
        for (char c : entry.Name)
            put8(static_cast<unsigned char>(c));
        put16(entry.Value.size());
        for (char c : entry.Value)
            put8(static_cast<unsigned char>(c));
    }
    put32(F::fnv1a(record.Bytes + 8, at - 8));
    return record;
}

// Referenced by nothing: "used" keeps it in the object, the object library
// keeps the object in the executable.
[[gnu::used, gnu::section(".travimetra_version")]] const TRecord kVersionRecord = makeRecord();

} // namespace
