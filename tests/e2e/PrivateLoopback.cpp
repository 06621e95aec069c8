#include "PrivateLoopback.h"

#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

bool enterPrivateLoopback(std::string& error)
{
    if (::unshare(CLONE_NEWNET) != 0) {
        error = std::string("cannot make a network namespace: ") + std::strerror(errno);
        return false;
    }
    const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request = {};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = s >= 0 && ::ioctl(s, SIOCGIFFLAGS, &request) == 0 &&
                    (request.ifr_flags |= IFF_UP, ::ioctl(s, SIOCSIFFLAGS, &request) == 0);
    if (s >= 0)
        ::close(s);
    if (!up)
        error = std::string("cannot bring the loopback interface up: ") + std::strerror(errno);
    return up;
}
