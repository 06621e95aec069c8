// The desktop keyring as the programs load it: the module found beside the
// executable or in the helpers' folder, and a missing module told as a
// keyring that is not there, never as an empty password.
#include "DesktopKeyring.h"

#include "TempDirectory.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

struct PathCase
{
    const char* name;
    bool beside;          // a module in the folder itself
    bool helpers;         // a module in ../libexec/travimetra/
    const char* expected; // relative to the folder
};

class ModulePath : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(ModulePath, BesideFirstThenTheHelpersFolder)
{
    const PathCase& c = GetParam();
    TempDirectory root;
    const std::string folder = root.path() + "/prefix/bin/";
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(root.path() + "/prefix/libexec/travimetra");
    if (c.beside)
        std::ofstream(folder + "travimetra-keyring.so") << "x";
    if (c.helpers)
        std::ofstream(folder + "../libexec/travimetra/travimetra-keyring.so") << "x";
    EXPECT_EQ(DesktopKeyring::modulePath(folder), folder + c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    DesktopKeyring, ModulePath,
    ::testing::Values(
        PathCase{"BuildFolder", true, false, "travimetra-keyring.so"},
        PathCase{"Both", true, true, "travimetra-keyring.so"},
        PathCase{"Installed", false, true, "../libexec/travimetra/travimetra-keyring.so"},
        PathCase{"Neither", false, false, "../libexec/travimetra/travimetra-keyring.so"}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

TEST(DesktopKeyring, NothingIsLoadedUntilAPasswordIsAskedFor)
{
    TempDirectory empty;
    DesktopKeyring keyring("Travimetra-test", empty.path() + "/");
    EXPECT_EQ(keyring.name(), "desktop keyring");
    EXPECT_FALSE(keyring.loaded());
}

// Every call on a keyring whose module is missing: Unavailable, the module's
// path in the error, the secret left empty.
TEST(DesktopKeyring, AMissingModuleIsAKeyringThatIsNotThere)
{
    TempDirectory empty;
    const std::string folder = empty.path() + "/";
    DesktopKeyring keyring("Travimetra-test", folder);
    std::string error;
    std::string secret = "stale";
    EXPECT_EQ(keyring.read("user", secret, error), SecretStatus::Unavailable);
    EXPECT_TRUE(keyring.loaded());
    EXPECT_EQ(secret, "");
    EXPECT_NE(error.find(folder + "../libexec/travimetra/travimetra-keyring.so"), std::string::npos)
        << error;
    error.clear();
    EXPECT_EQ(keyring.store("user", "secret", error), SecretStatus::Unavailable);
    EXPECT_NE(error.find("cannot be loaded"), std::string::npos) << error;
    error.clear();
    EXPECT_EQ(keyring.remove("user", error), SecretStatus::Unavailable);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(keyring.readable("user"), SecretStatus::Unavailable);
    EXPECT_FALSE(keyring.present());
    bool answered = false;
    keyring.readLater("user", [&](const SecretReply& reply) {
        answered = true;
        EXPECT_EQ(reply.status, SecretStatus::Unavailable);
        EXPECT_EQ(reply.secret, "");
        EXPECT_FALSE(reply.error.empty());
    });
    EXPECT_TRUE(answered);
}

// The module of this build loads and answers through the keyring client:
// with no session bus there is no keyring.
TEST(DesktopKeyring, TheBuiltModuleLoadsAndAnswers)
{
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    int argc = 1;
    char name[] = "DesktopKeyringTest";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    DesktopKeyring keyring("Travimetra-test", TRAVIMETRA_KEYRING_FOLDER "/");
    EXPECT_FALSE(keyring.present());
    EXPECT_TRUE(keyring.loaded());
    std::string error;
    std::string secret;
    const SecretStatus status = keyring.read("user", secret, error);
    EXPECT_NE(status, SecretStatus::Ok);
    EXPECT_EQ(secret, "");
    EXPECT_EQ(error.find("cannot be loaded"), std::string::npos) << error;
}

} // namespace
