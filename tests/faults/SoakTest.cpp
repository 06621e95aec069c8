// Twenty thousand poll passes over ten sensors, driven back to back without
// waiting for the timer, with the latency sensor and the traffic log (to a
// file and to syslog, in turn) on: resident memory stops growing after the
// first thousand passes and no descriptor is left open.
//
// TRAVIMETRA_SOAK_PASSES sets the number of passes (default 20000; CTest and
// the sanitizer build run fewer). In a sanitizer build, run it with
// LSAN_OPTIONS=suppressions=tests/faults/lsan-qt.supp: fontconfig, under Qt,
// keeps a few hundred bytes to the end.

#include "ProcessProbes.h"
#include "RecordingNetwork.h"

#include "app/MainFormFixture.h"

#include "BerTag.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "SensorPoll.h"
#include "SnmpSensorNetwork.h"
#include "TSNMPRec.h"
#include "TrafficLog.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kAgentAddress = "127.0.0.97";
constexpr const char* kSyslogAddress = "127.0.0.98";
constexpr int kSensors = 10;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Uptime from the clock, every interface counting at its own steady rate. It
// keeps nothing per request (unlike the scripted agent, which records every
// request), so that the process's memory is the program's.
class CountingAgent
{
public:
    bool start()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(161);
        inet_pton(AF_INET, kAgentAddress, &local.sin_addr);
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            m_error = std::string("cannot bind UDP 161 on ") + kAgentAddress + " (needs root)";
            return false;
        }
        m_thread = std::thread([this] { run(); });
        return true;
    }
    ~CountingAgent()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    const std::string& error() const { return m_error; }

private:
    void run()
    {
        char buffer[2048];
        while (!m_stop) {
            pollfd entry{m_fd, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0)
                continue;
            sockaddr_in sender{};
            socklen_t length = sizeof sender;
            const ssize_t n = ::recvfrom(m_fd, buffer, sizeof buffer, 0,
                                         reinterpret_cast<sockaddr*>(&sender), &length);
            TSNMPRec decoded;
            if (n <= 0 || !decoded.Decode(std::string(buffer, std::size_t(n))) ||
                decoded.VarBindCount() == 0)
                continue;
            const std::string oid = decoded.VarBind(0).Oid;
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - m_start)
                                .count();
            std::uint32_t value = 0;
            int tag = BerTag::Counter32;
            if (oid == SensorPoll::kUpTimeOid) {
                value = std::uint32_t(100 + ms / 10);
                tag = BerTag::TimeTicks;
            } else {
                const long index = std::atol(oid.c_str() + oid.find_last_of('.') + 1);
                value = std::uint32_t(ms * 100 * index);
            }
            const std::string reply =
                AgentReply::response(decoded.ID, {{oid, tag, AgentReply::unsigned32(value)}});
            ::sendto(m_fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&sender),
                     length);
        }
    }

    int m_fd = -1;
    std::string m_error;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Takes the syslog datagrams off the wire and counts them.
class SyslogSink
{
public:
    bool start()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(514);
        inet_pton(AF_INET, kSyslogAddress, &local.sin_addr);
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
            return false;
        m_thread = std::thread([this] {
            char buffer[2048];
            while (!m_stop) {
                pollfd entry{m_fd, POLLIN, 0};
                if (::poll(&entry, 1, 20) > 0 && ::recv(m_fd, buffer, sizeof buffer, 0) > 0)
                    ++m_count;
            }
        });
        return true;
    }
    ~SyslogSink()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    long count() const { return m_count; }

private:
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_count{0};
    std::thread m_thread;
};

class Soak : public MainFormFixture
{
};

TEST_F(Soak, TwentyThousandPassesOverTenSensors)
{
    CountingAgent agent;
    REQUIRE_PEER(agent.start(), agent.error());
    SyslogSink syslog;
    REQUIRE_PEER(syslog.start(), "cannot bind UDP 514 on " << kSyslogAddress);

    TMonitorSettings s = typicalSettings();
    s.LatencySensor = true;
    s.LatencyHost = "127.0.0.1";
    s.EnableLog = true;
    s.LogType = TrafficLog::ltOneFile;
    s.LogFile = (m_root / "state" / "Travimetra.log").string();
    s.SysLogServer = kSyslogAddress;
    for (int i = 0; i < kSensors; ++i) {
        s.Sensors.push_back(configuredSensor(kAgentAddress, "Sensor" + std::to_string(i)));
        s.Sensors.back().Sensor = std::to_string(i + 1);
        s.Sensors.back().SpeedType = i % 3 == 0 ? stLive : stDetected;
        s.Sensors.back().HalfHeight = i % 2 == 1;
    }
    seedStore(s);
    auto network = std::make_shared<RecordingNetwork>(std::make_shared<SnmpSensorNetwork>());
    auto form = makeForm(network);
    form->show();
    QCoreApplication::processEvents();

    const long passes = ProcessProbes::countFromEnvironment("TRAVIMETRA_SOAK_PASSES", 20000);
    long residentAtThousand = -1;
    int descriptorsAtThousand = -1;
    std::string descriptorList;
    QElapsedTimer clock;
    clock.start();
    for (long pass = 1; pass <= passes; ++pass) {
        // Half the time to the file, half to syslog.
        form->settings().LogType = (pass / 100) % 2 ? TrafficLog::ltSyslog : TrafficLog::ltOneFile;
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        form->LatencyTimerTimer();
        form->networkJobs().settle();
        form->LogTimerTimer();
        form->networkJobs().settle();
        QCoreApplication::processEvents();
        // The record of every read would itself grow without end.
        network->clear();
        if (pass == std::min<long>(1000, passes / 2)) {
            residentAtThousand = ProcessProbes::residentKilobytes();
            descriptorsAtThousand = ProcessProbes::openFileDescriptors();
            descriptorList = ProcessProbes::descriptorTargets();
        }
    }
    const double seconds = clock.elapsed() / 1000.0;
    const long resident = ProcessProbes::residentKilobytes();
    const int descriptors = ProcessProbes::openFileDescriptors();
    TSensorControls* c = form->sensorControls(kSensors - 1);
    EXPECT_TRUE(c->DownLabel->text().startsWith("DL: ")) << c->DownLabel->text().toStdString();
    EXPECT_GT(syslog.count(), 0);
    EXPECT_EQ(network->failedPings(), 0)
        << "of " << network->pings() << "; last " << form->latencyLabel()->text().toStdString();
    std::printf("[ figures  ] %ld passes over %d sensors in %.1f s (%.2f ms a pass); resident "
                "%ld kB after %ld passes, %ld kB at the end (+%ld kB); descriptors %d -> %d; "
                "%ld syslog datagrams\n",
                passes, kSensors, seconds, seconds * 1000 / passes, residentAtThousand,
                std::min<long>(1000, passes / 2), resident, resident - residentAtThousand,
                descriptorsAtThousand, descriptors, syslog.count());
    // AddressSanitizer holds freed memory in quarantine: resident size says
    // nothing there.
    if (!kSanitized) {
        EXPECT_LT(resident - residentAtThousand, 1024);
    }
    // Qt may still close a helper's descriptor late on; none may be added.
    EXPECT_LE(descriptors, descriptorsAtThousand) << descriptorList << "\nnow:\n"
                                                  << ProcessProbes::descriptorTargets();
}

} // namespace
