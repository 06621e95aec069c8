#pragma once

#include "UsageAccounting.h"
#include "UsageDatabase.h"
#include "UsageHistoryLock.h"
#include "UsageSettings.h"

#include <cstdint>
#include <functional>
#include <future>
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
//
// It writes only while it holds the history's lock (TUsageHistoryLock);
// without it another program records, and this one counts nothing. A history
// it cannot open or write for now (permissions, a full disk) keeps its rows:
// the octets wait in memory and go with the first write that succeeds. The
// whole file is checked in the background, after the first write and then
// once a day, and at once when a write fails; only a damaged one is set aside.
class TUsageRecorder
{
public:
    static constexpr int64_t kWriteEverySeconds = 60;
    static constexpr int64_t kCheckEverySeconds = 86400;

    // Takes the lock and opens (or starts afresh, see TUsageDatabase) the
    // history at `path`. `report` receives each text the user should read
    // once: a history moved aside, one that cannot be written and what to do,
    // another program that records it.
    TUsageRecorder(const std::string& path, std::function<void(const std::string&)> report);
    ~TUsageRecorder();

    // The sensors polled from now on (after start and after the options).
    void setSensors(std::vector<TUsageSensorConfig> sensors);

    void goodPoll(const TGoodPoll& poll, const CounterSpeeds& speeds = {})
    {
        m_accounting.goodPoll(poll, speeds);
    }
    void errorPoll(const std::string& key) { m_accounting.errorPoll(key); }
    // The sensor of `from` follows its interface to another number, now
    // `to`: the old key's history joins the new one with the next write.
    void moveKey(const std::string& from, const std::string& to);

    // Call after each poll pass: writes when a minute has passed since the
    // last write, then returns the quota messages now due (each once per
    // period and level) for the tray.
    std::vector<std::string> afterPass(int64_t now);
    // Writes what is gathered (at exit).
    void flush(int64_t now);

    bool isOpen() const { return m_db && m_db->isOpen(); }
    // The history being written; null until it was first opened. The object
    // outlives a damaged file being set aside.
    TUsageDatabase* database() { return m_db.get(); }
    const std::string& path() const { return m_path; }
    // Waits for a background check of the file, if one runs, and acts on
    // its answer (at exit; tests).
    void finishIntegrityCheck();

private:
    enum class TState
    {
        Writing,     // the lock is held and the history open
        Waiting,     // the history cannot be opened or written for now
        OtherWriter, // another program holds the lock
    };
    bool open();
    void replaceDatabase(std::unique_ptr<TUsageDatabase> db);
    void write(int64_t now);
    void tellOnce(TState state, const std::string& text);
    void setAside(const std::string& why);
    void startIntegrityCheck(int64_t now);
    void takeIntegrityAnswer(bool wait);
    std::vector<std::string> checkQuotas(int64_t now);

    std::string m_path;
    TUsageHistoryLock m_lock;
    TUsageAccounting m_accounting;
    std::unique_ptr<TUsageDatabase> m_db;
    std::function<void(const std::string&)> m_report;
    std::vector<TUsageSensorConfig> m_sensors;
    TUsageKeyMoves m_moves;
    std::future<std::string> m_check;
    int64_t m_nextCheck = 0;
    int64_t m_lastWrite = 0;
    TState m_state = TState::Waiting;
    TState m_told = TState::Writing; // what the user last heard of
    bool m_namesChanged = false;
    bool m_writeFailed = false;
};
