#include "UsageDatabase.h"
#include "CalendarDay.h"
#include "UsageDatabaseError.h"
#include "UsageTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class UsageDatabaseTest : public UsageFixture
{
protected:
    std::vector<fs::path> brokenFiles() const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(fs::path(dbPath()).parent_path()))
            if (entry.path().filename().string().find("usage.sqlite.broken-") == 0 &&
                entry.path().extension() != ".sqlite-wal")
                found.push_back(entry.path());
        return found;
    }
};

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(UsageDatabaseTest, ANewDatabaseIsPrivateAndInWalMode)
{
    std::string notice;
    auto db = TUsageDatabase::openForWriting(dbPath(), notice);
    EXPECT_TRUE(notice.empty()) << notice;
    struct stat info
    {
    };
    ASSERT_EQ(stat(dbPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(fs::path(dbPath()).parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u);
    TUsageBatch batch;
    batch[{"a#1", localNoon(2026, 5, 1)}] = {{10, 20}, 20260501};
    db->write(batch, {{"a#1", "Router"}}, localNoon(2026, 5, 1));
    // WAL mode leaves its journal beside the file while the writer is open.
    EXPECT_TRUE(fs::exists(dbPath() + "-wal"));
}

struct BrokenCase
{
    const char* name;
    std::string content;
    const char* foundBy;
};

// A real database whose pages were then overwritten in the middle.
std::string databaseWithDamagedPages(const std::string& path)
{
    {
        std::string notice;
        auto db = TUsageDatabase::openForWriting(path, notice);
        TUsageBatch batch;
        for (int i = 0; i < 3000; ++i)
            batch[{"a#" + std::to_string(i % 7), localNoon(2026, 1, 1) + 60 * i}] = {{1, 2},
                                                                                     20260101};
        db->write(batch, {}, localNoon(2026, 1, 1));
    }
    std::string damaged = fileText(path);
    for (std::size_t i = 4096 + 100; i < damaged.size(); i += 4096)
        damaged.replace(i, 64, std::string(64, '\xA5'));
    return damaged;
}

TEST_F(UsageDatabaseTest, ABrokenDatabaseIsMovedAsideAndANewOneStarted)
{
    const std::string damaged = databaseWithDamagedPages(dbPath());
    ASSERT_GT(damaged.size(), 16384u);
    // found by: "open" when SQLite cannot read the file as a database at all,
    // "check" when only the background check of the whole file sees it.
    const BrokenCase cases[] = {
        {"not a database", "this is a text file, not a database\n" + std::string(600, 'x'), "open"},
        {"damaged pages", damaged, "check"},
        {"header torn", "SQLite format 3" + std::string(200, '\0'), "open"},
    };
    for (const BrokenCase& c : cases) {
        fs::remove_all(fs::path(dbPath()).parent_path());
        fs::create_directories(fs::path(dbPath()).parent_path());
        std::ofstream(dbPath(), std::ios::binary) << c.content;
        std::vector<std::string> told;
        TUsageRecorder recorder(dbPath(), [&](const std::string& t) { told.push_back(t); });
        ASSERT_TRUE(recorder.isOpen()) << c.name;
        TUsageDatabase* const db = recorder.database();
        EXPECT_EQ(told.size(), std::string(c.foundBy) == "open" ? 1u : 0u) << c.name;
        // The start reads no more of the file than it needs.
        if (std::string(c.foundBy) == "check") {
            EXPECT_EQ(fileText(dbPath()), c.content) << c.name;
        }
        recorder.afterPass(localNoon(2026, 5, 1) - 120);
        recorder.finishIntegrityCheck();
        ASSERT_EQ(told.size(), 1u) << c.name;
        const std::string& notice = told[0];
        EXPECT_NE(notice.find("moved to"), std::string::npos) << c.name << ": " << notice;
        const auto aside = brokenFiles();
        ASSERT_EQ(aside.size(), 1u) << c.name;
        // Kept byte for byte, and named in the notice.
        EXPECT_EQ(fileText(aside[0]), c.content) << c.name;
        EXPECT_NE(notice.find(aside[0].string()), std::string::npos) << c.name;
        // The new history works, through the object the usage window holds.
        EXPECT_EQ(recorder.database(), db) << c.name;
        feedMinute(recorder, "a#1", localNoon(2026, 5, 1), 10);
        recorder.flush(localNoon(2026, 5, 1) + 60);
        EXPECT_EQ(db->total("a#1", 20260501, 20260502).down, 10u) << c.name;
        // Opening again is quiet: the notice came once.
        std::string again;
        TUsageDatabase::openForWriting(dbPath(), again);
        EXPECT_TRUE(again.empty()) << c.name;
        EXPECT_EQ(TUsageDatabase::damageOf(dbPath()), "") << c.name;
    }
}

TEST_F(UsageDatabaseTest, ARecorderTellsOnceAndKeepsRecording)
{
    fs::create_directories(fs::path(dbPath()).parent_path());
    std::ofstream(dbPath(), std::ios::binary) << std::string(4096, 'z');
    std::vector<std::string> told;
    TUsageRecorder recorder(dbPath(), [&](const std::string& t) { told.push_back(t); });
    ASSERT_TRUE(recorder.isOpen());
    ASSERT_EQ(told.size(), 1u);
    feedMinute(recorder, "a#1", localNoon(2026, 6, 1), 5000);
    recorder.flush(localNoon(2026, 6, 1) + 60);
    EXPECT_EQ(told.size(), 1u);
    EXPECT_EQ(recorder.database()->total("a#1", 20260601, 20260602).down, 5000u);
}

TEST_F(UsageDatabaseTest, AReaderNeverCreatesOrMovesAnything)
{
    EXPECT_THROW(TUsageDatabase::openForReading(dbPath()), TUsageDatabaseError);
    EXPECT_FALSE(fs::exists(dbPath()));
    fs::create_directories(fs::path(dbPath()).parent_path());
    std::ofstream(dbPath(), std::ios::binary) << std::string(4096, 'z');
    EXPECT_THROW(TUsageDatabase::openForReading(dbPath()), TUsageDatabaseError);
    EXPECT_EQ(fileText(dbPath()), std::string(4096, 'z'));
}

TEST_F(UsageDatabaseTest, RowsAreKeptAsLongAsPromised)
{
    std::string notice;
    auto db = TUsageDatabase::openForWriting(dbPath(), notice);
    const int64_t now = localNoon(2027, 6, 1);
    struct Age
    {
        int64_t secondsAgo;
        bool minuteKept;
        bool hourKept;
    };
    const Age ages[] = {
        {3600, true, true},         {7 * 86400 - 3600, true, true}, {7 * 86400 + 3600, false, true},
        {399 * 86400, false, true}, {401 * 86400, false, false},    {800 * 86400, false, false},
    };
    TUsageBatch batch;
    for (const Age& a : ages) {
        const int64_t minute = (now - a.secondsAgo) / 3600 * 3600;
        batch[{"a#1", minute}] = {{100, 1}, TCalendarDay::localDayOf(minute).key()};
    }
    db->write(batch, {}, now);
    std::map<int32_t, uint64_t> perDay;
    for (const auto& [where, minute] : batch)
        perDay[minute.localDay] += minute.octets.down;
    for (const Age& a : ages) {
        const int64_t minute = (now - a.secondsAgo) / 3600 * 3600;
        EXPECT_EQ(db->minutes("a#1", minute, minute + 60).size(), a.minuteKept ? 1u : 0u)
            << a.secondsAgo;
        EXPECT_EQ(db->hour("a#1", minute).has_value(), a.hourKept) << a.secondsAgo;
        // Daily totals are kept for ever.
        const int32_t day = TCalendarDay::localDayOf(minute).key();
        EXPECT_EQ(db->total("a#1", day, TCalendarDay::fromKey(day).plusDays(1).key()).down,
                  perDay[day])
            << a.secondsAgo;
    }
}

TEST_F(UsageDatabaseTest, BatchesAddUp)
{
    std::string notice;
    auto db = TUsageDatabase::openForWriting(dbPath(), notice);
    const int64_t t = localNoon(2026, 7, 1);
    TUsageBatch first;
    first[{"a#1", t}] = {{1000, 10}, 20260701};
    first[{"a#1", t + 60}] = {{2000, 20}, 20260701};
    TUsageBatch second;
    second[{"a#1", t + 60}] = {{500, 5}, 20260701};
    db->write(first, {{"a#1", "Old name"}}, t);
    db->write(second, {{"a#1", "New name"}}, t + 120);
    EXPECT_EQ(db->total("a#1", 20260701, 20260702).down, 3500u);
    EXPECT_EQ(db->hour("a#1", t - t % 3600)->up, 35u);
    const auto minutes = db->minutes("a#1", t, t + 120);
    ASSERT_EQ(minutes.size(), 2u);
    EXPECT_EQ(minutes[1].octets.down, 2500u);
    ASSERT_EQ(db->sensors().size(), 1u);
    EXPECT_EQ(db->sensors()[0].name, "New name");
}

// A sensor that followed its interface from number 3 to 7 keeps one history:
// the old key's rows join the new key's (summed where both have a minute),
// the higher quota notice stands, and the old key is gone. Moving a key with
// no history changes nothing.
TEST_F(UsageDatabaseTest, AMovedKeyTakesItsHistoryAlong)
{
    struct Move
    {
        const char* what;
        bool newKeyHasRows;
        const char* from;
        uint64_t down; // of h#7 on the day
        uint64_t minuteDown;
        int notice;
        std::size_t keys;
    };
    const Move moves[] = {
        {"to a number without history", false, "h#3", 1000, 1000, 80, 1},
        {"to a number with history", true, "h#3", 1500, 1500, 100, 1},
        {"of a key never written", true, "h#9", 500, 500, 100, 2},
    };
    const int64_t t = localNoon(2026, 7, 1);
    for (const Move& m : moves) {
        SCOPED_TRACE(m.what);
        for (const char* end : {"", "-wal", "-shm"})
            std::filesystem::remove(dbPath() + end);
        std::string notice;
        auto db = TUsageDatabase::openForWriting(dbPath(), notice);
        TUsageBatch batch;
        batch[{"h#3", t}] = {{1000, 10}, 20260701};
        if (m.newKeyHasRows)
            batch[{"h#7", t}] = {{500, 5}, 20260701};
        db->write(batch, {}, t);
        db->setNoticeLevel("h#3", 20260701, 80);
        if (m.newKeyHasRows)
            db->setNoticeLevel("h#7", 20260701, 100);
        db->write({}, {}, t + 60, {}, {{m.from, "h#7"}});
        EXPECT_EQ(db->total("h#7", 20260701, 20260702).down, m.down);
        EXPECT_EQ(db->hour("h#7", t - t % 3600)->down, m.down);
        ASSERT_EQ(db->minutes("h#7", t, t + 60).size(), 1u);
        EXPECT_EQ(db->minutes("h#7", t, t + 60)[0].octets.down, m.minuteDown);
        EXPECT_EQ(db->noticeLevel("h#7", 20260701), m.notice);
        EXPECT_EQ(db->sensors().size(), m.keys);
    }
}

// A program killed with SIGKILL loses only what it had not written yet: the
// minute since its last write.
TEST_F(UsageDatabaseTest, AKilledProgramLosesAtMostTheLastMinute)
{
    const int64_t t0 = localNoon(2026, 8, 3);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TUsageRecorder recorder(dbPath(), nullptr);
        recorder.setSensors({{"a#1", "Router", {}}});
        // Ten minutes of polls every 5 s, 1000 octets each.
        for (int64_t s = 0; s <= 600; s += 5) {
            recorder.goodPoll(
                {"a#1", t0 + s, static_cast<uint64_t>(s) * 200, 0, 32, (t0 + s) * 100});
            recorder.afterPass(t0 + s);
        }
        raise(SIGKILL);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    auto db = TUsageDatabase::openForReading(dbPath());
    const uint64_t saved = db->total("a#1", 20260803, 20260804).down;
    const uint64_t all = 600 * 200;
    EXPECT_LE(saved, all);
    EXPECT_GE(saved, all - 60 * 200) << "more than a minute lost";
    EXPECT_EQ(saved % 1000, 0u); // whole polls only, never a torn batch
}

TEST_F(UsageDatabaseTest, AReaderBesideTheWriterSeesWhatWasWritten)
{
    TUsageRecorder recorder(dbPath(), nullptr);
    const int64_t t = localNoon(2026, 9, 9);
    feedMinute(recorder, "a#1", t, 7777);
    recorder.flush(t + 60);
    auto reader = TUsageDatabase::openForReading(dbPath());
    feedMinute(recorder, "a#1", t + 120, 1111);
    recorder.flush(t + 180);
    EXPECT_EQ(reader->total("a#1", 20260909, 20260910).down, 7777u + 1111u);
}

} // namespace
