#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

// A UDP relay in front of an agent that loses and delays the agent's replies
// the way a poor link does: each reply is dropped with the given chance
// (from a fixed seed, so runs repeat) and otherwise delivered after the
// delay. Used where the kernel has no netem queue discipline. Its sockets
// belong to the network namespace of the thread that calls start().
class LossyRelay
{
public:
    LossyRelay(std::string listenAddress, std::string agentAddress, int lossPercent, int delayMs);
    ~LossyRelay();

    bool start();
    void stop();

    long requests() const { return m_requests; }
    long dropped() const { return m_dropped; }
    long delivered() const { return m_delivered; }
    const std::string& error() const { return m_error; }

private:
    void run();

    std::string m_listenAddress;
    std::string m_agentAddress;
    int m_lossPercent;
    int m_delayMs;
    std::string m_error;
    int m_listenFd = -1;
    int m_upstreamFamily = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_requests{0}, m_dropped{0}, m_delivered{0};
    std::thread m_thread;
};
