#pragma once

#include "RegStore.h"

#include <string>

// The settings-store file of this user: $XDG_CONFIG_HOME/Quorvane/Travimetra.reg
// (~/.config/Quorvane/Travimetra.reg by default), mode 0600 because it holds
// SNMP community strings.
namespace RegStoreFile {

// Larger files are refused rather than read: a real store is a few kilobytes.
constexpr std::size_t kMaxFileSize = 4 * 1024 * 1024;

std::string path();
// A missing file is an empty store. A file that cannot be read completely
// (too large, not decodable, lines that are not understood) is moved aside
// (StorePlatform::moveAside) and what could be understood is returned; when
// it cannot be moved, or something other than a file is in its place,
// TRegistryError with the system's text is raised, so such a file is never
// replaced.
TRegStore load();
// The path of the copy the last load moved aside, once; empty when none.
std::string takeSetAside();
// Atomically replaces the file; raises TRegistryError on failure, and
// without writing when the reader would not take the content back (larger
// than kMaxFileSize, or not read back completely).
void save(const TRegStore& store);

// While one lives, the file is only read: a load keeps what it could not
// understand where it is (no copy aside, no rewrite) and save raises. For
// commands that only report, which must leave the user's settings as they are.
class TReadOnlyScope
{
public:
    TReadOnlyScope();
    ~TReadOnlyScope();
    TReadOnlyScope(const TReadOnlyScope&) = delete;
    TReadOnlyScope& operator=(const TReadOnlyScope&) = delete;

private:
    bool m_was;
};

} // namespace RegStoreFile
