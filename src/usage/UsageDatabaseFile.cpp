// Opening, creating and setting aside the usage history's file.
#include "UsageDatabase.h"

#include "StorePlatform.h"
#include "UsageDatabaseError.h"
#include "UsageStatement.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TUsageDatabaseError systemError(const std::string& what, const std::string& path, int error)
{
    return TUsageDatabaseError(what + " " + path + ": " + std::strerror(error));
}

sqlite3* openHandle(const std::string& path, int flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string text =
            db ? sqlite3_errmsg(db) + UsageSql::systemText(db) : sqlite3_errstr(rc);
        const int code = db ? sqlite3_errcode(db) : rc;
        sqlite3_close(db);
        throw TUsageDatabaseError("Cannot open " + path + ": " + text, UsageSql::isDamage(code));
    }
    sqlite3_busy_timeout(db, 5000);
    return db;
}

// A handle closed with its scope unless handed on.
struct THandle
{
    sqlite3* db;
    ~THandle() { sqlite3_close_v2(db); }
    sqlite3* release()
    {
        sqlite3* taken = db;
        db = nullptr;
        return taken;
    }
};

// Only a regular file is a history. Opened without blocking, so a FIFO in its
// place cannot hang the start; its mode is narrowed to the owner's bits (the
// history says when the user was at home), never widened.
void checkFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        throw systemError("Cannot open", path, errno);
    struct stat info
    {
    };
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (regular && (info.st_mode & 0077) != 0)
        fchmod(fd, info.st_mode & 0700);
    ::close(fd);
    if (!regular)
        throw TUsageDatabaseError("Cannot open " + path + ": it is not a regular file");
}

// "file:" with the characters a URI gives a meaning escaped.
std::string immutableUri(const std::string& path)
{
    std::string uri = "file:";
    for (const char c : path) {
        if (c == '?' || c == '#' || c == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri.push_back(c);
        }
    }
    return uri + "?immutable=1";
}

void removeBuild(const std::string& file)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        ::unlink((file + suffix).c_str());
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

std::unique_ptr<TUsageDatabase> TUsageDatabase::openExisting(const std::string& path)
{
    checkFile(path);
    std::unique_ptr<TUsageDatabase> db(
        new TUsageDatabase(openHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX), path));
    // SQLite falls back to reading a file it may not write; the history
    // would then fail at its first write, a minute from now. Say so at once.
    if (sqlite3_db_readonly(db->m_db, "main") == 1)
        throw systemError("Cannot write", path, EACCES);
    UsageSql::exec(db->m_db, "PRAGMA journal_mode=WAL");
    // In WAL mode NORMAL loses nothing that was committed when the process
    // dies; only a power cut may take the last transactions.
    UsageSql::exec(db->m_db, "PRAGMA synchronous=NORMAL");
    db->createSchema();
    return db;
}

void TUsageDatabase::createNew(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        throw TUsageDatabaseError("No folder for the usage history (no home folder?)");
    if (const int error = StorePlatform::createFolders(path.substr(0, slash)))
        throw systemError("Cannot create the folder of", path, error);
    // Built whole beside its place and renamed into it: a full disk or a
    // crash leaves no empty history behind, only this file, removed here or
    // by the next start.
    const std::string building = path + ".new";
    removeBuild(building);
    const int fd =
        ::open(building.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        throw systemError("Cannot create", building, errno);
    ::close(fd);
    try {
        THandle handle{openHandle(building, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX)};
        TUsageDatabase db(handle.release(), building);
        UsageSql::exec(db.m_db, "PRAGMA journal_mode=WAL");
        db.createSchema();
    } catch (...) {
        removeBuild(building);
        throw;
    }
    // Closing checkpointed the journal into the file; now it goes to disk.
    const int sync = ::open(building.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    const bool synced = sync >= 0 && ::fsync(sync) == 0;
    const int error = errno;
    if (sync >= 0)
        ::close(sync);
    if (!synced) {
        removeBuild(building);
        throw systemError("Cannot write", building, error);
    }
    if (renameat2(AT_FDCWD, building.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
        const int renameError = errno;
        removeBuild(building);
        if (renameError != EEXIST) // another start made it meanwhile: that one is used
            throw systemError("Cannot create", path, renameError);
    }
}

std::unique_ptr<TUsageDatabase> TUsageDatabase::openForWriting(const std::string& path,
                                                               std::string& notice)
{
    notice.clear();
    struct stat info
    {
    };
    if (path.empty())
        throw TUsageDatabaseError("No folder for the usage history (no home folder?)");
    if (lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            throw systemError("Cannot open", path, errno);
        createNew(path);
    }
    try {
        return openExisting(path);
    } catch (const TUsageDatabaseError& error) {
        // Only a file SQLite calls damaged is set aside; one it may not write
        // or has no room for keeps every row it holds.
        if (!error.damaged())
            throw;
        const std::string aside = moveAside(path);
        createNew(path);
        auto db = openExisting(path);
        notice = setAsideNotice(error.what(), aside);
        return db;
    }
}

std::string TUsageDatabase::moveAside(const std::string& path)
{
    const std::string aside = asideName(path);
    if (std::rename(path.c_str(), aside.c_str()) != 0)
        throw TUsageDatabaseError("moving " + path + " aside failed: " + std::strerror(errno));
    // The journal files belong to the old file; they go with it.
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::string from = path + suffix;
        if (access(from.c_str(), F_OK) == 0)
            std::rename(from.c_str(), (aside + suffix).c_str());
    }
    return aside;
}

std::string TUsageDatabase::setAsideNotice(const std::string& why, const std::string& aside)
{
    return "The usage history could not be read (" + why + "). It was moved to " + aside +
           " and a new history was started.";
}

std::unique_ptr<TUsageDatabase> TUsageDatabase::openForReading(const std::string& path)
{
    if (access(path.c_str(), F_OK) != 0)
        throw TUsageDatabaseError("No usage history at " + path + ".");
    checkFile(path);
    // Read-only: the report never writes the history, and takes no lock a
    // writer would wait for.
    std::unique_ptr<TUsageDatabase> db(
        new TUsageDatabase(openHandle(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX), path));
    try {
        db->checkTables();
    } catch (const TUsageDatabaseError&) {
        // SQLite reads a WAL database only where it can make the shared
        // index beside it. Where nothing can be made (a read-only file
        // system, a copy on a disc) nobody writes the file either: it is
        // read as it stands.
        if ((sqlite3_errcode(db->m_db) & 0xff) != SQLITE_CANTOPEN)
            throw;
        db.reset(new TUsageDatabase(openHandle(immutableUri(path), SQLITE_OPEN_READONLY |
                                                                       SQLITE_OPEN_NOMUTEX |
                                                                       SQLITE_OPEN_URI),
                                    path));
        db->checkTables();
    }
    return db;
}

void TUsageDatabase::checkTables() const
{
    // A file without the tables (an empty one left by a crash of an
    // earlier version) holds no history.
    TStatement tables(m_db, "SELECT count(*) FROM sqlite_master WHERE name = 'sensor'");
    if (!tables.step() || tables.integer(0) == 0)
        throw TUsageDatabaseError("No usage history at " + m_path + ".");
}

std::string TUsageDatabase::damageOf(const std::string& path)
{
    try {
        THandle handle{openHandle(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX)};
        // Any answer but "ok" means the file is damaged.
        TStatement check(handle.db, "PRAGMA quick_check");
        if (!check.step())
            return "Usage database: the integrity check gave no answer";
        const std::string answer = check.text(0);
        return answer == "ok" ? std::string() : "Usage database: " + answer;
    } catch (const TUsageDatabaseError& error) {
        return error.damaged() ? error.what() : std::string();
    }
}
