// One writer per history: the lock beside it decides, whatever runtime
// folder or login session each program has.
#include "UsageHistoryLock.h"
#include "UsageDatabase.h"
#include "UsageTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class UsageHistoryLockTest : public UsageFixture
{
protected:
    void TearDown() override
    {
        unsetenv("XDG_SESSION_ID");
        UsageFixture::TearDown();
    }

    std::string fileText(const fs::path& path) const
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(UsageHistoryLockTest, ASecondProgramSaysWhichOneRecordsAndCountsNothing)
{
    const int64_t noon = localNoon(2026, 12, 1);
    setenv("XDG_SESSION_ID", "c7", 1);
    setenv("XDG_RUNTIME_DIR", (m_root / "run-1").c_str(), 1);
    auto first = std::make_unique<TUsageRecorder>(dbPath(), nullptr);
    ASSERT_TRUE(first->isOpen());
    // The lock lives beside the history, in its data folder.
    EXPECT_TRUE(fs::exists(dbPath() + ".lock"));

    setenv("XDG_SESSION_ID", "c9", 1);
    setenv("XDG_RUNTIME_DIR", (m_root / "run-2").c_str(), 1);
    std::vector<std::string> told;
    TUsageRecorder second(dbPath(), [&](const std::string& t) { told.push_back(t); });
    EXPECT_FALSE(second.isOpen());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], "Usage is recorded by the Travimetra of " +
                           TUsageHistoryLock::describeThisProgram().replace(
                               TUsageHistoryLock::describeThisProgram().find("c9"), 2, "c7") +
                           "; this one does not record it.");
    EXPECT_NE(told[0].find("process " + std::to_string(getpid())), std::string::npos);
    EXPECT_NE(told[0].find("login session c7"), std::string::npos);

    // Both see the same traffic; only the first books it.
    feedMinute(*first, "a#1", noon, 1000);
    feedMinute(second, "a#1", noon, 1000);
    first->afterPass(noon + 60);
    second.afterPass(noon + 60);
    EXPECT_EQ(told.size(), 1u) << "told again";
    // The first ends; the second takes over with what it sees from then on.
    first->flush(noon + 90);
    first.reset();
    feedMinute(second, "a#1", noon + 120, 2000);
    second.afterPass(noon + 180);
    EXPECT_TRUE(second.isOpen());
    auto db = TUsageDatabase::openForReading(dbPath());
    EXPECT_EQ(db->total("a#1", 20261201, 20261202).down, 3000u);
}

TEST_F(UsageHistoryLockTest, TheLockIsTakenBeforeTheHistoryIsOpened)
{
    // A file that would be set aside as damaged by its writer: the program
    // that is not the writer leaves it alone.
    fs::create_directories(fs::path(dbPath()).parent_path());
    const std::string garbage(3000, 'g');
    std::ofstream(dbPath(), std::ios::binary) << garbage;
    TUsageHistoryLock other(dbPath());
    ASSERT_EQ(other.take(), TUsageHistoryLock::TOutcome::Taken);
    std::vector<std::string> told;
    TUsageRecorder recorder(dbPath(), [&](const std::string& t) { told.push_back(t); });
    recorder.afterPass(localNoon(2026, 12, 2));
    EXPECT_FALSE(recorder.isOpen());
    EXPECT_EQ(fileText(dbPath()), garbage);
    for (const auto& entry : fs::directory_iterator(fs::path(dbPath()).parent_path()))
        EXPECT_EQ(entry.path().filename().string().find(".broken-"), std::string::npos);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("Usage is recorded by"), std::string::npos) << told[0];
}

struct HolderCase
{
    const char* name;
    std::string written;
    std::string shown;
};

TEST_F(UsageHistoryLockTest, WhatAnotherProgramWroteIsShownBoundedAndPrintable)
{
    const HolderCase cases[] = {
        {"plain", "process 42 on box\n", "process 42 on box"},
        {"control bytes", "process 1\x1b[2J\x07 x\n", "process 1?[2J? x"},
        {"empty", "", "another process"},
        {"endless", std::string(100000, 'p'), std::string(256, 'p')},
        {"second line", "process 3\nrm -rf /\n", "process 3"},
    };
    fs::create_directories(fs::path(dbPath()).parent_path());
    for (const HolderCase& c : cases) {
        TUsageHistoryLock holder(dbPath());
        ASSERT_EQ(holder.take(), TUsageHistoryLock::TOutcome::Taken);
        std::ofstream(dbPath() + ".lock", std::ios::binary | std::ios::trunc) << c.written;
        TUsageHistoryLock second(dbPath());
        EXPECT_EQ(second.take(), TUsageHistoryLock::TOutcome::HeldByOther) << c.name;
        EXPECT_EQ(second.holder(), c.shown) << c.name;
    }
}

TEST_F(UsageHistoryLockTest, ALockThatCannotBeMadeIsNoLockHeldByAnother)
{
    fs::create_directories(fs::path(dbPath()).parent_path());
    const std::string lockPath = dbPath() + ".lock";
    const std::string elsewhere = (m_root / "elsewhere").string();
    std::ofstream(elsewhere) << "kept";
    // In the lock's place: a folder, a FIFO, a link to a file it would overwrite.
    const std::function<void()> inPlace[] = {
        [&] { fs::create_directories(lockPath); },
        [&] { ASSERT_EQ(::mkfifo(lockPath.c_str(), 0600), 0); },
        [&] { fs::create_symlink(elsewhere, lockPath); },
    };
    for (std::size_t i = 0; i < std::size(inPlace); ++i) {
        fs::remove_all(lockPath);
        inPlace[i]();
        TUsageHistoryLock lock(dbPath());
        EXPECT_EQ(lock.take(), TUsageHistoryLock::TOutcome::Unavailable) << i;
        EXPECT_FALSE(lock.error().empty()) << i;
    }
    std::stringstream kept;
    kept << std::ifstream(elsewhere).rdbuf();
    EXPECT_EQ(kept.str(), "kept");
    TUsageHistoryLock nowhere("");
    EXPECT_EQ(nowhere.take(), TUsageHistoryLock::TOutcome::Unavailable);
}

} // namespace
