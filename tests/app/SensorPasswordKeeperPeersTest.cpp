// The passwords of SNMPv3 sensors in a real Secret Service keyring on a D-Bus
// session of the test's own, and in the private file when that session has no
// keyring; the user's session and settings are never touched.

#include "SensorPasswordKeeper.h"

#include "KeychainSecretStore.h"
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
#include <sys/stat.h>

namespace {

TMonitorSettings oneV3Sensor(const std::string& host, const std::string& user)
{
    TMonitorSettings settings;
    settings.resizeSensors(1);
    TSensorRecord& sensor = settings.Sensors[0];
    sensor.HostIP = host;
    sensor.SnmpVersion = TSnmpVersion::V3;
    sensor.V3.UserName = user;
    sensor.V3.Level = SecurityLevel::AuthPriv;
    return settings;
}

// The keyring answers with the event loop: runs it until no sensor waits
// for the answer any more (at most 20 s).
void loadAndWait(SensorPasswordKeeper& keeper, TMonitorSettings& settings)
{
    keeper.load(settings);
    QElapsedTimer waited;
    waited.start();
    const auto waiting = [&settings] {
        for (const TSensorRecord& sensor : settings.Sensors) {
            if (sensor.SecretsNote.rfind("The passwords are being read", 0) == 0)
                return true;
        }
        return false;
    };
    while (waiting() && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void typePasswords(TMonitorSettings& settings, const std::string& auth, const std::string& priv)
{
    settings.Sensors[0].V3.AuthPassword = auth;
    settings.Sensors[0].V3.PrivPassword = priv;
}

// Both the keyring library and Qt's D-Bus connect once per process, so the
// bus is chosen before anything talks to it, and the part without a keyring
// runs before the keyring starts on that bus.
TEST(SensorPasswordKeeperPeers, WithoutAndThenWithASecretService)
{
    SecretServicePeer peer;
    REQUIRE_PEER(peer.startBus(), peer.error());
    ::setenv("DBUS_SESSION_BUS_ADDRESS", peer.busAddress().c_str(), 1);
    TempDirectory folders;
    int argc = 1;
    char name[] = "keeper-test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    auto keyring = std::make_shared<KeychainSecretStore>("Travimetra-test");
    keyring->TimeoutMs = 10000;
    int questions = 0;
    const auto yes = [&questions](const std::string&) {
        ++questions;
        return true;
    };

    // No keyring: asked once at the load, the file is taken, and what the
    // user then types is kept there, readable by the user alone.
    ::setenv("XDG_CONFIG_HOME", folders.file("without").c_str(), 1);
    const std::string file = folders.file("without") + "/Quorvane/Travimetra.secrets";
    ASSERT_EQ(SensorPasswordKeeper::defaultFilePath(), file);
    {
        SensorPasswordKeeper keeper(keyring, SensorPasswordKeeper::defaultFilePath(), yes);
        TMonitorSettings settings = oneV3Sensor("10.1.1.1", "ann");
        loadAndWait(keeper, settings);
        EXPECT_EQ(questions, 1);
        EXPECT_EQ(settings.Sensors[0].SecretsNote, "");
        typePasswords(settings, "annAuth", "annPriv");
        EXPECT_EQ(keeper.save(settings), "");
    }
    struct stat info
    {
    };
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    {
        SensorPasswordKeeper nextRun(keyring, SensorPasswordKeeper::defaultFilePath(), yes);
        TMonitorSettings settings = oneV3Sensor("10.1.1.1", "ann");
        loadAndWait(nextRun, settings);
        EXPECT_EQ(settings.Sensors[0].V3.AuthPassword, "annAuth");
        EXPECT_EQ(settings.Sensors[0].V3.PrivPassword, "annPriv");
        EXPECT_EQ(questions, 1) << "the choice is remembered";
    }

    // With the keyring: kept there, read back by the next run, forgotten with
    // the sensor; nothing asked and no file made.
    REQUIRE_PEER(peer.startKeyring(), peer.error());
    ::setenv("XDG_CONFIG_HOME", folders.file("with").c_str(), 1);
    SensorPasswordKeeper keeper(keyring, SensorPasswordKeeper::defaultFilePath(), yes);
    TMonitorSettings settings = oneV3Sensor("10.1.1.2", "bob");
    loadAndWait(keeper, settings);
    typePasswords(settings, "bobAuth", "bobPriv");
    ASSERT_EQ(keeper.save(settings), "");
    {
        SensorPasswordKeeper nextRun(keyring, SensorPasswordKeeper::defaultFilePath(), yes);
        TMonitorSettings again = oneV3Sensor("10.1.1.2", "bob");
        loadAndWait(nextRun, again);
        EXPECT_EQ(again.Sensors[0].V3.AuthPassword, "bobAuth");
        EXPECT_EQ(again.Sensors[0].V3.PrivPassword, "bobPriv");
    }
    std::string secret;
    std::string error;
    KeychainSecretStore reader("Travimetra-test");
    ASSERT_EQ(reader.read(SensorSecrets::privKey("10.1.1.2", "bob"), secret, error),
              SecretStatus::Ok)
        << error;
    EXPECT_EQ(secret, "bobPriv");

    settings.Sensors[0] = TSensorRecord{};
    ASSERT_EQ(keeper.save(settings), "");
    EXPECT_EQ(reader.read(SensorSecrets::authKey("10.1.1.2", "bob"), secret, error),
              SecretStatus::NotFound);
    EXPECT_EQ(reader.read(SensorSecrets::privKey("10.1.1.2", "bob"), secret, error),
              SecretStatus::NotFound);
    EXPECT_EQ(questions, 1);
    struct stat none
    {
    };
    EXPECT_NE(::stat((folders.file("with") + "/Quorvane/Travimetra.secrets").c_str(), &none), 0);
}

} // namespace
