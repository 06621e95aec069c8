#pragma once

#include <string>

// The classified outcome of one ICMP echo.
enum class TICMPError
{
    IE_NoError,
    IE_Other,
    IE_TTLExceed,
    IE_UnreachOther,
    IE_UnreachRoute,
    IE_UnreachAdmin,
    IE_UnreachAddr,
    IE_UnreachPort
};

// The text shown beside an outcome; empty for IE_NoError.
std::string ICMPErrorText(TICMPError error);

// The outcome an answer of ICMP `type` and `code` stands for.
TICMPError ICMPErrorFor(bool ip6, int type, int code);
