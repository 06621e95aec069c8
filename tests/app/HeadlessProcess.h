#pragma once

#include "../e2e/StoreFile.h"
#include "../e2e/Waiting.h"
#include "ChildProcess.h"
#include "TempDirectory.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// "travimetra --headless" in a home folder of its own, with no display: the
// program as a systemd user unit starts it.
class HeadlessProcess
{
public:
    HeadlessProcess();

    const std::string& home() const { return m_home.path(); }
    std::string logFile() const { return m_home.file("Travimetra.log"); }
    std::string output() const { return m_home.read("stderr.log"); }

    // A store as a user who set it up in the window has it: `interval`
    // seconds between polls, one active SNMPv1 sensor per address on
    // interface `ifIndex`, the traffic log every second, the metrics served
    // on `metricsAddress`:`metricsPort`.
    StoreFile::Seed store(int interval, const std::vector<std::string>& agents, int ifIndex,
                          const std::string& metricsAddress, int metricsPort) const;

    bool start();
    // The whole command line without a display, for a run of its own.
    std::vector<std::string> command(const std::vector<std::string>& args) const;
    pid_t pid() const { return m_process.pid(); }
    bool running() { return m_process.running(); }
    // Sends `signal` and waits up to `limit` for the end; how long it took,
    // or nothing when it did not end.
    std::optional<std::chrono::milliseconds> signalAndWait(int signal,
                                                           std::chrono::milliseconds limit);
    void signal(int signal);

private:
    TempDirectory m_home;
    ChildProcess m_process;
};

// The value of the first sample line that starts with `prefix` in a scrape.
std::optional<double> sampleValue(const std::string& scrape, const std::string& prefix);
