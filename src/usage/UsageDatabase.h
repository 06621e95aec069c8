#pragma once

#include "UsageAccounting.h"
#include "UsageKeyMove.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// A sensor the database has seen.
struct TUsageSensor
{
    std::string key;
    std::string name;
};

// Octets of one local day.
struct TDayOctets
{
    int32_t day = 0; // yyyymmdd
    TOctets octets;
};

// Octets of one minute, the base of the rate history.
struct TMinuteSample
{
    int64_t minute = 0; // seconds since the epoch, a multiple of 60
    TOctets octets;
};

// The usage history in SQLite: per-minute octets kept 7 days, hourly totals
// 400 days, daily totals for ever. WAL mode, so a reader (the usage window,
// the command line) never waits for the writer and a kill loses only the
// batch not yet written. Every call raises TUsageDatabaseError on a failure of
// the database; none invents a number.
class TUsageDatabase
{
public:
    static constexpr int64_t kMinuteKeepSeconds = 7 * 86400;
    static constexpr int64_t kHourKeepSeconds = 400 * 86400;

    // Opens or creates the database at `path` (folders 0700, file 0600). A
    // new history is built beside it and put in its place whole, so no empty
    // file ever stands there. A file SQLite reports as damaged (not a
    // database) is moved aside to "<path>.broken-<time>" (never deleted) and a
    // new one is started; `notice` then holds the one text to tell the user.
    // Any other failure (permissions, a full disk) raises and keeps the file.
    // The whole file is not read here: see checkIntegrity.
    static std::unique_ptr<TUsageDatabase> openForWriting(const std::string& path,
                                                          std::string& notice);
    // Opens an existing database read-only beside the running program.
    // Raises TUsageDatabaseError when it is missing or broken; moves nothing.
    static std::unique_ptr<TUsageDatabase> openForReading(const std::string& path);

    // Moves a damaged history and its journal aside; returns where it went.
    // Raises when it cannot be moved.
    static std::string moveAside(const std::string& path);
    // The text the user reads once after moveAside.
    static std::string setAsideNotice(const std::string& why, const std::string& aside);
    // Reads the whole file on a connection of its own (any thread): empty when
    // it is sound, otherwise why it is damaged. A file that cannot be read for
    // another reason (busy, gone) is not called damaged.
    static std::string damageOf(const std::string& path);

    ~TUsageDatabase();
    TUsageDatabase(const TUsageDatabase&) = delete;
    TUsageDatabase& operator=(const TUsageDatabase&) = delete;

    // Writes a batch in one transaction: minute rows, hourly and daily totals
    // added to. Sensor names are kept for display. Prunes old rows at most
    // once an hour of `now`, never counting back from later than the newest
    // minute kept before this write: a clock that ran ahead cannot take
    // the real rows with it.
    // The closed spans of `carry` go into the same transaction: a counted
    // one's octets into the hourly and daily totals where they belong, and
    // each key's newest reading is kept for the next start.
    // Last, the history of each key in `moves` joins its new key
    // (UsageKeyMove), after the batch's rows of the old key went in.
    void write(const TUsageBatch& batch, const std::vector<TUsageSensor>& names, int64_t now,
               const TUsageCarry& carry = {}, const TUsageKeyMoves& moves = {});

    std::vector<TUsageSensor> sensors() const;
    // Daily totals of a sensor for days in [fromDay, toDay) (yyyymmdd keys).
    std::vector<TDayOctets> days(const std::string& key, int32_t fromDay, int32_t toDay) const;
    // The sum of those days.
    TOctets total(const std::string& key, int32_t fromDay, int32_t toDay) const;
    // Minute rows in [fromMinute, toMinute).
    std::vector<TMinuteSample> minutes(const std::string& key, int64_t from, int64_t to) const;
    // Number of hourly rows of a sensor (for the retention tests).
    int64_t hourRows(const std::string& key) const;
    // Hourly octets of the hour starting at `hour` (seconds since the epoch).
    std::optional<TOctets> hour(const std::string& key, int64_t hour) const;

    // The highest quota notice (0, 80, 100) given for the period starting on
    // `periodStart` (yyyymmdd), and recording a new one.
    int noticeLevel(const std::string& key, int32_t periodStart) const;
    void setNoticeLevel(const std::string& key, int32_t periodStart, int level);

    // Each key's newest good reading kept by the last write.
    std::map<std::string, TKeptSample> keptSamples() const;
    // The part of the daily totals of [fromDay, toDay) the agent counted while
    // the program was closed.
    TOctets closedTotal(const std::string& key, int32_t fromDay, int32_t toDay) const;
    // The spans of [from, to) the program was closed for and could not count.
    std::vector<TClosedSpanRecord> gaps(const std::string& key, int64_t from, int64_t to) const;

    const std::string& path() const { return m_path; }

    // Lets go of the file (before it is moved aside); every later call raises.
    void close();
    bool isOpen() const { return m_db != nullptr; }
    // Takes over `other`'s file, so that whoever holds this object (the usage
    // window) reads the new history; `other` is left closed.
    void adopt(TUsageDatabase& other);

private:
    TUsageDatabase(sqlite3* db, std::string path);
    static std::unique_ptr<TUsageDatabase> openExisting(const std::string& path);
    static void createNew(const std::string& path);
    void createSchema();
    void checkTables() const;
    void prune(int64_t now);

    sqlite3* m_db;
    std::string m_path;
    int64_t m_lastPrune = 0;
    int64_t m_lastGoodWrite = 0; // `now` of the last write; 0 before the first
};
