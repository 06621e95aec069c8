#include "HeadlessProcess.h"

#include <csignal>
#include <sstream>
#include <sys/wait.h>
#include <thread>

HeadlessProcess::HeadlessProcess() = default;

StoreFile::Seed HeadlessProcess::store(int interval, const std::vector<std::string>& agents,
                                       int ifIndex, const std::string& metricsAddress,
                                       int metricsPort) const
{
    StoreFile::ReturningUser user;
    user.home = home();
    user.sensors = int(agents.size());
    user.interval = interval;
    user.enableLog = true;
    StoreFile::Seed seed = StoreFile::returningUser(user);
    seed.boolean("", "MetricsEnabled", true)
        .text("", "MetricsAddress", metricsAddress)
        .integer("", "MetricsPort", metricsPort);
    for (std::size_t i = 0; i < agents.size(); ++i)
        seed.sensor(int(i), "Agent " + std::to_string(i), agents[i], ifIndex, 100000);
    return seed;
}

std::vector<std::string> HeadlessProcess::command(const std::vector<std::string>& args) const
{
    std::vector<std::string> argv = {"/usr/bin/env",
                                     "-u",
                                     "DISPLAY",
                                     "-u",
                                     "WAYLAND_DISPLAY",
                                     "-u",
                                     "XDG_CONFIG_HOME",
                                     "-u",
                                     "XDG_STATE_HOME",
                                     "-u",
                                     "XDG_DATA_HOME",
                                     "-u",
                                     "DBUS_SESSION_BUS_ADDRESS",
                                     "HOME=" + home(),
                                     "XDG_RUNTIME_DIR=" + home(),
                                     TRAVIMETRA_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

bool HeadlessProcess::start()
{
    return m_process.start(command({"--headless"}), m_home.file("stderr.log"));
}

void HeadlessProcess::signal(int number)
{
    if (m_process.pid() > 0)
        ::kill(m_process.pid(), number);
}

std::optional<std::chrono::milliseconds>
HeadlessProcess::signalAndWait(int number, std::chrono::milliseconds limit)
{
    const auto begun = std::chrono::steady_clock::now();
    signal(number);
    if (!waitUntil([this] { return !m_process.running(); }, limit))
        return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 begun);
}

std::optional<double> sampleValue(const std::string& scrape, const std::string& prefix)
{
    std::istringstream lines(scrape);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) != 0)
            continue;
        const auto space = line.rfind(' ');
        if (space == std::string::npos)
            return std::nullopt;
        try {
            return std::stod(line.substr(space + 1));
        } catch (...) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}
