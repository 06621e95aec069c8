#include "UsageDatabase.h"

#include "ClosedSpanStore.h"
#include "UsageDatabaseError.h"
#include "UsageStatement.h"

#include <sqlite3.h>

#include <algorithm>

using UsageSql::exec;

TUsageDatabase::TUsageDatabase(sqlite3* db, std::string path) : m_db(db), m_path(std::move(path)) {}

TUsageDatabase::~TUsageDatabase()
{
    sqlite3_close_v2(m_db);
}

void TUsageDatabase::close()
{
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void TUsageDatabase::adopt(TUsageDatabase& other)
{
    close();
    std::swap(m_db, other.m_db);
    m_path = other.m_path;
    m_lastPrune = other.m_lastPrune;
    m_lastGoodWrite = other.m_lastGoodWrite;
}

void TUsageDatabase::createSchema()
{
    exec(m_db, "CREATE TABLE IF NOT EXISTS sensor(id INTEGER PRIMARY KEY, key TEXT NOT NULL "
               "UNIQUE, name TEXT NOT NULL DEFAULT '');"
               "CREATE TABLE IF NOT EXISTS minute(sensor INTEGER NOT NULL, minute INTEGER NOT "
               "NULL, down INTEGER NOT NULL, up INTEGER NOT NULL, PRIMARY KEY(sensor, minute)) "
               "WITHOUT ROWID;"
               "CREATE TABLE IF NOT EXISTS hour(sensor INTEGER NOT NULL, hour INTEGER NOT NULL, "
               "down INTEGER NOT NULL, up INTEGER NOT NULL, PRIMARY KEY(sensor, hour)) WITHOUT "
               "ROWID;"
               "CREATE TABLE IF NOT EXISTS day(sensor INTEGER NOT NULL, day INTEGER NOT NULL, "
               "down INTEGER NOT NULL, up INTEGER NOT NULL, PRIMARY KEY(sensor, day)) WITHOUT "
               "ROWID;"
               "CREATE TABLE IF NOT EXISTS notice(sensor INTEGER NOT NULL, period INTEGER NOT "
               "NULL, level INTEGER NOT NULL, PRIMARY KEY(sensor, period)) WITHOUT ROWID;");
    ClosedSpanStore::createTables(m_db);
}

void TUsageDatabase::write(const TUsageBatch& batch, const std::vector<TUsageSensor>& names,
                           int64_t now, const TUsageCarry& carry, const TUsageKeyMoves& moves)
{
    exec(m_db, "BEGIN IMMEDIATE");
    try {
        // The newest minute already kept, read before this batch adds its
        // own: the pruning below never reaches past it.
        if (m_lastGoodWrite == 0) {
            TStatement newest(m_db, "SELECT max(minute) FROM minute");
            m_lastGoodWrite = newest.step() ? newest.integer(0) : 0;
        }
        TStatement addSensor(m_db, "INSERT INTO sensor(key, name) VALUES(?1, ?2) ON "
                                   "CONFLICT(key) DO UPDATE SET name = excluded.name "
                                   "WHERE excluded.name <> ''");
        for (const TUsageSensor& s : names)
            addSensor.bind(1, s.key).bind(2, s.name).run();
        TStatement addKey(m_db, "INSERT OR IGNORE INTO sensor(key) VALUES(?1)");
        const char* const add = " VALUES((SELECT id FROM sensor WHERE key = ?1), ?2, ?3, ?4) "
                                "ON CONFLICT DO UPDATE SET down = down + excluded.down, "
                                "up = up + excluded.up";
        TStatement addMinute(
            m_db, (std::string("INSERT INTO minute(sensor, minute, down, up)") + add).c_str());
        TStatement addHour(m_db,
                           (std::string("INSERT INTO hour(sensor, hour, down, up)") + add).c_str());
        TStatement addDay(m_db,
                          (std::string("INSERT INTO day(sensor, day, down, up)") + add).c_str());
        for (const auto& [where, value] : batch) {
            const auto& [key, minute] = where;
            const auto down = static_cast<int64_t>(value.octets.down);
            const auto up = static_cast<int64_t>(value.octets.up);
            addKey.bind(1, key).run();
            addMinute.bind(1, key).bind(2, minute).bind(3, down).bind(4, up).run();
            addHour.bind(1, key).bind(2, minute - minute % 3600).bind(3, down).bind(4, up).run();
            addDay.bind(1, key).bind(2, value.localDay).bind(3, down).bind(4, up).run();
        }
        if (!carry.empty())
            ClosedSpanStore::write(m_db, carry, addHour, addDay);
        for (const auto& [from, to] : moves)
            UsageKeyMove::move(m_db, from, to);
        if (now - m_lastPrune >= 3600)
            prune(m_lastGoodWrite > 0 ? std::min(now, m_lastGoodWrite) : now);
        exec(m_db, "COMMIT");
        m_lastGoodWrite = std::max<int64_t>(now, 1);
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void TUsageDatabase::prune(int64_t now)
{
    m_lastPrune = now;
    TStatement minutes(m_db, "DELETE FROM minute WHERE minute < ?1");
    minutes.bind(1, now - kMinuteKeepSeconds).run();
    TStatement hours(m_db, "DELETE FROM hour WHERE hour < ?1");
    hours.bind(1, now - kHourKeepSeconds).run();
}

std::vector<TUsageSensor> TUsageDatabase::sensors() const
{
    TStatement q(m_db, "SELECT key, name FROM sensor ORDER BY id");
    std::vector<TUsageSensor> result;
    while (q.step())
        result.push_back({q.text(0), q.text(1)});
    return result;
}

std::vector<TDayOctets> TUsageDatabase::days(const std::string& key, int32_t fromDay,
                                             int32_t toDay) const
{
    TStatement q(m_db, "SELECT day, down, up FROM day WHERE sensor = (SELECT id FROM sensor "
                       "WHERE key = ?1) AND day >= ?2 AND day < ?3 ORDER BY day");
    q.bind(1, key).bind(2, fromDay).bind(3, toDay);
    std::vector<TDayOctets> result;
    while (q.step())
        result.push_back({static_cast<int32_t>(q.integer(0)), {q.octets(1), q.octets(2)}});
    return result;
}

TOctets TUsageDatabase::total(const std::string& key, int32_t fromDay, int32_t toDay) const
{
    TOctets sum;
    for (const TDayOctets& d : days(key, fromDay, toDay)) {
        sum.down += d.octets.down;
        sum.up += d.octets.up;
    }
    return sum;
}

std::vector<TMinuteSample> TUsageDatabase::minutes(const std::string& key, int64_t from,
                                                   int64_t to) const
{
    TStatement q(m_db, "SELECT minute, down, up FROM minute WHERE sensor = (SELECT id FROM "
                       "sensor WHERE key = ?1) AND minute >= ?2 AND minute < ?3 ORDER BY minute");
    q.bind(1, key).bind(2, from).bind(3, to);
    std::vector<TMinuteSample> result;
    while (q.step())
        result.push_back({q.integer(0), {q.octets(1), q.octets(2)}});
    return result;
}

int64_t TUsageDatabase::hourRows(const std::string& key) const
{
    TStatement q(m_db,
                 "SELECT count(*) FROM hour WHERE sensor = (SELECT id FROM sensor WHERE key = ?1)");
    q.bind(1, key);
    return q.step() ? q.integer(0) : 0;
}

std::optional<TOctets> TUsageDatabase::hour(const std::string& key, int64_t hour) const
{
    TStatement q(m_db, "SELECT down, up FROM hour WHERE sensor = (SELECT id FROM sensor WHERE "
                       "key = ?1) AND hour = ?2");
    q.bind(1, key).bind(2, hour);
    if (!q.step())
        return std::nullopt;
    return TOctets{q.octets(0), q.octets(1)};
}

int TUsageDatabase::noticeLevel(const std::string& key, int32_t periodStart) const
{
    TStatement q(m_db, "SELECT level FROM notice WHERE sensor = (SELECT id FROM sensor WHERE "
                       "key = ?1) AND period = ?2");
    q.bind(1, key).bind(2, periodStart);
    return q.step() ? static_cast<int>(q.integer(0)) : 0;
}

void TUsageDatabase::setNoticeLevel(const std::string& key, int32_t periodStart, int level)
{
    TStatement addKey(m_db, "INSERT OR IGNORE INTO sensor(key) VALUES(?1)");
    addKey.bind(1, key).run();
    TStatement q(m_db, "INSERT INTO notice(sensor, period, level) VALUES((SELECT id FROM sensor "
                       "WHERE key = ?1), ?2, ?3) ON CONFLICT DO UPDATE SET level = "
                       "max(level, excluded.level)");
    q.bind(1, key).bind(2, periodStart).bind(3, level).run();
}

std::map<std::string, TKeptSample> TUsageDatabase::keptSamples() const
{
    return ClosedSpanStore::keptSamples(m_db);
}

TOctets TUsageDatabase::closedTotal(const std::string& key, int32_t fromDay, int32_t toDay) const
{
    return ClosedSpanStore::closedTotal(m_db, key, fromDay, toDay);
}

std::vector<TClosedSpanRecord> TUsageDatabase::gaps(const std::string& key, int64_t from,
                                                    int64_t to) const
{
    return ClosedSpanStore::gaps(m_db, key, from, to);
}
