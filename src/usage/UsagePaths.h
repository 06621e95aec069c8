#pragma once

#include <string>

// $XDG_DATA_HOME/Travimetra/usage.sqlite (default ~/.local/share/...); empty
// when the user has no home folder at all.
std::string usageDatabasePath();
