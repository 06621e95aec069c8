#pragma once

#include "ISnmpReader.h"
#include "ITrafficLogIO.h"
#include "MetricsEndpoint.h"
#include "StoredWindowValues.h"
#include "TMonitorSettings.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class ISecretStore;
class NetworkJobs;
class SensorPasswordKeeper;
class UsageKeeper;

// Travimetra without a display: the window's poll, traffic log, usage
// history and metrics endpoint, from the same settings store, on an event
// loop of Qt's core alone. What the window shows in message boxes goes to
// `tell` (standard error under journald).
class HeadlessMonitor : public QObject
{
public:
    struct Options
    {
        // Where the poll reads from (SnmpSensorNetwork in the program).
        std::shared_ptr<ISnmpReader> network;
        // Where the passwords of SNMPv3 sensors are kept; the desktop
        // keyring when empty.
        std::shared_ptr<ISecretStore> keyring;
        // The usage history's file; the user's usage.sqlite when empty.
        std::string usageDatabase;
        std::size_t networkThreads = 256;
        std::function<void(const std::string&)> tell;
    };

    explicit HeadlessMonitor(Options options);
    // Ends every read still out, writes the usage gathered and saves the
    // settings.
    ~HeadlessMonitor() override;

    // Reads the settings store and (re)starts the poll, the log and the
    // endpoint as it says: at start and for each SIGHUP.
    void reload();
    void save();

    // One poll tick and one log tick, as the timers run them.
    void pollPass();
    void logTick();

    TMonitorSettings& settings() { return m_settings; }
    MetricsEndpoint& metrics() { return *m_metrics; }
    NetworkJobs& networkJobs() { return *m_jobs; }
    std::uint32_t pollInterval() const;

private:
    void report(const std::string& text) const;

    std::function<void(const std::string&)> m_tell;
    TMonitorSettings m_settings;
    StoredWindowValues m_window;
    std::shared_ptr<ISnmpReader> m_network;
    std::shared_ptr<ITrafficLogIO> m_logIO;
    std::unique_ptr<NetworkJobs> m_jobs;
    std::unique_ptr<UsageKeeper> m_usage;
    std::unique_ptr<SensorPasswordKeeper> m_passwords;
    std::unique_ptr<MetricsEndpoint> m_metrics;
    QTimer m_pollTimer;
    QTimer m_logTimer;
    unsigned m_generation = 0; // a reload makes passes still out stale
};
