// The passwords of SNMPv3 sensors between runs, against a secret store in
// memory that can be missing or failing; the settings store is the test's own.

#include "SensorPasswordKeeper.h"

#include "RegVariant.h"
#include "SensorPollV2c.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"
#include "util/StoreFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

// A keyring in memory: every call is counted; `status` other than Ok makes
// every call fail that way.
class MemoryKeyring : public ISecretStore
{
public:
    SecretStatus store(const std::string& key, const std::string& secret, std::string&) override
    {
        ++calls;
        if (status == SecretStatus::Ok)
            entries[key] = secret;
        return status;
    }
    SecretStatus read(const std::string& key, std::string& secret, std::string& error) override
    {
        ++calls;
        secret.clear();
        if (status != SecretStatus::Ok) {
            error = "the keyring is locked";
            return status;
        }
        const auto it = entries.find(key);
        if (it == entries.end())
            return SecretStatus::NotFound;
        secret = it->second;
        return SecretStatus::Ok;
    }
    SecretStatus remove(const std::string& key, std::string&) override
    {
        ++calls;
        if (status == SecretStatus::Ok)
            entries.erase(key);
        return status;
    }
    std::string name() const override { return "desktop keyring"; }

    SecretStatus status = SecretStatus::Ok;
    std::map<std::string, std::string> entries;
    int calls = 0;
};

TSensorRecord v3Sensor(const std::string& host, const std::string& user,
                       SecurityLevel level = SecurityLevel::AuthPriv)
{
    TSensorRecord sensor;
    sensor.HostIP = host;
    sensor.SnmpVersion = SensorPoll::kSnmpVersion3;
    sensor.V3.UserName = user;
    sensor.V3.Level = level;
    return sensor;
}

TMonitorSettings withSensors(std::vector<TSensorRecord> sensors)
{
    TMonitorSettings settings;
    settings.resizeSensors(int32_t(sensors.size()));
    for (std::size_t i = 0; i < sensors.size(); ++i)
        settings.Sensors[i] = sensors[i];
    return settings;
}

class SensorPasswordKeeperTest : public StoreFixture
{
protected:
    SensorPasswordKeeper keeper()
    {
        return SensorPasswordKeeper(m_keyring, filePath(), [this](const std::string& question) {
            m_questions.push_back(question);
            return m_answer;
        });
    }
    std::string filePath() const { return (m_root / "config" / "secrets").string(); }
    int32_t inFileValue() const
    {
        int32_t value = -1;
        regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "SecretsInFile"), value);
        return value;
    }

    std::shared_ptr<MemoryKeyring> m_keyring = std::make_shared<MemoryKeyring>();
    std::vector<std::string> m_questions;
    bool m_answer = false;
};

// What a load gives each sensor as the keyring stands: the passwords, or a
// note that says why not; the question comes only when there is no keyring,
// once, and a Yes moves to the private file.
TEST_F(SensorPasswordKeeperTest, LoadAsTheKeyringStands)
{
    const struct
    {
        const char* what;
        SecretStatus keyring;
        bool answer;
        const char* auth; // what sensor 0 gets
        const char* note; // part of sensor 0's note; "" for none
        int questions;
        int32_t inFile;
    } cases[] = {
        {"keyring there", SecretStatus::Ok, false, "authA", "", 0, 0},
        {"keyring failing", SecretStatus::Failed, false, "",
         "the desktop keyring failed for the passwords of SNMPv3 user \"ann\": the keyring is "
         "locked",
         0, 0},
        {"no keyring, file refused", SecretStatus::Unavailable, false, "",
         "no desktop keyring is available", 1, 0},
        {"no keyring, file taken", SecretStatus::Unavailable, true, "", "", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_questions.clear();
        m_keyring = std::make_shared<MemoryKeyring>();
        m_keyring->entries[SensorSecrets::authKey("10.0.0.1", "ann")] = "authA";
        m_keyring->entries[SensorSecrets::privKey("10.0.0.1", "ann")] = "privA";
        m_keyring->status = c.keyring;
        m_answer = c.answer;
        std::filesystem::remove_all(m_root / "config");
        TMonitorSettings settings = withSensors(
            {v3Sensor("10.0.0.1", "ann"), v3Sensor("10.0.0.2", "bob", SecurityLevel::AuthNoPriv)});
        keeper().load(settings);
        EXPECT_EQ(settings.Sensors[0].V3.AuthPassword, c.auth);
        EXPECT_EQ(settings.Sensors[0].V3.PrivPassword, *c.auth ? "privA" : "");
        if (*c.note)
            EXPECT_NE(settings.Sensors[0].SecretsNote.find(c.note), std::string::npos)
                << settings.Sensors[0].SecretsNote;
        else
            EXPECT_EQ(settings.Sensors[0].SecretsNote, "");
        EXPECT_EQ(int(m_questions.size()), c.questions);
        EXPECT_EQ(inFileValue(), c.inFile);
    }
}

// Sensors that need no password, or versions without users, never touch a
// store nor ask, and a store without SNMPv3 sensors gets no secrets file.
TEST_F(SensorPasswordKeeperTest, NothingToKeepTouchesNoStore)
{
    m_keyring->status = SecretStatus::Unavailable;
    TSensorRecord v1;
    TSensorRecord v2c;
    v2c.SnmpVersion = SensorPoll::kSnmpVersion2c;
    TSensorRecord noAuth = v3Sensor("10.0.0.3", "guest", SecurityLevel::NoAuthNoPriv);
    TMonitorSettings settings = withSensors({v1, v2c, noAuth});
    SensorPasswordKeeper k = keeper();
    k.load(settings);
    EXPECT_EQ(k.save(settings), "");
    EXPECT_EQ(m_keyring->calls, 0);
    EXPECT_TRUE(m_questions.empty());
    EXPECT_FALSE(std::filesystem::exists(filePath()));
    EXPECT_EQ(inFileValue(), 0); // written back like every missing value
}

// A save writes what changed, empties what the user emptied, forgets the
// accounts no sensor has any more, and leaves alone what it never kept and
// what it could not read.
TEST_F(SensorPasswordKeeperTest, SaveKeepsChangesAndForgetsOnlyItsOwn)
{
    const std::string annAuth = SensorSecrets::authKey("10.0.0.1", "ann");
    const std::string bobAuth = SensorSecrets::authKey("10.0.0.2", "bob");
    const std::string stranger = SensorSecrets::authKey("10.0.0.9", "someone");
    m_keyring->entries = {{annAuth, "authA"}, {bobAuth, "authB"}, {stranger, "theirs"}};
    TMonitorSettings settings =
        withSensors({v3Sensor("10.0.0.1", "ann"), v3Sensor("10.0.0.2", "bob")});
    SensorPasswordKeeper k = keeper();
    k.load(settings);
    ASSERT_EQ(settings.Sensors[1].V3.AuthPassword, "authB");

    // Unchanged: not a single write.
    const int callsAfterLoad = m_keyring->calls;
    EXPECT_EQ(k.save(settings), "");
    EXPECT_EQ(m_keyring->calls, callsAfterLoad);

    // ann gets a new password; bob's sensor goes; carl is new.
    settings.Sensors[0].V3.AuthPassword = "authA2";
    settings.Sensors[1] = v3Sensor("10.0.0.3", "carl");
    settings.Sensors[1].V3.AuthPassword = "authC";
    EXPECT_EQ(k.save(settings), "");
    EXPECT_EQ(m_keyring->entries[annAuth], "authA2");
    EXPECT_EQ(m_keyring->entries[SensorSecrets::authKey("10.0.0.3", "carl")], "authC");
    EXPECT_EQ(m_keyring->entries.count(bobAuth), 0u);
    EXPECT_EQ(m_keyring->entries[stranger], "theirs");

    // Passwords the keyring could not give are not taken as emptied.
    SensorPasswordKeeper next = keeper();
    m_keyring->status = SecretStatus::Failed;
    TMonitorSettings reloaded = withSensors({v3Sensor("10.0.0.1", "ann")});
    next.load(reloaded);
    EXPECT_EQ(reloaded.Sensors[0].V3.AuthPassword, "");
    m_keyring->status = SecretStatus::Ok;
    EXPECT_EQ(next.save(reloaded), "");
    EXPECT_EQ(m_keyring->entries[annAuth], "authA2");
}

// A keyring that fails on save is reported, never taken for kept: the next
// save tries again.
TEST_F(SensorPasswordKeeperTest, FailedSaveIsReportedAndTriedAgain)
{
    TMonitorSettings settings = withSensors({v3Sensor("10.0.0.1", "ann")});
    settings.Sensors[0].V3.AuthPassword = "authA";
    SensorPasswordKeeper k = keeper();
    m_keyring->status = SecretStatus::Failed;
    const std::string failed = k.save(settings);
    EXPECT_NE(failed.find("could not be kept"), std::string::npos) << failed;
    EXPECT_TRUE(m_questions.empty());

    m_keyring->status = SecretStatus::Ok;
    EXPECT_EQ(k.save(settings), "");
    EXPECT_EQ(m_keyring->entries[SensorSecrets::authKey("10.0.0.1", "ann")], "authA");
}

} // namespace
