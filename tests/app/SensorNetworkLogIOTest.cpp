// The syslog side of the traffic log's outside world: only priorities that
// syslog can carry leave the machine.
#include "SensorNetworkLogIO.h"

#include "TrafficLog.h"
#include "core/ScriptedV2cAgent.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr const char* kReceiver = "127.0.0.219";

// A bare syslog receiver on a loopback address no other test uses.
class SyslogReceiver
{
public:
    SyslogReceiver()
    {
        m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(514);
        inet_pton(AF_INET, kReceiver, &address.sin_addr);
        m_bound = bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~SyslogReceiver() { close(m_fd); }
    bool bound() const { return m_bound; }
    // The next datagram, or "" after a second of silence.
    std::string next()
    {
        pollfd entry{m_fd, POLLIN, 0};
        if (poll(&entry, 1, 1000) != 1)
            return {};
        char buffer[2048];
        const ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, std::size_t(n)) : std::string();
    }

private:
    int m_fd = -1;
    bool m_bound = false;
};

TEST(SensorNetworkLogIO, SendsOnlyPrioritiesSyslogCanCarry)
{
    SyslogReceiver receiver;
    if (!receiver.bound())
        GTEST_SKIP() << "cannot bind the syslog port on " << kReceiver;
    SensorNetworkLogIO io(nullptr);
    const struct
    {
        int facility;
        int severity;
    } refused[] = {{24, 0}, {-1, 0}, {0, 8}, {0, -1}, {1000, 6}};
    for (const auto& r : refused)
        EXPECT_FALSE(io.sendSyslog(kReceiver, r.facility, r.severity, "refused"))
            << r.facility << "/" << r.severity;
    // The lowest and the highest priority there are: facility 23, severity 7 -> 191.
    const struct
    {
        int facility;
        int severity;
        const char* priority;
    } sent[] = {{0, 0, "<0>"}, {23, 7, "<191>"}};
    for (const auto& c : sent) {
        EXPECT_TRUE(io.sendSyslog(kReceiver, c.facility, c.severity, "sent"));
        const std::string datagram = receiver.next();
        EXPECT_EQ(datagram.rfind(c.priority, 0), 0u) << datagram;
        EXPECT_NE(datagram.find("sent"), std::string::npos) << "something was sent before";
    }
}

// The program's log reads an SNMPv2c sensor through the poll's network, in
// one request, and keeps the reading as the log's baseline.
TEST(SensorNetworkLogIO, SnmpV2cSensorReadInOneRequest)
{
    auto agent = std::make_shared<ScriptedV2cAgent>();
    agent->interfaces[3] = {"wan", 123456789012ull, 42, true};
    SensorNetworkLogIO io(agent);
    TMonitorSettings settings;
    settings.resizeSensors(1);
    TSensorRecord& sensor = settings.Sensors[0];
    sensor.Active = true;
    sensor.HostIP = "127.0.0.1";
    sensor.Community = "public";
    sensor.Sensor = "3";
    sensor.SnmpVersion = TSnmpVersion::V2c;
    SensorPoll::buildCounterOids(sensor);
    TrafficLog::logTick(settings, io, {});

    const auto requests = agent->takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].oids.size(), 3u);
    EXPECT_TRUE(sensor.LogSeries.hasBaseline());
    EXPECT_EQ(sensor.LogSeries.last().width, CounterWidth::Bits64);
    EXPECT_EQ(sensor.LogSeries.last().down, 123456789012ull);
    EXPECT_EQ(sensor.LogSeries.last().up, 42u);
}

} // namespace
