// A locked desktop keyring (GNOME Keyring on a D-Bus session of the test's
// own, with no prompter on it, so its unlock prompt is dismissed at once):
// the load does not wait for it, nothing is asked about a file, nothing
// leaves the keyring, and the passwords come once the user unlocked it.

#include "SensorPasswordKeeper.h"

#include "KeychainSecretStore.h"
#include "KeyringLock.h"
#include "PeerRequirement.h"
#include "RegVariant.h"
#include "SecretServicePeer.h"
#include "SensorPollV2c.h"
#include "TempDirectory.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sys/stat.h>

namespace {

const char* const kWaiting =
    "The passwords are being read from the desktop keyring, which may ask to be unlocked.";

TSensorRecord v3Sensor(const std::string& host, const std::string& user)
{
    TSensorRecord sensor;
    sensor.HostIP = host;
    sensor.SnmpVersion = TSnmpVersion::V3;
    sensor.V3.UserName = user;
    sensor.V3.Level = SecurityLevel::AuthPriv;
    return sensor;
}

// Runs the event loop until done() holds, at most 20 s.
bool until(const std::function<bool()>& done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

int32_t inFileValue()
{
    int32_t value = -1;
    regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "SecretsInFile"), value);
    return value;
}

TEST(SensorPasswordKeeperLockedPeers, LockedThenUnlockedByTheUser)
{
    SecretServicePeer peer;
    REQUIRE_PEER(peer.startBus(), peer.error());
    ::setenv("DBUS_SESSION_BUS_ADDRESS", peer.busAddress().c_str(), 1);
    TempDirectory folders;
    ::setenv("XDG_CONFIG_HOME", folders.file("config").c_str(), 1);
    int argc = 1;
    char name[] = "keeper-locked-test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    REQUIRE_PEER(peer.startKeyring(), peer.error());

    auto keyring = std::make_shared<KeychainSecretStore>("Travimetra-test");
    keyring->TimeoutMs = 10000;
    std::string error;
    ASSERT_EQ(keyring->store(SensorSecrets::authKey("10.1.1.1", "ann"), "annAuth", error),
              SecretStatus::Ok)
        << error;
    ASSERT_EQ(keyring->store(SensorSecrets::privKey("10.1.1.1", "ann"), "annPriv", error),
              SecretStatus::Ok)
        << error;
    ASSERT_EQ(KeyringLock::lock(), "");

    std::vector<std::string> questions;
    SensorPasswordKeeper keeper(keyring, SensorPasswordKeeper::defaultFilePath(),
                                [&questions](const std::string& question) {
                                    questions.push_back(question);
                                    return true; // a Yes would move to the file
                                });
    TMonitorSettings settings;
    settings.resizeSensors(2);
    settings.Sensors[0] = v3Sensor("10.1.1.1", "ann");
    settings.Sensors[1] = v3Sensor("10.1.1.1", "ann");

    // The load does not wait for the keyring: the answer comes with the
    // event loop, which has not run yet.
    keeper.load(settings);
    EXPECT_EQ(settings.Sensors[0].SecretsNote, kWaiting);
    EXPECT_EQ(settings.Sensors[1].SecretsNote, kWaiting);

    const std::string locked =
        "The passwords could not be read: the desktop keyring is locked for the passwords of "
        "SNMPv3 user \"ann\". They are read once it is unlocked.";
    ASSERT_TRUE(until([&] { return settings.Sensors[1].SecretsNote != kWaiting; }));
    EXPECT_EQ(settings.Sensors[0].SecretsNote, locked);
    EXPECT_EQ(settings.Sensors[1].SecretsNote, locked);
    EXPECT_EQ(settings.Sensors[0].V3.AuthPassword, "");

    // Nothing moves out of the keyring on its own: no question, no file,
    // and a save while locked says so and leaves the entries as they are.
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(inFileValue(), 0);
    EXPECT_EQ(keeper.save(settings), "");
    TMonitorSettings typed;
    typed.resizeSensors(1);
    typed.Sensors[0] = v3Sensor("10.1.1.2", "bob");
    typed.Sensors[0].V3.AuthPassword = "bobAuth";
    SensorPasswordKeeper other(keyring, SensorPasswordKeeper::defaultFilePath(),
                               [&questions](const std::string& question) {
                                   questions.push_back(question);
                                   return true;
                               });
    EXPECT_EQ(other.save(typed),
              "The passwords could not be kept: the desktop keyring is locked for the passwords "
              "of SNMPv3 user \"bob\".");
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(inFileValue(), 0);
    struct stat none
    {
    };
    EXPECT_NE(::stat(SensorPasswordKeeper::defaultFilePath().c_str(), &none), 0);

    // Still locked: looking again asks nothing and changes nothing.
    keeper.retryLocked();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(settings.Sensors[0].SecretsNote, locked);

    // The user unlocks the keyring: the passwords come, for both sensors.
    ASSERT_EQ(KeyringLock::unlock(SecretServicePeer::kKeyringPassword), "");
    keeper.retryLocked();
    ASSERT_TRUE(until([&] { return settings.Sensors[1].SecretsNote.empty(); }))
        << settings.Sensors[1].SecretsNote;
    for (const TSensorRecord& sensor : settings.Sensors) {
        EXPECT_EQ(sensor.V3.AuthPassword, "annAuth");
        EXPECT_EQ(sensor.V3.PrivPassword, "annPriv");
    }
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(keeper.save(settings), "");
}

} // namespace
