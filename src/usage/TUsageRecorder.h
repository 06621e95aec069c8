#pragma once

#include "UsageAccounting.h"
#include "UsageDatabase.h"
#include "UsageSettings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A polled sensor as the usage history knows it.
struct TUsageSensorConfig
{
    std::string key;  // usageSensorKey(HostIP, Sensor)
    std::string name; // HostName, for display
    TSensorUsageSettings settings;
};

// Keeps the usage history of the running program: the poll hands over each
// good reading, the recorder gathers the octets and writes them once a minute
// in one transaction, then checks the quotas. Runs on the thread that applies
// poll results; nothing in it waits for the network.
class TUsageRecorder
{
public:
    static constexpr int64_t kWriteEverySeconds = 60;

    // Opens (or starts afresh, see TUsageDatabase) the history at `path`.
    // `report` receives each text the user should read once: a history moved
    // aside, a history that cannot be written. Without a database (the folder
    // cannot be created) the recorder counts nothing and says so once.
    TUsageRecorder(const std::string& path, std::function<void(const std::string&)> report);
    ~TUsageRecorder();

    // The sensors polled from now on (after start and after the options).
    void setSensors(std::vector<TUsageSensorConfig> sensors);

    void goodPoll(const TGoodPoll& poll, const CounterSpeeds& speeds = {})
    {
        m_accounting.goodPoll(poll, speeds);
    }
    void errorPoll(const std::string& key) { m_accounting.errorPoll(key); }

    // Call after each poll pass: writes when a minute has passed since the
    // last write, then returns the quota messages now due (each once per
    // period and level) for the tray.
    std::vector<std::string> afterPass(int64_t now);
    // Writes what is gathered (at exit).
    void flush(int64_t now);

    bool isOpen() const { return m_db != nullptr; }
    TUsageDatabase* database() { return m_db.get(); }

private:
    std::vector<std::string> checkQuotas(int64_t now);

    TUsageAccounting m_accounting;
    std::unique_ptr<TUsageDatabase> m_db;
    std::function<void(const std::string&)> m_report;
    std::vector<TUsageSensorConfig> m_sensors;
    int64_t m_lastWrite = 0;
    bool m_writeFailed = false;
    bool m_namesChanged = false;
};
