#pragma once

#include <string>

// The folder of the running executable, with its closing '/'; empty when
// it cannot be told. Helpers and modules are looked for from there.
std::string ownFolder();
