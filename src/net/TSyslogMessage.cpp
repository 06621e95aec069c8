#include "TSyslogMessage.h"

#include <cstdio>

std::string TSyslogMessage::PacketBuf() const
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int month = DateTime.tm_mon >= 0 && DateTime.tm_mon < 12 ? DateTime.tm_mon : 0;
    const int priority = Facility * 8 + static_cast<int>(Severity);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "<%d>%s %2d %02d:%02d:%02d ", priority, months[month],
                  DateTime.tm_mday, DateTime.tm_hour, DateTime.tm_min, DateTime.tm_sec);
    return stamp + LocalIP + " " + Tag + ": " + LogMessage;
}
