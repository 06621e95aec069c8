#include "SocketErrors.h"

#include <cstring>
#include <netdb.h>

namespace SockErr {

int fromResolverError(int eaiCode)
{
    switch (eaiCode) {
    case 0:
        return Ok;
    case EAI_AGAIN:
        return TryAgain;
    case EAI_FAIL:
        return NoRecovery;
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
    case EAI_ADDRFAMILY:
        return NoData;
    default:
        return HostNotFound;
    }
}

std::string description(int code)
{
    switch (code) {
    case Ok:
        return "OK";
    case WouldBlock:
        return "Operation would block";
    case NotSocket:
        return "Socket operation on non-socket";
    case ConnectionReset:
        return "Connection reset by peer";
    case NoBufferSpace:
        return "No Buffer space available";
    case TimedOut:
        return "Connection timed out";
    case HostNotFound:
        return "Host not found";
    case TryAgain:
        return "Non-Authoritative Host not found";
    case NoRecovery:
        return "Non-Recoverable error";
    case NoData:
        return "Valid name, no data record of requested type";
    default:
        break;
    }
    if (code > 0 && code < 4096)
        return std::strerror(code);
    return "Other Winsock error (" + std::to_string(code) + ")";
}

} // namespace SockErr
