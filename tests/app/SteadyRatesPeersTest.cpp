// A steady transfer over the loopback, graphed through net-snmp's agent, which
// refreshes its interface counters every few seconds: with the sensor's
// steady rates each poll after the first 10 s is within 10 % of the transfer
// the kernel counted; with each poll's own octets a 1 s poll beats between 0
// and several times that.

#include "SensorPoll.h"
#include "SensorPollV2c.h"
#include "SnmpSensorNetwork.h"

#include "SnmpdPollSuite.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kSnmpdAddress = "127.0.0.228";
constexpr double kTransferRate = 1'000'000; // bytes of payload a second
constexpr auto kSettle = std::chrono::seconds(10);

using Clock = std::chrono::steady_clock;

// The octets the kernel counted into the loopback interface so far.
uint64_t loopbackReceived()
{
    std::ifstream dev("/proc/net/dev");
    for (std::string line; std::getline(dev, line);) {
        std::istringstream in(line);
        std::string name;
        uint64_t octets = 0;
        if (in >> name >> octets && name == "lo:")
            return octets;
    }
    return 0;
}

// Sends datagrams to the discard port of the agent's address at an even
// kTransferRate until stopped, catching up on whatever a busy machine held
// back.
class SteadyTransfer
{
public:
    SteadyTransfer() : m_thread([this] { run(); }) {}
    ~SteadyTransfer()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    void run()
    {
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        if (fd < 0)
            return;
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(9);
        inet_pton(AF_INET, kSnmpdAddress, &to.sin_addr);
        const std::vector<char> block(8000, 'x');
        const Clock::time_point start = Clock::now();
        double sent = 0;
        while (!m_stop) {
            const double due =
                std::chrono::duration<double>(Clock::now() - start).count() * kTransferRate;
            for (; sent < due; sent += double(block.size()))
                sendto(fd, block.data(), block.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                       sizeof to);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        close(fd);
    }

    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TSensorRecord loopbackSensor(bool steady, TSnmpVersion version = TSnmpVersion::V2c)
{
    TSensorRecord sensor = agentSensor(kSnmpdAddress, version);
    sensor.SteadyRates = steady;
    return sensor;
}

struct Measured
{
    double trueRate = 0;         // what the kernel counted after the settling time
    std::vector<double> steady;  // each poll's rate after it, steady rates on
    std::vector<double> perPoll; // and off
};

class SteadyRatesAgainstSnmpd : public SnmpdPollSuite<SteadyRatesAgainstSnmpd>
{
public:
    static constexpr const char* kAgentAddress = kSnmpdAddress;

protected:
    // Polls a sensor of each rule every `interval` for `length` of a steady
    // transfer.
    Measured measure(std::chrono::seconds interval, std::chrono::seconds length,
                     TSnmpVersion version = TSnmpVersion::V2c)
    {
        Measured m;
        TSensorRecord steady = loopbackSensor(true, version);
        TSensorRecord perPoll = loopbackSensor(false, version);
        const SteadyTransfer transfer;
        const Clock::time_point start = Clock::now();
        uint64_t settled = 0;
        Clock::time_point settledAt;
        for (int n = 0; start + n * interval <= start + length; ++n) {
            std::this_thread::sleep_until(start + n * interval);
            const bool counted = start + n * interval > start + kSettle;
            if (counted && settled == 0) {
                settled = loopbackReceived();
                settledAt = Clock::now();
            }
            const double a = poll(steady).downRate;
            const double b = poll(perPoll).downRate;
            if (counted) {
                m.steady.push_back(a);
                m.perPoll.push_back(b);
            }
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - settledAt).count();
        m.trueRate = double(loopbackReceived() - settled) / seconds;
        return m;
    }

    static void report(const char* what, const Measured& m)
    {
        std::printf("%s: true %.0f B/s\n  steady:  ", what, m.trueRate);
        for (double r : m.steady)
            std::printf(" %.2f", r / m.trueRate);
        std::printf("\n  per poll:");
        for (double r : m.perPoll)
            std::printf(" %.2f", r / m.trueRate);
        std::printf("\n");
    }

    static void expectSteady(const Measured& m)
    {
        ASSERT_GT(m.trueRate, kTransferRate * 0.5);
        ASSERT_FALSE(m.steady.empty());
        for (std::size_t i = 0; i < m.steady.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_NEAR(m.steady[i], m.trueRate, m.trueRate * 0.1);
        }
    }

    // The agent's refresh steps are there to be smoothed: per poll, some polls
    // show nothing of a transfer that never stopped.
    static void expectSomeZerosPerPoll(const Measured& m)
    {
        int zeros = 0;
        for (double r : m.perPoll)
            zeros += r == 0 ? 1 : 0;
        EXPECT_GT(zeros, 0);
    }
};

TEST_F(SteadyRatesAgainstSnmpd, EveryPollAtOneSecond)
{
    const Measured m = measure(std::chrono::seconds(1), std::chrono::seconds(22));
    report("Interval 1", m);
    expectSteady(m);
    expectSomeZerosPerPoll(m);
}

TEST_F(SteadyRatesAgainstSnmpd, EveryPollAtFiveSeconds)
{
    const Measured m = measure(std::chrono::seconds(5), std::chrono::seconds(35));
    report("Interval 5", m);
    expectSteady(m);
}

// Version 1 sensors read their counters one request each and keep their
// previous readings themselves; the rule is the same.
TEST_F(SteadyRatesAgainstSnmpd, VersionOneEveryPollAtOneSecond)
{
    const Measured m = measure(std::chrono::seconds(1), std::chrono::seconds(22), TSnmpVersion::V1);
    report("SNMPv1, Interval 1", m);
    expectSteady(m);
    expectSomeZerosPerPoll(m);
}

TEST_F(SteadyRatesAgainstSnmpd, VersionOneEveryPollAtFiveSeconds)
{
    const Measured m = measure(std::chrono::seconds(5), std::chrono::seconds(35), TSnmpVersion::V1);
    report("SNMPv1, Interval 5", m);
    expectSteady(m);
}

TEST_F(SteadyRatesAgainstSnmpd, AnIdleInterfaceIsZeroWithinARefresh)
{
    TSensorRecord sensor = loopbackSensor(true);
    {
        const SteadyTransfer transfer;
        for (int n = 0; n < 10; ++n) {
            poll(sensor);
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    }
    // The transfer stopped; the agent's counters show it at their next
    // refresh, and a refresh later the interface reads idle. The agent's own
    // requests on the loopback are a few hundred bytes a second at most.
    std::vector<double> after;
    for (int n = 0; n < 10; ++n) {
        after.push_back(poll(sensor).downRate);
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    EXPECT_LT(after.back(), 2000) << "still " << after.back() << " B/s";
}

} // namespace
