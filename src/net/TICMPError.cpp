#include "TICMPError.h"

std::string ICMPErrorText(TICMPError error)
{
    switch (error) {
    case TICMPError::IE_NoError:
        return {};
    case TICMPError::IE_Other:
        return "Unknown error";
    case TICMPError::IE_TTLExceed:
        return "TTL Exceeded";
    case TICMPError::IE_UnreachOther:
        return "Unknown unreachable";
    case TICMPError::IE_UnreachRoute:
        return "No route to destination";
    case TICMPError::IE_UnreachAdmin:
        return "Administratively prohibited";
    case TICMPError::IE_UnreachAddr:
        return "Address unreachable";
    case TICMPError::IE_UnreachPort:
        return "Port unreachable";
    }
    return "Unknown error";
}

TICMPError ICMPErrorFor(bool ip6, int type, int code)
{
    if (!ip6) {
        switch (type) {
        case 0:
            return TICMPError::IE_NoError;
        case 3:
            switch (code) {
            case 0:
                return TICMPError::IE_UnreachRoute;
            case 1:
                return TICMPError::IE_UnreachAddr;
            case 3:
                return TICMPError::IE_UnreachPort;
            case 13:
                return TICMPError::IE_UnreachAdmin;
            default:
                return TICMPError::IE_UnreachOther;
            }
        case 11:
            return TICMPError::IE_TTLExceed;
        default:
            return TICMPError::IE_Other;
        }
    }
    switch (type) {
    case 129:
        return TICMPError::IE_NoError;
    case 1:
        switch (code) {
        case 0:
            return TICMPError::IE_UnreachRoute;
        case 1:
            return TICMPError::IE_UnreachAdmin;
        case 3:
            return TICMPError::IE_UnreachAddr;
        case 4:
            return TICMPError::IE_UnreachPort;
        default:
            return TICMPError::IE_UnreachOther;
        }
    case 3:
        return TICMPError::IE_TTLExceed;
    default:
        return TICMPError::IE_Other;
    }
}
