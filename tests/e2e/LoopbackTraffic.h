#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

// A paced UDP stream from 127.0.0.x to 127.0.0.y, so the loopback
// interface's octet counters grow at a known rate. Bounded on both axes: the
// rate never exceeds kMaxBytesPerSecond and the stream ends by itself after
// at most kMaxDuration, whatever the caller asks.
class LoopbackTraffic
{
public:
    static constexpr double kMaxBytesPerSecond = 4'000'000;
    static constexpr std::chrono::seconds kMaxDuration{120};
    // UDP payload of every datagram; on the loopback interface each one
    // counts with its IPv4, UDP and Ethernet headers.
    static constexpr int kPayload = 4000;
    static constexpr int kWireBytes = kPayload + 20 + 8 + 14;

    // Octets per second on the interface, as a function of the seconds since
    // the start.
    using Profile = std::function<double(double)>;

    LoopbackTraffic(const char* from, const char* to, int port);
    ~LoopbackTraffic();

    bool start(Profile profile, std::chrono::seconds duration);
    // Received octets of this network namespace's loopback interface (sysfs
    // would show the namespace it was mounted in); -1 when not found.
    static long long loopbackOctets();
    void stop();
    long long datagramsSent() const { return m_sent; }

private:
    void run(Profile profile, std::chrono::steady_clock::time_point end);

    const char* m_from;
    const char* m_to;
    int m_port;
    int m_sender = -1;
    int m_receiver = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<long long> m_sent{0};
    std::thread m_thread;
};
