#pragma once

#include "LogTextFormat.h"

// The operating system's side of the log's time stamps and numbers.

// The date, time and decimal conventions of the locale in effect for the
// calling thread (the program selects the user's at start).
TLocaleFormats currentLocaleFormats();

// The current local date and time.
TLocalDateTime localNow();
