// The version functions keep their state in the process, so they have a test
// program of their own, and the order of the tests below matters.
#include "util/StoreFixture.h"
#include "util/VersionRecordBuilder.h"

#include "srcGeneral.h"

#include <sys/stat.h>

namespace {

using VersionInfo = StoreFixture;

TEST_F(VersionInfo, NothingBeforeTheFirstLoad)
{
    EXPECT_EQ(GetVersionValue("FileVersion"), "No such VersionInfo");
}

TEST_F(VersionInfo, ReadsTheRecordBuiltIntoThisProgram)
{
    // This test program links the same version record as travimetra.
    LoadVersionInfo("/proc/self/exe");
    EXPECT_EQ(GetVersionValue("FileVersion"), TRAVIMETRA_EXPECTED_VERSION);
    EXPECT_EQ(GetVersionValue("ProductName"), "Travimetra");
    EXPECT_EQ(GetVersionValue("CompanyName"), "Quorvane");
    EXPECT_EQ(GetVersionValue("Comments"), "No such VersionInfo");
}

TEST_F(VersionInfo, FileWithoutRecordGivesNothing)
{
    std::ofstream(m_root / "plain") << "no record in here";
    LoadVersionInfo((m_root / "plain").string());
    EXPECT_EQ(GetVersionValue("FileVersion"), "No such VersionInfo");
    LoadVersionInfo((m_root / "missing").string());
    EXPECT_EQ(GetVersionValue("FileVersion"), "No such VersionInfo");
    LoadVersionInfo(m_root.string()); // a folder
    EXPECT_EQ(GetVersionValue("FileVersion"), "No such VersionInfo");
    ASSERT_EQ(mkfifo((m_root / "fifo").c_str(), 0600), 0);
    LoadVersionInfo((m_root / "fifo").string()); // must not wait for a writer
    EXPECT_EQ(GetVersionValue("FileVersion"), "No such VersionInfo");
}

TEST_F(VersionInfo, RecordAcrossTheFirstReadChunkIsFound)
{
    // The record straddles the boundary of the first 1 MiB read.
    const std::string record = buildVersionRecord({{"FileVersion", "9.9"}}, 0x0407, 0x04B0);
    std::string content((1 << 20) - 10, '\x89');
    content += record;
    std::ofstream(m_root / "other", std::ios::binary) << content;
    LoadVersionInfo((m_root / "other").string());
    EXPECT_EQ(GetVersionValue("FileVersion"), "9.9");
}

} // namespace
