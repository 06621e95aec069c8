#include "Platform.h"

#include <cstdlib>

namespace Platform {

void prepareWindowSystem()
{
    const char* display = std::getenv("DISPLAY");
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (display && *display && !(chosen && *chosen))
        setenv("QT_QPA_PLATFORM", "xcb", 1);
}

} // namespace Platform
