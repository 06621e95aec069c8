// A log tick away from the window reads its sensors together: a silent agent
// holds up no other sensor's line, and the lines keep the sensors' order.

#include "TrafficLog.h"

#include "FakeTrafficLogIO.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

using namespace TrafficLog;

const char* const kDown = "1.3.6.1.2.1.2.2.1.10.1";
const char* const kUp = "1.3.6.1.2.1.2.2.1.16.1";
const char* const kHeldHost = "10.0.0.3";

// The scripted answers of FakeTrafficLogIO taken from several threads at
// once; the reads of one host wait until the test lets them go.
class HeldLogIO : public FakeTrafficLogIO
{
public:
    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (host == kHeldHost) {
            m_changed.wait(lock, [this] { return !m_holding; });
            ++m_heldReads;
            m_changed.notify_all();
        }
        return FakeTrafficLogIO::readValue(oid, community, host, value);
    }
    void appendToFile(const std::string& path, const std::string& text) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        FakeTrafficLogIO::appendToFile(path, text);
    }
    void release()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_holding = false;
        m_changed.notify_all();
    }
    // Waits until the held host's two counter reads are done.
    void waitForHeldReads()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_heldReads >= 2; });
    }
    std::vector<std::string> lines()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<std::string> hosts;
        for (const Append& append : appends)
            hosts.push_back(append.text.substr(append.text.find(';') + 1));
        return hosts;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_holding = true;
    int m_heldReads = 0;
};

TSensorRecord sensorAt(const std::string& host)
{
    TSensorRecord s;
    s.Active = true;
    s.HostName = "r" + host.substr(host.rfind('.') + 1);
    s.HostIP = host;
    s.DownOID = kDown;
    s.UpOID = kUp;
    s.TimerToUse = TTimerToUse::LocalTickCount; // the local clock: no uptime reads
    return s;
}

TEST(TrafficLogTogether, ASilentAgentHoldsUpNoOtherLineAndTheOrderStays)
{
    const auto io = std::make_shared<HeldLogIO>();
    TMonitorSettings settings;
    settings.EnableLog = true;
    settings.LogType = ltOneFile;
    settings.LogFile = "/log";
    settings.LogTime = 1; // a tick waits half a second for its reads
    settings.LogSecMinType = TLogSecMinType::Seconds;
    for (const char* host : {"10.0.0.1", "10.0.0.2", kHeldHost, "10.0.0.4"}) {
        settings.Sensors.push_back(sensorAt(host));
        io->answer(host, kDown, "1000");
        io->answer(host, kUp, "2000");
    }
    settings.NumberOfHosts = 4;
    io->ticks = 1000;
    TDetachedTick tick = logTogether(detachedCopy(settings), io, {});
    EXPECT_EQ(tick.report, "");
    // Still held: its read sits this tick out, the others are written in order.
    EXPECT_EQ(io->lines(),
              (std::vector<std::string>{"r1;10.0.0.1;0;0.0;0;0.0\n", "r2;10.0.0.2;0;0.0;0;0.0\n",
                                        "r4;10.0.0.4;0;0.0;0;0.0\n"}));
    EXPECT_EQ(tick.settings.Sensors[2].LogPrevDownCount, 0);
    EXPECT_EQ(tick.settings.Sensors[3].LogPrevDownCount, 1000);
    io->release();
    io->waitForHeldReads();

    // The next tick: every agent answers, the held one starts its baseline.
    for (const char* host : {"10.0.0.1", "10.0.0.2", kHeldHost, "10.0.0.4"})
        io->answer(host, kDown, "3048");
    io->ticks = 3000;
    tick = logTogether(tick.settings, io, {});
    const std::vector<std::string> lines = io->lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3], "r1;10.0.0.1;1024;1.0;0;0.0\n");
    EXPECT_EQ(lines[4], "r2;10.0.0.2;1024;1.0;0;0.0\n");
    EXPECT_EQ(lines[5], "r3;10.0.0.3;0;0.0;0;0.0\n");
    EXPECT_EQ(lines[6], "r4;10.0.0.4;1024;1.0;0;0.0\n");
}

} // namespace
