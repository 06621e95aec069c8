#include "DatagramWait.h"

#include "SocketErrors.h"
#include "TickCount.h"

bool awaitDatagram(TUDPBlockSocket& sock, int timeoutMs, std::string& datagram,
                   const std::function<bool(const std::string&)>& accept)
{
    const std::uint32_t start = TickCount32();
    const std::uint32_t limit = timeoutMs > 0 ? static_cast<std::uint32_t>(timeoutMs) : 0;
    while (true) {
        const std::uint32_t elapsed = TickDiff(start, TickCount32());
        const int remaining = elapsed >= limit ? 0 : static_cast<int>(limit - elapsed);
        datagram = sock.ReceivePacket(remaining);
        if (sock.LastError() != SockErr::Ok)
            return false;
        if (accept(datagram))
            return true;
    }
}
