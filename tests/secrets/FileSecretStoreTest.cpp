#include "FileSecretStore.h"
#include "SecretStoreContract.h"
#include "TempDirectory.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(FileSecretStore, RefusesFilesOthersCouldReadOrThatAreDamaged)
{
    const struct
    {
        const char* name;
        const char* content;
        mode_t mode;
    } cases[] = {
        {"readable by the group", "6b=76\n", 0640},
        {"readable by all", "6b=76\n", 0644},
        {"not hex", "key=value\n", 0600},
        {"no equals sign", "6b76\n", 0600},
        {"odd hex", "6b=7\n", 0600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory dir;
        const std::string path = dir.file("secrets");
        {
            std::ofstream out(path);
            out << c.content;
        }
        ::chmod(path.c_str(), c.mode);
        FileSecretStore store(path);
        std::string secret = "stale";
        std::string error;
        EXPECT_EQ(store.read("k", secret, error), SecretStatus::Failed);
        EXPECT_EQ(secret, "");
        EXPECT_FALSE(error.empty());
        // Nor is it overwritten: what the user has there is not ours to drop.
        EXPECT_EQ(store.store("k", "new", error), SecretStatus::Failed);
        EXPECT_EQ(modeOf(path), c.mode);
    }
}

} // namespace
