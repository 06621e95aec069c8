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
// A missing file is an empty store; any other failure raises TRegistryError
// with the system's text, so a file that cannot be read is never replaced.
TRegStore load();
// Atomically replaces the file; raises TRegistryError on failure.
void save(const TRegStore& store);

} // namespace RegStoreFile
