#include "LogFileAppend.h"
#include "SmallTmpfs.h"

#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(LogFileAppend, CreatesThenAppends)
{
    TempDirectory dir;
    const std::string path = dir.path() + "/traffic.log";
    appendToLogFile(path, "first\n");
    appendToLogFile(path, "second\n");
    EXPECT_EQ(contents(path), "first\nsecond\n");
}

TEST(LogFileAppend, MissingFolderRaisesNamingTheFile)
{
    TempDirectory dir;
    const std::string path = dir.path() + "/no such folder/traffic.log";
    try {
        appendToLogFile(path, "line\n");
        FAIL() << "no error";
    } catch (const TLogFileError& error) {
        const std::string text = error.what();
        EXPECT_NE(text.find(path), std::string::npos) << text;
        EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
    }
    struct stat info
    {
    };
    EXPECT_NE(::stat((dir.path() + "/no such folder").c_str(), &info), 0);
}

TEST(LogFileAppend, EmptyNameOrEmbeddedNulIsRefused)
{
    TempDirectory dir;
    EXPECT_THROW(appendToLogFile("", "x\n"), TLogFileError);
    const std::string withNul = dir.path() + "/a" + std::string(1, '\0') + "b";
    EXPECT_THROW(appendToLogFile(withNul, "x\n"), TLogFileError);
    struct stat info
    {
    };
    EXPECT_NE(::stat((dir.path() + "/a").c_str(), &info), 0);
}

TEST(LogFileAppend, DeviceWithoutSpaceRaises)
{
    try {
        appendToLogFile("/dev/full", "line\n");
        FAIL() << "no error";
    } catch (const TLogFileError& error) {
        EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos)
            << error.what();
    }
}

TEST(LogFileAppend, FullFileSystemRaises)
{
    TempDirectory dir;
    const int result = runWithSmallTmpfs(dir.path(), 8192, [&] {
        const std::string path = dir.path() + "/traffic.log";
        const std::string block(4096, 'x');
        try {
            for (int i = 0; i < 64; ++i)
                appendToLogFile(path, block);
        } catch (const TLogFileError& error) {
            return std::string(error.what()).find("No space left on device") != std::string::npos
                       ? 0
                       : 2;
        }
        return 1;
    });
    if (result < 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    EXPECT_EQ(result, 0) << "1: the disk never filled, 2: another error";
}

} // namespace
