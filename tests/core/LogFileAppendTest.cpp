#include "LogFileAppend.h"
#include "SmallTmpfs.h"

#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(LogFileAppend, OnlyARegularFileIsALog)
{
    TempDirectory dir;
    const std::string fifo = dir.path() + "/fifo.log";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir.path() + "/folder.log";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    struct Case
    {
        std::string path;
        const char* reason;
    };
    // Each fails at once: a FIFO without a reader would block the writer for good.
    const Case cases[] = {
        {fifo, "Not a regular file"},
        {folder, "Is a directory"},
        {"/dev/null", "Not a regular file"},
        {"/dev/full", "Not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            appendToLogFile(c.path, "line\n");
            FAIL() << "no error";
        } catch (const TLogFileError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Cannot open log file \"" + c.path + "\": " + c.reason);
        }
    }
}

TEST(LogFileAppend, ALinkIsNotFollowedOutOfAFolderOthersMayWriteTo)
{
    TempDirectory dir;
    const std::string target = dir.path() + "/victim";
    std::ofstream(target) << "precious\n";
    struct Case
    {
        const char* folder;
        mode_t mode;
        bool followed;
    };
    const Case cases[] = {{"/shared", 01777, false}, {"/own", 0700, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::string folder = dir.path() + c.folder;
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
        ASSERT_EQ(chmod(folder.c_str(), c.mode), 0);
        const std::string link = folder + "/traffic.log";
        ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
        if (c.followed) {
            appendToLogFile(link, "line\n");
            EXPECT_EQ(contents(target), "precious\nline\n");
        } else {
            EXPECT_THROW(appendToLogFile(link, "line\n"), TLogFileError);
            EXPECT_EQ(contents(target), "precious\n");
            // A plain file there is still written.
            ASSERT_EQ(unlink(link.c_str()), 0);
            appendToLogFile(link, "line\n");
            EXPECT_EQ(contents(link), "line\n");
        }
    }
}

TEST(LogFileAppend, OnlyTheDefaultFolderIsMadeAndOnlyForItsOwner)
{
    TempDirectory dir;
    const std::string state = dir.path() + "/state";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    // A folder of the user's choosing stays the user's to make.
    const std::string chosen = dir.path() + "/chosen/traffic.log";
    EXPECT_THROW(appendToLogFile(chosen, "line\n"), TLogFileError);
    struct stat info
    {
    };
    EXPECT_NE(::stat((dir.path() + "/chosen").c_str(), &info), 0);

    appendToLogFile(state + "/Travimetra/Travimetra.log", "line\n");
    EXPECT_EQ(contents(state + "/Travimetra/Travimetra.log"), "line\n");
    ASSERT_EQ(::stat((state + "/Travimetra").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    ASSERT_EQ(::stat(state.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    // Per-sensor files name the folder with its separator doubled.
    appendToLogFile(state + "/Travimetra//Router@10.0.0.1.log", "x\n");
    EXPECT_EQ(contents(state + "/Travimetra/Router@10.0.0.1.log"), "x\n");
    unsetenv("XDG_STATE_HOME");
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
