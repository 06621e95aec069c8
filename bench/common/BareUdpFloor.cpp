#include "BareUdpFloor.h"

#include "Ber.h"
#include "SensorPoll.h"
#include "TSNMPRec.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const std::string* passRequests()
{
    static std::string requests[5];
    static const bool built = [] {
        const std::string oids[5] = {SensorPoll::kUpTimeOid, SensorPoll::kUpTimeOid,
                                     std::string(SensorPoll::kInOctetsPrefix) + "1",
                                     std::string(SensorPoll::kOutOctetsPrefix) + "1",
                                     SensorPoll::kUpTimeOid};
        TSNMPRec query;
        for (int i = 0; i < 5; ++i) {
            query.Reset();
            query.Community = "vandor";
            query.PDUType = BerTag::GetRequest;
            query.AddVarBind(oids[i], "", BerTag::Null);
            requests[i] = query.Encode();
        }
        return true;
    }();
    (void)built;
    return requests;
}

} // namespace

bool bareUdpPollFloor(const char* agentAddress, int sensors)
{
    const std::string* requests = passRequests();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(161);
    inet_pton(AF_INET, agentAddress, &to.sin_addr);
    char reply[2048];
    for (int sensor = 0; sensor < sensors; ++sensor) {
        for (int i = 0; i < 5; ++i) {
            const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
            const bool answered = ::send(fd, requests[i].data(), requests[i].size(), 0) >= 0 &&
                                  ::recv(fd, reply, sizeof reply, 0) > 0;
            ::close(fd);
            if (!answered)
                return false;
        }
    }
    return true;
}
