#include "UsageDatabase.h"

#include "StorePlatform.h"
#include "UsageDatabaseError.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One prepared statement, finalised with its scope.
class TStatement
{
public:
    TStatement(sqlite3* db, const char* sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            fail("prepare");
    }
    ~TStatement() { sqlite3_finalize(m_stmt); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    TStatement& bind(int index, int64_t value)
    {
        sqlite3_bind_int64(m_stmt, index, value);
        return *this;
    }
    TStatement& bind(int index, const std::string& value)
    {
        sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    // True while a row is there.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            fail("step");
        return false;
    }
    void run()
    {
        while (step()) {
        }
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    int64_t integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    uint64_t octets(int column) const
    {
        // Octet sums are kept as SQLite integers (signed 64-bit); a negative
        // one can only come from a damaged file and is not shown as a number.
        const int64_t v = sqlite3_column_int64(m_stmt, column);
        if (v < 0)
            throw TUsageDatabaseError("A usage total in the database is negative.");
        return static_cast<uint64_t>(v);
    }
    std::string text(int column) const
    {
        const auto* p = sqlite3_column_text(m_stmt, column);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                 : std::string();
    }

private:
    [[noreturn]] void fail(const char* what) const
    {
        throw TUsageDatabaseError(std::string("Usage database ") + what + ": " +
                                  sqlite3_errmsg(m_db));
    }
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

void exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        throw TUsageDatabaseError("Usage database: " + text);
    }
}

// Creates the file with mode 0600 before SQLite does (SQLite would use the
// umask) and narrows an existing one: the history says when the user was at home.
void prepareFile(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        if (const int error = StorePlatform::createFolders(path.substr(0, slash)))
            throw TUsageDatabaseError("Cannot create the folder of " + path + ": " +
                                      std::strerror(error));
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        throw TUsageDatabaseError("Cannot open " + path + ": " + std::strerror(errno));
    fchmod(fd, 0600);
    ::close(fd);
}

sqlite3* openHandle(const std::string& path, int flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw TUsageDatabaseError("Cannot open " + path + ": " + text);
    }
    sqlite3_busy_timeout(db, 5000);
    return db;
}

// Any answer of the integrity check but "ok" means the file is damaged.
void checkIntegrity(sqlite3* db)
{
    TStatement check(db, "PRAGMA quick_check");
    if (!check.step())
        throw TUsageDatabaseError("Usage database: the integrity check gave no answer");
    const std::string answer = check.text(0);
    if (answer != "ok")
        throw TUsageDatabaseError("Usage database: " + answer);
}

std::string asideName(const std::string& path)
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &parts);
    std::string aside = path + ".broken-" + stamp;
    // Never over an earlier one.
    for (int n = 2; access(aside.c_str(), F_OK) == 0; ++n)
        aside = path + ".broken-" + stamp + "-" + std::to_string(n);
    return aside;
}

} // namespace

TUsageDatabase::TUsageDatabase(sqlite3* db, std::string path) : m_db(db), m_path(std::move(path)) {}

TUsageDatabase::~TUsageDatabase()
{
    sqlite3_close_v2(m_db);
}

std::unique_ptr<TUsageDatabase> TUsageDatabase::openForWriting(const std::string& path,
                                                               std::string& notice)
{
    notice.clear();
    auto attempt = [&path]() {
        prepareFile(path);
        std::unique_ptr<TUsageDatabase> db(new TUsageDatabase(
            openHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX),
            path));
        exec(db->m_db, "PRAGMA journal_mode=WAL");
        // In WAL mode NORMAL loses nothing that was committed when the
        // process dies; only a power cut may take the last transactions.
        exec(db->m_db, "PRAGMA synchronous=NORMAL");
        checkIntegrity(db->m_db);
        db->createSchema();
        return db;
    };
    try {
        return attempt();
    } catch (const TUsageDatabaseError& error) {
        struct stat info
        {
        };
        if (stat(path.c_str(), &info) != 0)
            throw; // nothing there to move aside: the folder itself is the problem
        const std::string aside = asideName(path);
        if (std::rename(path.c_str(), aside.c_str()) != 0)
            throw TUsageDatabaseError(std::string(error.what()) +
                                      "; moving it aside failed: " + std::strerror(errno));
        // The journal files belong to the old file; they go with it.
        for (const char* suffix : {"-wal", "-shm"}) {
            const std::string from = path + suffix;
            if (access(from.c_str(), F_OK) == 0)
                std::rename(from.c_str(), (aside + suffix).c_str());
        }
        auto db = attempt();
        notice = "The usage history could not be read (" + std::string(error.what()) +
                 "). It was moved to " + aside + " and a new history was started.";
        return db;
    }
}

std::unique_ptr<TUsageDatabase> TUsageDatabase::openForReading(const std::string& path)
{
    if (access(path.c_str(), F_OK) != 0)
        throw TUsageDatabaseError("No usage history at " + path + ".");
    std::unique_ptr<TUsageDatabase> db(
        new TUsageDatabase(openHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX), path));
    // The program wrote the schema when it created the file; a reader adds nothing.
    checkIntegrity(db->m_db);
    return db;
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
}

void TUsageDatabase::write(const TUsageBatch& batch, const std::vector<TUsageSensor>& names,
                           int64_t now)
{
    exec(m_db, "BEGIN IMMEDIATE");
    try {
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
        if (now - m_lastPrune >= 3600)
            prune(now);
        exec(m_db, "COMMIT");
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void TUsageDatabase::prune(int64_t now)
{
    TStatement minutes(m_db, "DELETE FROM minute WHERE minute < ?1");
    minutes.bind(1, now - kMinuteKeepSeconds).run();
    TStatement hours(m_db, "DELETE FROM hour WHERE hour < ?1");
    hours.bind(1, now - kHourKeepSeconds).run();
    m_lastPrune = now;
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
