// The store on disk when the disk misbehaves: what reaches it, in which
// order, and what is left after a failed write.
#include "util/StoreFixture.h"
#include "util/SyscallSeam.h"

#include "RegistryError.h"
#include "srcGeneral.h"

#include <algorithm>
#include <cerrno>

namespace {

const std::string kKey = "Software\\Quorvane\\Travimetra";

class StoreDurability : public StoreFixture
{
protected:
    void TearDown() override
    {
        SyscallSeam::stop();
        StoreFixture::TearDown();
    }

    std::string temporary() const { return storeFile().string() + ".tmp"; }

    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(storeFile().parent_path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// Position of the first call matching, or -1.
long indexOf(const std::vector<SyscallSeam::Call>& calls, const std::string& name,
             const std::string& path, std::size_t from = 0)
{
    for (std::size_t i = from; i < calls.size(); ++i)
        if (calls[i].name == name && calls[i].path == path)
            return long(i);
    return -1;
}

TEST_F(StoreDurability, NewContentIsOnDiskBeforeItsNameAndTheNameBeforeTheWriteReturns)
{
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
    SyscallSeam::watch(m_root.string());
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(7), rdInteger);
    const std::vector<SyscallSeam::Call> calls = SyscallSeam::stop();

    const std::string folder = storeFile().parent_path().string();
    long lastWrite = -1;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].name != "write")
            continue;
        EXPECT_NE(calls[i].path, storeFile().string()) << "the store is never written in place";
        if (calls[i].path == temporary())
            lastWrite = long(i);
    }
    ASSERT_GE(lastWrite, 0) << "the new content goes to the temporary file";
    const long flush = indexOf(calls, "fsync", temporary(), std::size_t(lastWrite));
    const long renamed = indexOf(calls, "rename", temporary());
    ASSERT_GE(flush, 0) << "the content is flushed after its last write";
    ASSERT_GE(renamed, 0);
    EXPECT_LT(flush, renamed) << "flushed before it takes the store's name";
    EXPECT_EQ(calls[std::size_t(renamed)].to, storeFile().string());
    EXPECT_GT(indexOf(calls, "fsync", folder), renamed)
        << "the folder is flushed after the rename, so the new name survives a power cut";
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "Interval"), TRegVariant(int32_t(7)));
}

struct DiskFault
{
    const char* call;
    const char* suffix;
    int error;
    const char* text;
};

// Whatever step fails, the caller hears the system's words, the previous
// store is there unchanged, and no half-written copy is left beside it.
TEST_F(StoreDurability, FailedWriteKeepsTheOldStoreAndLeavesNoCopy)
{
    const DiskFault faults[] = {
        {"write", ".tmp", ENOSPC, "No space left on device"},
        {"fsync", ".tmp", EIO, "Input/output error"},
        {"close", ".tmp", EDQUOT, "Disk quota exceeded"},
        {"rename", ".tmp", EROFS, "Read-only file system"},
    };
    WriteRegValue(HKEY_CURRENT_USER, kKey, "HostIP", std::string("10.0.0.1"), rdString);
    const std::string before = storeText();
    for (const DiskFault& fault : faults) {
        SyscallSeam::watch(m_root.string());
        SyscallSeam::failNext(fault.call, fault.suffix, fault.error);
        try {
            WriteRegValue(HKEY_CURRENT_USER, kKey, "HostIP", std::string("10.0.0.2"), rdString);
            ADD_FAILURE() << fault.call << " failed and the write claimed success";
        } catch (const TRegistryError& error) {
            EXPECT_STREQ(error.what(), fault.text) << fault.call;
        }
        SyscallSeam::stop();
        EXPECT_EQ(storeText(), before) << fault.call;
        EXPECT_EQ(folderEntries(), std::vector<std::string>{"Travimetra.reg"}) << fault.call;
    }
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "HostIP"),
              TRegVariant(std::string("10.0.0.1")));
}

TEST_F(StoreDurability, FolderThatCannotBeMadeIsReportedAndNothingWritten)
{
    SyscallSeam::watch(m_root.string());
    SyscallSeam::failNext("mkdir", "/config", EROFS);
    try {
        WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
        ADD_FAILURE() << "a read-only parent must raise";
    } catch (const TRegistryError& error) {
        EXPECT_STREQ(error.what(), "Read-only file system");
    }
    SyscallSeam::stop();
    EXPECT_FALSE(std::filesystem::exists(m_root / "config"));
}

// A copy left by a crash in the middle of a write does not block the next.
TEST_F(StoreDurability, CopyLeftByACrashIsReplaced)
{
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(5), rdInteger);
    std::ofstream(temporary()) << "REGEDIT4\n; cut short by a crash";
    WriteRegValue(HKEY_CURRENT_USER, kKey, "Interval", int32_t(9), rdInteger);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kKey, "Interval"), TRegVariant(int32_t(9)));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"Travimetra.reg"});
}

} // namespace
