// A history that cannot be written for a while (a full disk, a read-only
// file system, a file the user may not write) keeps every row it holds and
// every octet counted meanwhile; only a damaged file is ever set aside. Each
// case runs in a child with a small tmpfs of its own as the data folder.
#include "UsageDatabase.h"
#include "UsageDatabaseError.h"
#include "UsageTestSupport.h"

#include "core/SmallTmpfs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// In the child a failed check prints what it saw and ends the body with the
// line number, which the parent reports.
#define CHILD_CHECK(condition, what)                                                               \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s: %s\n", #condition, std::string(what).c_str());               \
            return __LINE__;                                                                       \
        }                                                                                          \
    } while (0)

struct FaultCase
{
    const char* name;
    bool historyFirst;   // a history with rows is there before the fault
    bool asNobody;       // the child runs as an ordinary user, not root
    const char* toldHas; // the system's reason, in the one text told
    void (*breakIt)(const fs::path& folder, const fs::path& db);
    void (*mendIt)(const fs::path& folder, const fs::path& db);
};

fs::path fillerOf(const fs::path& folder)
{
    return folder / "filler";
}

void fillDisk(const fs::path& folder, const fs::path&)
{
    std::FILE* f = std::fopen(fillerOf(folder).c_str(), "wb");
    const std::string block(4096, 'f');
    while (f && std::fwrite(block.data(), 1, block.size(), f) == block.size() &&
           std::fflush(f) == 0) {
    }
    if (f)
        std::fclose(f);
}

void freeDisk(const fs::path& folder, const fs::path&)
{
    ::unlink(fillerOf(folder).c_str());
}

void mountReadOnly(const fs::path& folder, const fs::path&)
{
    ::mount("none", folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
}

void mountWritable(const fs::path& folder, const fs::path&)
{
    ::mount("none", folder.c_str(), nullptr, MS_REMOUNT, nullptr);
}

void readOnlyFile(const fs::path&, const fs::path& db)
{
    ::chmod(db.c_str(), 0400);
}

void writableFile(const fs::path&, const fs::path& db)
{
    ::chmod(db.c_str(), 0600);
}

uint64_t storedDown(const fs::path& db, int32_t day)
{
    try {
        return TUsageDatabase::openForReading(db.string())->total("a#1", day, day + 1).down;
    } catch (const TUsageDatabaseError&) {
        return 0;
    }
}

bool anythingSetAside(const fs::path& folder)
{
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename().string().find(".broken-") != std::string::npos)
            return true;
    return false;
}

int runCase(const FaultCase& c, const fs::path& folder)
{
    if (c.asNobody) {
        CHILD_CHECK(::chown(folder.c_str(), kNobody, kNobody) == 0, "chown");
        CHILD_CHECK(::setresgid(kNobody, kNobody, kNobody) == 0, "setresgid");
        CHILD_CHECK(::setresuid(kNobody, kNobody, kNobody) == 0, "setresuid");
    }
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    const fs::path db = folder / "Travimetra" / "usage.sqlite";
    const int64_t noon = localNoon(2026, 10, 14);
    const int32_t day = 20261014;
    uint64_t expected = 0;
    if (c.historyFirst) {
        TUsageRecorder earlier(db.string(), nullptr);
        feedMinute(earlier, "a#1", noon - 3600, 1000);
        earlier.flush(noon - 3600 + 60);
        expected += 1000;
    }
    c.breakIt(folder, db);
    std::vector<std::string> told;
    TUsageRecorder recorder(db.string(), [&](const std::string& t) { told.push_back(t); });
    feedMinute(recorder, "a#1", noon, 2000);
    recorder.afterPass(noon + 60);
    feedMinute(recorder, "a#1", noon + 120, 3000);
    recorder.afterPass(noon + 180);
    expected += 5000;
    CHILD_CHECK(told.size() == 1, std::to_string(told.size()) + " texts");
    CHILD_CHECK(told[0].find(c.toldHas) != std::string::npos, told[0]);
    // What to do, and where.
    CHILD_CHECK(told[0].find("counted in memory") != std::string::npos, told[0]);
    CHILD_CHECK(told[0].find(db.string()) != std::string::npos, told[0]);
    CHILD_CHECK(!anythingSetAside(folder), "a history was set aside");
    // Nothing empty in the history's place, nothing half built beside it.
    struct stat info
    {
    };
    if (!c.historyFirst) {
        CHILD_CHECK(::lstat(db.c_str(), &info) != 0, "a file stands in the history's place");
    }
    CHILD_CHECK(!fs::exists(db.string() + ".new"), "a half-built history was left");
    c.mendIt(folder, db);
    recorder.finishIntegrityCheck();
    feedMinute(recorder, "a#1", noon + 240, 4000);
    recorder.afterPass(noon + 300);
    expected += 4000;
    CHILD_CHECK(told.size() == 1, told.back());
    CHILD_CHECK(storedDown(db, day) == expected,
                std::to_string(storedDown(db, day)) + " of " + std::to_string(expected));
    CHILD_CHECK(!anythingSetAside(folder), "a history was set aside after mending");
    return 0;
}

TEST(UsageFault, AHistoryThatCannotBeWrittenForAWhileLosesNothing)
{
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    const FaultCase cases[] = {
        {"full disk, no history yet", false, false, "disk is full", fillDisk, freeDisk},
        {"full disk, history there", true, false, "No space left", fillDisk, freeDisk},
        {"read-only file system", true, false, "Read-only file system", mountReadOnly,
         mountWritable},
        {"file mode 0400", true, true, "Permission denied", readOnlyFile, writableFile},
    };
    char pattern[] = "/tmp/travimetra-usage-fault-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path folder = pattern;
    for (const FaultCase& c : cases) {
        const int result =
            runWithSmallTmpfs(folder.string(), 512 * 1024, [&] { return runCase(c, folder); });
        if (result == -1)
            GTEST_SKIP() << "no tmpfs can be mounted here";
        EXPECT_EQ(result, 0) << c.name << ": failed at line " << result;
    }
    fs::remove_all(folder);
}

} // namespace

namespace {

// The report reads a history it cannot write beside (a read-only file
// system): it was opened read-only, and nothing needs to be made there.
int readOnlyReport(const fs::path& folder)
{
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    const fs::path db = folder / "Travimetra" / "usage.sqlite";
    const int64_t noon = localNoon(2026, 10, 20);
    {
        TUsageRecorder recorder(db.string(), nullptr);
        feedMinute(recorder, "a#1", noon, 6543);
        recorder.flush(noon + 60);
    }
    CHILD_CHECK(!fs::exists(db.string() + "-shm"), "the journal index stayed");
    mountReadOnly(folder, db);
    CHILD_CHECK(storedDown(db, 20261020) == 6543, std::to_string(storedDown(db, 20261020)));
    return 0;
}

TEST(UsageFault, TheReportReadsAHistoryOnAReadOnlyFileSystem)
{
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    char pattern[] = "/tmp/travimetra-usage-fault-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const int result =
        runWithSmallTmpfs(pattern, 512 * 1024, [&] { return readOnlyReport(pattern); });
    fs::remove_all(pattern);
    if (result == -1)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    EXPECT_EQ(result, 0) << "failed at line " << result;
}

} // namespace
