// The passwords of SNMPv3 sensors between runs, against a secret store in
// memory that can be missing or failing; the settings store is the test's own.

#include "SensorPasswordKeeper.h"

#include "FileSecretStore.h"
#include "RegVariant.h"
#include "SensorPollV2c.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"
#include "util/StoreFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

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
    bool present() override { return status != SecretStatus::Unavailable; }

    SecretStatus status = SecretStatus::Ok;
    std::map<std::string, std::string> entries;
    int calls = 0;
};

TSensorRecord v3Sensor(const std::string& host, const std::string& user,
                       SecurityLevel level = SecurityLevel::AuthPriv)
{
    TSensorRecord sensor;
    sensor.HostIP = host;
    sensor.SnmpVersion = TSnmpVersion::V3;
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
        // Locked is not absent: no question, even from a user who would say Yes.
        {"keyring locked", SecretStatus::Locked, true, "",
         "The passwords could not be read: the desktop keyring is locked for the passwords of "
         "SNMPv3 user \"ann\". They are read once it is unlocked.",
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

// Passwords a locked keyring kept back come once it is unlocked, and only
// into sensors whose passwords the user has not typed meanwhile.
TEST_F(SensorPasswordKeeperTest, LockedKeyringIsReadAgainOnceUnlocked)
{
    m_keyring->entries[SensorSecrets::authKey("10.0.0.1", "ann")] = "authA";
    m_keyring->status = SecretStatus::Locked;
    TMonitorSettings settings =
        withSensors({v3Sensor("10.0.0.1", "ann"), v3Sensor("10.0.0.1", "ann")});
    SensorPasswordKeeper k = keeper();
    k.load(settings);
    ASSERT_NE(settings.Sensors[0].SecretsNote.find("locked"), std::string::npos);
    settings.Sensors[1].V3.AuthPassword = "typed";

    m_keyring->status = SecretStatus::Ok;
    k.retryLocked();
    EXPECT_EQ(settings.Sensors[0].V3.AuthPassword, "authA");
    EXPECT_EQ(settings.Sensors[0].SecretsNote, "");
    EXPECT_EQ(settings.Sensors[1].V3.AuthPassword, "typed");
    EXPECT_TRUE(m_questions.empty());

    // Nothing left to read again: the keyring is not asked.
    const int calls = m_keyring->calls;
    k.retryLocked();
    EXPECT_EQ(m_keyring->calls, calls);
}

// The file is left only when the user says so, all passwords at once, and
// only while a keyring is there to take them.
TEST_F(SensorPasswordKeeperTest, TheFileIsLeftOnlyWhenTheUserSaysSo)
{
    const struct
    {
        const char* what;
        SecretStatus keyring;
        bool answer;
        int questions;
        int32_t inFile; // afterwards
        const char* inKeyring;
        const char* inTheFile;
    } cases[] = {
        {"no keyring", SecretStatus::Unavailable, true, 0, 1, "", "authA"},
        {"keyring there, No", SecretStatus::Ok, false, 1, 1, "", "authA"},
        {"keyring there, Yes", SecretStatus::Ok, true, 1, 0, "authA", ""},
        {"keyring locked, Yes", SecretStatus::Locked, true, 1, 1, "", "authA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(m_root / "config");
        m_questions.clear();
        m_keyring = std::make_shared<MemoryKeyring>();
        m_keyring->status = c.keyring;
        m_answer = c.answer;
        std::string error;
        FileSecretStore file(filePath());
        std::filesystem::create_directories(m_root / "config");
        ASSERT_EQ(file.store(SensorSecrets::authKey("10.0.0.1", "ann"), "authA", error),
                  SecretStatus::Ok);
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "SecretsInFile", int32_t(1), rdInteger);

        TMonitorSettings settings = withSensors({v3Sensor("10.0.0.1", "ann")});
        SensorPasswordKeeper k = keeper();
        k.load(settings);
        EXPECT_EQ(settings.Sensors[0].V3.AuthPassword, "authA") << "from either place";
        EXPECT_EQ(int(m_questions.size()), c.questions);
        if (c.questions) {
            EXPECT_EQ(m_questions[0], k.leaveQuestion());
        }
        EXPECT_EQ(inFileValue(), c.inFile);
        const auto kept = m_keyring->entries.find(SensorSecrets::authKey("10.0.0.1", "ann"));
        EXPECT_EQ(kept == m_keyring->entries.end() ? "" : kept->second, std::string(c.inKeyring));
        std::string secret;
        file.read(SensorSecrets::authKey("10.0.0.1", "ann"), secret, error);
        EXPECT_EQ(secret, c.inTheFile);
        k.load(settings);
        EXPECT_EQ(int(m_questions.size()), c.questions) << "asked once a run";
    }
}

// Sensors that need no password, or versions without users, never touch a
// store nor ask, and a store without SNMPv3 sensors gets no secrets file.
TEST_F(SensorPasswordKeeperTest, NothingToKeepTouchesNoStore)
{
    m_keyring->status = SecretStatus::Unavailable;
    TSensorRecord v1;
    TSensorRecord v2c;
    v2c.SnmpVersion = TSnmpVersion::V2c;
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
    // The other password of the two alone changes: it is kept all the same.
    settings.Sensors[0].V3.PrivPassword = "privA2";
    EXPECT_EQ(k.save(settings), "");
    EXPECT_EQ(m_keyring->entries[SensorSecrets::privKey("10.0.0.1", "ann")], "privA2");

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

// Whatever is in the place of the file of passwords, the load comes back at
// once with the sensor's note saying why nothing was read, and the thing in
// that place is left as it was.
TEST_F(SensorPasswordKeeperTest, HostileThingsInThePlaceOfTheFile)
{
    const std::string path = filePath();
    const std::string valid = "# passwords\n" + std::string("6b=76\n");
    const auto privateFile = [&](const std::string& at, mode_t mode) {
        std::ofstream(at) << valid;
        ::chmod(at.c_str(), mode);
    };
    const struct
    {
        const char* what;
        std::function<void()> make;
        const char* refusal; // after the path
    } cases[] = {
        {"a FIFO", [&] { ::mkfifo(path.c_str(), 0600); },
         " is not a regular file (a pipe, socket or device is in its place)"},
        {"a link to a private file",
         [&] {
             privateFile(path + ".real", 0600);
             ::symlink((path + ".real").c_str(), path.c_str());
         },
         " is a symbolic link; the passwords are read only from the file itself"},
        {"a dangling link", [&] { ::symlink("/nonexistent/secrets", path.c_str()); },
         " is a symbolic link; the passwords are read only from the file itself"},
        {"a folder", [&] { ::mkdir(path.c_str(), 0700); }, " is a folder, not a file"},
        {"another user's file",
         [&] {
             privateFile(path, 0600);
             ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0) << "the tests run as root";
         },
         " belongs to another user"},
        {"readable by the group", [&] { privateFile(path, 0640); },
         " is not a private file of this user (it must have mode 0600)"},
        {"larger than a file of passwords can be",
         [&] {
             privateFile(path, 0600);
             ::truncate(path.c_str(), 8 * 1024 * 1024);
         },
         " is larger than a file of passwords can be"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(m_root / "config");
        std::filesystem::create_directories(m_root / "config");
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "SecretsInFile", int32_t(1), rdInteger);
        m_keyring->status = SecretStatus::Unavailable; // nothing to go back to
        c.make();
        struct stat before
        {
        };
        ASSERT_EQ(::lstat(path.c_str(), &before), 0);

        TMonitorSettings settings = withSensors({v3Sensor("10.0.0.1", "ann")});
        SensorPasswordKeeper k = keeper();
        auto loading = std::async(std::launch::async, [&] { k.load(settings); });
        if (loading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            // Let the hung open go, so the test can end and say so.
            ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
            loading.wait();
            ADD_FAILURE() << "the load waited on the thing in the file's place";
        }
        EXPECT_EQ(settings.Sensors[0].SecretsNote,
                  "The passwords could not be read: the settings file failed for the "
                  "passwords of SNMPv3 user \"ann\": " +
                      path + c.refusal + ".");
        EXPECT_EQ(settings.Sensors[0].V3.AuthPassword, "");
        EXPECT_TRUE(m_questions.empty());

        // A save does not put a file in its place either.
        settings.Sensors[0].V3.AuthPassword = "typed";
        EXPECT_NE(k.save(settings).find(path + c.refusal), std::string::npos);
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
