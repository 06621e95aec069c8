#include "FileSecretStore.h"
#include "SecretStoreContract.h"
#include "TempDirectory.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const std::string& path)
{
    struct stat info
    {
    };
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST(FileSecretStore, KeepsSecretsLikeAnyStore)
{
    TempDirectory dir;
    FileSecretStore store(dir.file("secrets"));
    checkSecretStoreContract(store);
    EXPECT_EQ(modeOf(dir.file("secrets")), 0600);
}

TEST(FileSecretStore, SecretsSurviveInAPrivateFileWithoutClearText)
{
    TempDirectory dir;
    const std::string path = dir.file("secrets");
    {
        FileSecretStore store(path);
        std::string error;
        ASSERT_EQ(store.store("snmpv3/host/ann/auth", "maplesyrup", error), SecretStatus::Ok);
    }
    EXPECT_EQ(modeOf(path), 0600);
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("maplesyrup"), std::string::npos) << "hex-encoded, not in clear";
    struct stat info
    {
    };
    EXPECT_NE(::stat((path + ".tmp").c_str(), &info), 0) << "no temporary file left";

    FileSecretStore again(path);
    std::string secret;
    std::string error;
    ASSERT_EQ(again.read("snmpv3/host/ann/auth", secret, error), SecretStatus::Ok);
    EXPECT_EQ(secret, "maplesyrup");
}

// Whatever is in the secrets' place and is not a private file of this user,
// the read says why in the user's words and nothing there is replaced.
TEST(FileSecretStore, RefusesFilesOthersCouldReadOrThatAreDamaged)
{
    const auto file = [](const char* content, mode_t mode) {
        return [content, mode](const std::string& path) {
            std::ofstream(path) << content;
            ::chmod(path.c_str(), mode);
        };
    };
    const char* notPrivate = " is not a private file of this user (it must have mode 0600)";
    const struct
    {
        const char* name;
        std::function<void(const std::string&)> make;
        const char* refusal; // after the path
    } cases[] = {
        {"readable by the group", file("6b=76\n", 0640), notPrivate},
        {"writable by the group", file("6b=76\n", 0620), notPrivate},
        {"readable by all", file("6b=76\n", 0644), notPrivate},
        {"open to others only", file("6b=76\n", 0601), notPrivate},
        {"not hex", file("key=value\n", 0600), " is damaged"},
        {"no equals sign", file("6b76\n", 0600), " is damaged"},
        {"odd hex", file("6b=7\n", 0600), " is damaged"},
        {"another user's file",
         [&](const std::string& path) {
             file("6b=76\n", 0600)(path);
             ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0) << "the tests run as root";
         },
         " belongs to another user"},
        {"a link to a private file",
         [&](const std::string& path) {
             file("6b=76\n", 0600)(path + ".real");
             ::symlink((path + ".real").c_str(), path.c_str());
         },
         " is a symbolic link; the passwords are read only from the file itself"},
        {"a FIFO", [](const std::string& path) { ::mkfifo(path.c_str(), 0600); },
         " is not a regular file (a pipe, socket or device is in its place)"},
        {"a folder", [](const std::string& path) { ::mkdir(path.c_str(), 0700); },
         " is a folder, not a file"},
        {"one byte over a mebibyte",
         [&](const std::string& path) {
             file("", 0600)(path);
             ::truncate(path.c_str(), 1024 * 1024 + 1);
         },
         " is larger than a file of passwords can be"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory dir;
        const std::string path = dir.file("secrets");
        c.make(path);
        struct stat before
        {
        };
        ASSERT_EQ(::lstat(path.c_str(), &before), 0);
        FileSecretStore store(path);
        std::string secret = "stale";
        std::string error;
        EXPECT_EQ(store.read("k", secret, error), SecretStatus::Failed);
        EXPECT_EQ(secret, "");
        EXPECT_EQ(error, path + c.refusal);
        // Nor is it overwritten: what the user has there is not ours to drop.
        EXPECT_EQ(store.store("k", "new", error), SecretStatus::Failed);
        EXPECT_EQ(store.remove("k", error), SecretStatus::Failed);
        struct stat after
        {
        };
        ASSERT_EQ(::lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_size, before.st_size);
    }
}

} // namespace
