#pragma once

#include <optional>
#include <string>

// The XDG autostart entry that starts the program at log-on.
namespace XdgAutostart {

// $XDG_CONFIG_HOME/autostart/Travimetra.desktop (~/.config when unset).
std::string entryPath();

// The desktop entry that runs `executable`, or nothing for a path that a
// desktop entry cannot hold (empty, not absolute, a line break).
std::optional<std::string> entryText(const std::string& executable);

// Writes the entry atomically, creating the autostart folder when needed;
// false when anything fails (the old entry, if any, stays).
bool writeEntry(const std::string& executable);
// Removes the entry; true when it is gone afterwards.
bool removeEntry();

} // namespace XdgAutostart
