#include "ClosedSpanStore.h"

#include "UsageStatement.h"

#include <sqlite3.h>

namespace ClosedSpanStore {

namespace {

// The schema's version once these tables are there.
constexpr int kVersion = 1;

bool hasTables(sqlite3* db)
{
    TStatement q(db, "SELECT count(*) FROM sqlite_master WHERE name = 'closed_span'");
    return q.step() && q.integer(0) > 0;
}

// Counters are unsigned 64-bit numbers, kept in SQLite's signed integers as
// the same bits.
int64_t asStored(uint64_t counter)
{
    return static_cast<int64_t>(counter);
}

uint64_t asCounter(int64_t stored)
{
    return static_cast<uint64_t>(stored);
}

ClosedSpanVerdict verdictOf(int64_t stored)
{
    if (stored < 0 || stored > static_cast<int64_t>(ClosedSpanVerdict::CounterWentBack))
        return ClosedSpanVerdict::NoUpTime; // a value of no known kind: nothing is known
    return static_cast<ClosedSpanVerdict>(stored);
}

} // namespace

void createTables(sqlite3* db)
{
    UsageSql::exec(db, "CREATE TABLE IF NOT EXISTS kept_sample(sensor INTEGER PRIMARY KEY, "
                       "time INTEGER NOT NULL, down INTEGER NOT NULL, up INTEGER NOT NULL, "
                       "bits INTEGER NOT NULL, uptime INTEGER NOT NULL, boots INTEGER NOT "
                       "NULL, interface TEXT NOT NULL);"
                       "CREATE TABLE IF NOT EXISTS closed_span(sensor INTEGER NOT NULL, start "
                       "INTEGER NOT NULL, end INTEGER NOT NULL, verdict INTEGER NOT NULL, down "
                       "INTEGER NOT NULL, up INTEGER NOT NULL, PRIMARY KEY(sensor, start, end)) "
                       "WITHOUT ROWID;"
                       "CREATE TABLE IF NOT EXISTS closed_day(sensor INTEGER NOT NULL, day "
                       "INTEGER NOT NULL, down INTEGER NOT NULL, up INTEGER NOT NULL, "
                       "PRIMARY KEY(sensor, day)) WITHOUT ROWID;");
    TStatement version(db, "PRAGMA user_version");
    if (version.step() && version.integer(0) < kVersion)
        UsageSql::exec(db, "PRAGMA user_version = 1");
}

void write(sqlite3* db, const TUsageCarry& carry, TStatement& addHour, TStatement& addDay)
{
    TStatement addKey(db, "INSERT OR IGNORE INTO sensor(key) VALUES(?1)");
    TStatement keep(db, "INSERT OR REPLACE INTO kept_sample(sensor, time, down, up, bits, "
                        "uptime, boots, interface) VALUES((SELECT id FROM sensor WHERE key = "
                        "?1), ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    TStatement addSpan(db, "INSERT OR REPLACE INTO closed_span(sensor, start, end, verdict, "
                           "down, up) VALUES((SELECT id FROM sensor WHERE key = ?1), ?2, ?3, "
                           "?4, ?5, ?6)");
    TStatement addClosed(db, "INSERT INTO closed_day(sensor, day, down, up) VALUES((SELECT id "
                             "FROM sensor WHERE key = ?1), ?2, ?3, ?4) ON CONFLICT DO UPDATE "
                             "SET down = down + excluded.down, up = up + excluded.up");
    for (const TClosedSpanRecord& span : carry.spans) {
        addKey.bind(1, span.key).run();
        addSpan.bind(1, span.key)
            .bind(2, span.from)
            .bind(3, span.to)
            .bind(4, static_cast<int64_t>(span.verdict))
            .bind(5, static_cast<int64_t>(span.octets.down))
            .bind(6, static_cast<int64_t>(span.octets.up))
            .run();
        if (span.verdict != ClosedSpanVerdict::Counted)
            continue;
        for (const ClosedSpan::TPiece& piece :
             ClosedSpan::spread(span.from, span.to, span.octets)) {
            const auto down = static_cast<int64_t>(piece.octets.down);
            const auto up = static_cast<int64_t>(piece.octets.up);
            addHour.bind(1, span.key).bind(2, piece.hour).bind(3, down).bind(4, up).run();
            addDay.bind(1, span.key).bind(2, piece.localDay).bind(3, down).bind(4, up).run();
            addClosed.bind(1, span.key).bind(2, piece.localDay).bind(3, down).bind(4, up).run();
        }
    }
    for (const auto& [key, sample] : carry.latest) {
        addKey.bind(1, key).run();
        keep.bind(1, key)
            .bind(2, sample.wallTime)
            .bind(3, asStored(sample.down))
            .bind(4, asStored(sample.up))
            .bind(5, sample.counterBits)
            .bind(6, sample.agentUpTime)
            .bind(7, sample.engineBoots)
            .bind(8, sample.interfaceName)
            .run();
    }
}

std::map<std::string, TKeptSample> keptSamples(sqlite3* db)
{
    std::map<std::string, TKeptSample> kept;
    if (!hasTables(db))
        return kept;
    TStatement q(db, "SELECT s.key, k.time, k.down, k.up, k.bits, k.uptime, k.boots, "
                     "k.interface FROM kept_sample k JOIN sensor s ON s.id = k.sensor");
    while (q.step()) {
        TKeptSample& sample = kept[q.text(0)];
        sample.wallTime = q.integer(1);
        sample.down = asCounter(q.integer(2));
        sample.up = asCounter(q.integer(3));
        // A width of no known kind is refused by the rule as other counters.
        const int64_t bits = q.integer(4);
        sample.counterBits = bits == 32 || bits == 64 ? static_cast<int>(bits) : 0;
        sample.agentUpTime = q.integer(5);
        sample.engineBoots = q.integer(6);
        sample.interfaceName = q.text(7);
    }
    return kept;
}

TOctets closedTotal(sqlite3* db, const std::string& key, int32_t fromDay, int32_t toDay)
{
    TOctets sum;
    if (!hasTables(db))
        return sum;
    TStatement q(db, "SELECT down, up FROM closed_day WHERE sensor = (SELECT id FROM sensor "
                     "WHERE key = ?1) AND day >= ?2 AND day < ?3");
    q.bind(1, key).bind(2, fromDay).bind(3, toDay);
    while (q.step()) {
        sum.down += q.octets(0);
        sum.up += q.octets(1);
    }
    return sum;
}

std::vector<TClosedSpanRecord> gaps(sqlite3* db, const std::string& key, int64_t from, int64_t to)
{
    std::vector<TClosedSpanRecord> result;
    if (!hasTables(db))
        return result;
    TStatement q(db, "SELECT start, end, verdict FROM closed_span WHERE sensor = (SELECT id "
                     "FROM sensor WHERE key = ?1) AND verdict <> 0 AND end > ?2 AND start < ?3 "
                     "ORDER BY start");
    q.bind(1, key).bind(2, from).bind(3, to);
    while (q.step())
        result.push_back({key, q.integer(0), q.integer(1), verdictOf(q.integer(2)), {}});
    return result;
}

} // namespace ClosedSpanStore
