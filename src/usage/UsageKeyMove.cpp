#include "UsageKeyMove.h"

#include "UsageStatement.h"

#include <optional>

namespace UsageKeyMove {

namespace {

std::optional<int64_t> idOf(sqlite3* db, const std::string& key)
{
    TStatement q(db, "SELECT id FROM sensor WHERE key = ?1");
    q.bind(1, key);
    if (!q.step())
        return std::nullopt;
    return q.integer(0);
}

bool hasTable(sqlite3* db, const char* name)
{
    TStatement q(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?1");
    q.bind(1, std::string(name));
    return q.step() && q.integer(0) > 0;
}

void runMoved(sqlite3* db, const std::string& sql, int64_t from, int64_t to)
{
    TStatement q(db, sql.c_str());
    q.bind(1, from).bind(2, to).run();
}

} // namespace

void move(sqlite3* db, const std::string& from, const std::string& to)
{
    const std::optional<int64_t> old = idOf(db, from);
    if (!old || from == to)
        return;
    const std::optional<int64_t> kept = idOf(db, to);
    if (!kept) {
        // The usual case: the new number has no history yet.
        TStatement rename(db, "UPDATE sensor SET key = ?2 WHERE id = ?1");
        rename.bind(1, *old).bind(2, to).run();
        return;
    }
    // Octet rows of both: summed where they meet. "WHERE true" keeps SQLite
    // from reading ON CONFLICT as a join's ON.
    struct Octets
    {
        const char* table;
        const char* column;
    };
    for (const Octets t : {Octets{"minute", "minute"}, Octets{"hour", "hour"}, Octets{"day", "day"},
                           Octets{"closed_day", "day"}}) {
        if (!hasTable(db, t.table))
            continue;
        const std::string table = t.table;
        const std::string column = t.column;
        runMoved(db,
                 "INSERT INTO " + table + "(sensor, " + column + ", down, up) SELECT ?2, " +
                     column + ", down, up FROM " + table +
                     " WHERE sensor = ?1 ON CONFLICT DO UPDATE SET down = down + excluded.down, "
                     "up = up + excluded.up",
                 *old, *kept);
    }
    runMoved(db,
             "INSERT INTO notice(sensor, period, level) SELECT ?2, period, level FROM notice "
             "WHERE sensor = ?1 ON CONFLICT DO UPDATE SET level = max(level, excluded.level)",
             *old, *kept);
    if (hasTable(db, "closed_span"))
        runMoved(db,
                 "INSERT OR IGNORE INTO closed_span(sensor, start, end, verdict, down, up) "
                 "SELECT ?2, start, end, verdict, down, up FROM closed_span WHERE sensor = ?1",
                 *old, *kept);
    // The newer key's last reading stands; the old one's is of the old number.
    for (const char* table :
         {"minute", "hour", "day", "notice", "closed_day", "closed_span", "kept_sample"}) {
        if (hasTable(db, table))
            TStatement(db, (std::string("DELETE FROM ") + table + " WHERE sensor = ?1").c_str())
                .bind(1, *old)
                .run();
    }
    TStatement gone(db, "DELETE FROM sensor WHERE id = ?1");
    gone.bind(1, *old).run();
}

} // namespace UsageKeyMove
