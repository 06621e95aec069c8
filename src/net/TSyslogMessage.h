#pragma once

#include <cstdint>
#include <ctime>
#include <string>

enum class TSyslogSeverity
{
    Emergency,
    Alert,
    Critical,
    Error,
    Warning,
    Notice,
    Info,
    Debug
};

// One message in the BSD syslog layout (RFC 3164).
class TSyslogMessage
{
public:
    std::uint8_t Facility = 0;
    TSyslogSeverity Severity = TSyslogSeverity::Emergency;
    std::tm DateTime{}; // local time
    std::string Tag;
    std::string LogMessage;
    std::string LocalIP;

    // "<PRI>Mmm dd hh:mm:ss LocalIP Tag: LogMessage", the month in English
    // and the day right-aligned in two characters, whatever the locale.
    std::string PacketBuf() const;
};
