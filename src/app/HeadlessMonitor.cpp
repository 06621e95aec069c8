#include "HeadlessMonitor.h"

#include "AppliedPoll.h"
#include "DesktopKeyring.h"
#include "LogTimerPeriod.h"
#include "MonitorStore.h"
#include "NetworkJobs.h"
#include "PollFigures.h"
#include "SensorNetworkLogIO.h"
#include "SensorPasswordKeeper.h"
#include "UsageKeeper.h"
#include "UsagePaths.h"

#include <exception>

HeadlessMonitor::HeadlessMonitor(Options options)
    : m_tell(std::move(options.tell)), m_network(std::move(options.network))
{
    m_logIO = std::make_shared<SensorNetworkLogIO>(m_network);
    m_jobs = std::make_unique<NetworkJobs>(this, m_network, options.networkThreads);
    // Nobody is there to answer a question: the file stays unchosen, and
    // the question is told so that the user can choose in the window.
    m_passwords = std::make_unique<SensorPasswordKeeper>(
        options.keyring ? options.keyring : std::make_shared<DesktopKeyring>(),
        SensorPasswordKeeper::defaultFilePath(), [this](const std::string& question) {
            report(question);
            return false;
        });
    m_usage = std::make_unique<UsageKeeper>(options.usageDatabase.empty() ? usageDatabasePath()
                                                                          : options.usageDatabase,
                                            [this](const std::string& text) { report(text); });
    m_metrics = std::make_unique<MetricsEndpoint>();
    m_usage->setFigures(&m_metrics->board());
    m_pollTimer.setTimerType(Qt::PreciseTimer);
    m_logTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pollTimer, &QTimer::timeout, this, [this] { pollPass(); });
    connect(&m_logTimer, &QTimer::timeout, this, [this] { logTick(); });
}

HeadlessMonitor::~HeadlessMonitor()
{
    m_pollTimer.stop();
    m_logTimer.stop();
    m_jobs->stop();
    m_usage->flush();
    save();
}

void HeadlessMonitor::report(const std::string& text) const
{
    if (m_tell)
        m_tell(text);
}

void HeadlessMonitor::reload()
{
    m_pollTimer.stop();
    m_logTimer.stop();
    ++m_generation;
    // What the last pass gathered belongs to the sensors it was read for.
    m_usage->flush();
    try {
        MonitorStore::load({m_settings, m_window, *m_passwords, *m_usage, m_metrics->settings()});
    } catch (const std::exception& error) {
        report(error.what());
    }
    if (const std::string aside = MonitorStore::setAsideText(); !aside.empty())
        report(aside);
    AppliedPoll::startOver(m_settings);
    m_metrics->board().sensorsChanged(PollFigures::labelsOf(m_settings));
    for (const std::string& text : m_metrics->apply())
        report(text);
    if (const std::uint32_t period = pollInterval())
        m_pollTimer.start(int(std::min<std::uint32_t>(period, INT32_MAX)));
    if (const auto period = LogTimerPeriod::of(m_settings); period && *period > 0)
        m_logTimer.start(int(std::min<std::uint32_t>(*period, INT32_MAX)));
}

std::uint32_t HeadlessMonitor::pollInterval() const
{
    return SensorPoll::pollPeriod(m_settings.Interval);
}

void HeadlessMonitor::save()
{
    try {
        const std::string problems = MonitorStore::save(
            {m_settings, m_window, *m_passwords, *m_usage, m_metrics->settings()});
        if (!problems.empty())
            report(problems);
    } catch (const std::exception& error) {
        report(error.what());
    }
}

void HeadlessMonitor::pollPass()
{
    std::vector<SensorPoll::TSensorTarget> targets = SensorPoll::passTargets(m_settings);
    if (targets.empty())
        return;
    m_jobs->startPass(
        std::move(targets),
        [this, generation = m_generation](const std::vector<SensorPoll::TSensorReading>& readings) {
            if (generation != m_generation)
                return;
            const AppliedPoll::TSinks sinks{*m_usage, &m_metrics->board(),
                                            [this](const std::string& text) { report(text); }};
            for (const SensorPoll::TSensorReading& reading : readings)
                AppliedPoll::apply(m_settings, reading.index, reading,
                                   m_jobs->takeReadSeconds(reading.index), sinks);
            m_usage->afterPass();
        });
}

void HeadlessMonitor::logTick()
{
    m_jobs->logTick(m_settings, m_logIO, [this](TrafficLog::TDetachedTick tick) {
        TrafficLog::keepLogged(m_settings, tick.settings);
        if (!tick.report.empty())
            report(tick.report);
    });
}
