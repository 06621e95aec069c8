// The whole settings store as the program reads and writes it: a store file
// written by an earlier build, with most values away from their defaults,
// loads and saves back to the very same bytes; and every ranged value keeps
// what lies on its bounds and replaces what lies just beyond them.

#include "MonitorStore.h"

#include "SensorPasswordKeeper.h"
#include "UsageKeeper.h"
#include "core/FakeMonitorWindow.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"
#include "util/StoreFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>

namespace {

const std::string kFixture = std::string(TRAVIMETRA_TEST_DATA) + "/StoredValues.reg";
const std::string kGlobal = "[HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra]";
const std::string kSensor0 = "[HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra\\0]";

// A keyring in memory that always answers.
class MemoryKeyring : public ISecretStore
{
public:
    SecretStatus store(const std::string& key, const std::string& secret, std::string&) override
    {
        entries[key] = secret;
        return SecretStatus::Ok;
    }
    SecretStatus read(const std::string& key, std::string& secret, std::string&) override
    {
        const auto it = entries.find(key);
        secret = it == entries.end() ? std::string() : it->second;
        return it == entries.end() ? SecretStatus::NotFound : SecretStatus::Ok;
    }
    SecretStatus remove(const std::string& key, std::string&) override
    {
        entries.erase(key);
        return SecretStatus::Ok;
    }
    std::string name() const override { return "desktop keyring"; }

    std::map<std::string, std::string> entries;
};

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Everything MonitorStore loads and saves, as the program holds it.
class StoredValues : public StoreFixture
{
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        m_keeper = std::make_unique<SensorPasswordKeeper>(m_keyring, (m_root / "secrets").string(),
                                                          [](const std::string&) { return false; });
        m_usage = std::make_unique<UsageKeeper>((m_root / "usage.db").string(), nullptr);
    }

    void TearDown() override
    {
        m_usage.reset();
        StoreFixture::TearDown();
    }

    // A new store, a new program: nothing kept from the last case.
    void fresh()
    {
        TearDown();
        m_settings = TMonitorSettings();
        m_window = FakeMonitorWindow();
        m_metrics = TMetricsSettings();
        m_keyring = std::make_shared<MemoryKeyring>();
        SetUp();
    }

    MonitorStore::TParts parts()
    {
        return MonitorStore::TParts{m_settings, m_window, *m_keeper, *m_usage, m_metrics};
    }

    void load() { MonitorStore::load(parts()); }
    void save() { MonitorStore::save(parts()); }

    // The text of the value `name` in the section headed `section`.
    std::string storedLine(const std::string& section, const std::string& name)
    {
        const std::string text = storeText();
        std::size_t at = text.find(section + "\n");
        if (at == std::string::npos)
            return "<no key>";
        const std::size_t end = text.find("\n[", at);
        const std::string quoted = "\n\"" + name + "\"=";
        at = text.find(quoted, at);
        if (at == std::string::npos || at > end)
            return "<missing>";
        at += quoted.size();
        return text.substr(at, text.find('\n', at) - at);
    }

    std::shared_ptr<MemoryKeyring> m_keyring = std::make_shared<MemoryKeyring>();
    std::unique_ptr<SensorPasswordKeeper> m_keeper;
    std::unique_ptr<UsageKeeper> m_usage;
    TMonitorSettings m_settings;
    FakeMonitorWindow m_window;
    TMetricsSettings m_metrics;
};

// What a user of many runs has: every value the dialogs offer, most of them
// away from their defaults, written the way the program writes them (a first
// load writes every default, a later save the user's values over them).
TEST_F(StoredValues, SavingTheseSettingsWritesTheFixture)
{
    load();
    // The user once took the file for the passwords, and started many times.
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "SecretsInFile", int32_t(1), rdInteger);
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun", int32_t(12), rdInteger);
    m_keeper = std::make_unique<SensorPasswordKeeper>(m_keyring, (m_root / "secrets").string(),
                                                      [](const std::string&) { return false; });

    TMonitorSettings& s = m_settings;
    s.ScaleSize = 150;
    s.AlwaysOnTop = false;
    s.Interval = 7;
    s.BackColor = 0x102030;
    s.ShowExtendedInfo = false;
    s.ShowX = false;
    s.XAction = TXAction::Terminate;
    s.AutoStart = false;
    s.StartMinimized = true;
    s.ShowHints = false;
    s.DoPing = true;
    s.EnableLog = true;
    s.LogFile = "/var/tmp/traffic \"today\".log";
    s.LogFolder = "/var/tmp/";
    s.LogType = TLogType::Syslog;
    s.SysLogServer = "logs.example";
    s.LogTime = 45;
    s.LogSecMinType = TLogSecMinType::Minutes;
    s.LatencySensor = true;
    s.LatencyHost = "192.0.2.9";
    m_window.setWindowTop(40);
    m_window.setWindowLeft(-50);
    m_window.setAlphaBlendValue(200);
    m_window.setLatencyInterval(2500);
    s.resizeSensors(3);
    for (int i = 0; i < 3; ++i) {
        TSensorRecord& r = s.Sensors[i];
        r.Active = i != 1;
        r.HostName = "Router " + std::to_string(i) + " \\ \"main\"";
        r.HostIP = "10.0.0." + std::to_string(i + 1);
        r.Community = "c0mm" + std::to_string(i);
        r.Sensor = std::to_string(i + 2);
        r.SensorName = "eth" + std::to_string(i);
        r.DownSpeed = 100000 + i;
        r.UpSpeed = 20000 + i;
        r.SwapedInOut = i == 0;
        r.ULColor = 0x112233 + i;
        r.DLColor = 0x445566;
        r.LightColor = 0x778899;
        r.DarkColor = 0xAABBCC;
        r.GraphPixels = 3 + i;
        r.LighterLine = true;
        r.UseLightColorFor = i == 2;
        r.HalfHeight = i == 0;
    }
    s.Sensors[0].SpeedType = TSpeedType::Bypass;
    s.Sensors[0].TimerToUse = TTimerToUse::LocalTickCount;
    s.Sensors[1].SpeedType = TSpeedType::Live; // live: saved with speeds of 1
    s.Sensors[1].SteadyRates = false;
    s.Sensors[1].SnmpVersion = TSnmpVersion::V2c;
    s.Sensors[2].SpeedType = TSpeedType::Detected;
    s.Sensors[2].SnmpVersion = TSnmpVersion::V3;
    s.Sensors[2].V3.UserName = "watcher";
    s.Sensors[2].V3.Level = SecurityLevel::AuthNoPriv;
    s.Sensors[2].V3.Auth = AuthProtocol::SHA512;
    s.Sensors[2].V3.Priv = PrivProtocol::DES;
    s.Sensors[2].V3.AuthPassword = "authentic";
    m_usage->sensorsChanged(s);
    m_usage->settings().RateUnit = TRateUnit::MegabitsPerSecond;
    m_usage->settings().Sensors.resize(3);
    m_usage->settings().Sensors[1] = TSensorUsageSettings{15, 250, TQuotaKind::Download};
    m_usage->settings().Sensors[2] = TSensorUsageSettings{31, 1000000, TQuotaKind::Upload};
    m_metrics = TMetricsSettings{true, "127.0.0.9", 9100};
    save();

    const std::string fixture = fileText(kFixture);
    if (const char* out = std::getenv("TRAVIMETRA_WRITE_FIXTURE"))
        std::ofstream(out, std::ios::binary) << storeText();
    EXPECT_EQ(storeText(), fixture);
}

TEST_F(StoredValues, FixtureLoadsAndSavesBackByteForByte)
{
    const std::string fixture = fileText(kFixture);
    ASSERT_FALSE(fixture.empty()) << kFixture;
    writeStoreText(fixture);

    load();
    save();

    EXPECT_EQ(storeText(), fixture);
}

TEST_F(StoredValues, FixtureValuesAwayFromTheirDefaultsReachMemory)
{
    writeStoreText(fileText(kFixture));
    load();

    ASSERT_EQ(m_settings.NumberOfHosts, 3);
    EXPECT_EQ(m_settings.ScaleSize, 150);
    EXPECT_EQ(m_settings.Interval, 7);
    EXPECT_EQ(m_settings.LogTime, 45);
    EXPECT_EQ(m_settings.SysLogServer, "logs.example");
    EXPECT_EQ(m_window.alphaBlendValue(), 200);
    EXPECT_EQ(m_window.latencyInterval(), 2500);
    const TSensorRecord& v3 = m_settings.Sensors[2];
    EXPECT_EQ(v3.HostIP, "10.0.0.3");
    EXPECT_EQ(v3.V3.UserName, "watcher");
    EXPECT_EQ(v3.V3.Level, SecurityLevel::AuthNoPriv);
    EXPECT_EQ(v3.V3.Auth, AuthProtocol::SHA512);
    EXPECT_EQ(v3.V3.Priv, PrivProtocol::DES);
    EXPECT_FALSE(m_settings.Sensors[1].SteadyRates);
    EXPECT_EQ(m_usage->settings().RateUnit, TRateUnit::MegabitsPerSecond);
    EXPECT_EQ(m_usage->settings().Sensors[1].PeriodStartDay, 15);
    EXPECT_EQ(m_usage->settings().Sensors[1].QuotaGB, 250);
    EXPECT_EQ(m_usage->settings().Sensors[1].QuotaKind, TQuotaKind::Download);
    EXPECT_TRUE(m_metrics.Enabled);
    EXPECT_EQ(m_metrics.Address, "127.0.0.9");
    EXPECT_EQ(m_metrics.Port, 9100);
}

// One ranged integer: where it lives, its bounds and what replaces a value
// beyond them.
struct RangeCase
{
    const char* section; // kGlobal or kSensor0
    const char* name;
    int64_t min;
    int64_t max;
    int32_t fallback;
};

std::string dword(int64_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<uint32_t>(value));
    return text;
}

// A one-sensor store whose sensor is read with speeds of its own (a live one
// would have them reset to 1 when saved).
std::string storeWith(const RangeCase& c, int64_t value)
{
    std::string global = kGlobal + "\n\"NumberOfHosts\"=dword:00000001\n";
    std::string sensor = kSensor0 + "\n\"SpeedType\"=dword:00000003\n";
    std::string& section = std::string(c.section) == kGlobal ? global : sensor;
    if (std::string(c.name) != "NumberOfHosts" && std::string(c.name) != "SpeedType")
        section += "\"" + std::string(c.name) + "\"=" + dword(value) + "\n";
    else
        section.replace(section.find(c.name) + std::string(c.name).size() + 2, 14, dword(value));
    return "REGEDIT4\n\n" + global + "\n" + sensor;
}

const RangeCase kRanges[] = {
    {kGlobal.c_str(), "NumberOfHosts", 0, 256, 1},
    {kGlobal.c_str(), "Alpha", 25, 255, 192},
    {kGlobal.c_str(), "ScaleSize", 50, 500, 100},
    {kGlobal.c_str(), "Interval", 1, 30, 5},
    {kGlobal.c_str(), "BackColor", 0, 0xFFFFFF, 0},
    {kGlobal.c_str(), "XAction", 0, 1, 0},
    {kGlobal.c_str(), "LogType", 1, 3, 1},
    {kGlobal.c_str(), "LogTime", 1, 60, 30},
    {kGlobal.c_str(), "LogSecMinType", 0, 1, 0},
    {kGlobal.c_str(), "LatencyTimer", 1000, 60000, 1000},
    {kGlobal.c_str(), "SecretsInFile", 0, 1, 0},
    {kGlobal.c_str(), "RateUnit", 0, 2, 0},
    {kGlobal.c_str(), "MetricsPort", 1, 65535, 9741},
    {kSensor0.c_str(), "DownSpeed", 0, std::numeric_limits<int32_t>::max(), 1024},
    {kSensor0.c_str(), "UpSpeed", 0, std::numeric_limits<int32_t>::max(), 1024},
    {kSensor0.c_str(), "SpeedType", 1, 3, 2},
    {kSensor0.c_str(), "ULColor", 0, 0xFFFFFF, 0x0000FF},
    {kSensor0.c_str(), "DLColor", 0, 0xFFFFFF, 0x00FF00},
    {kSensor0.c_str(), "LightColor", 0, 0xFFFFFF, 0xFF0000},
    {kSensor0.c_str(), "DarkColor", 0, 0xFFFFFF, 0x800000},
    {kSensor0.c_str(), "GraphPixels", 1, 5, 1},
    {kSensor0.c_str(), "TimerToUse", 0, 1, 0},
    {kSensor0.c_str(), "SnmpVersion", 0, 1, 0}, // and 3, below
    {kSensor0.c_str(), "UsagePeriodStart", 1, 31, 1},
    {kSensor0.c_str(), "UsageQuotaGB", 0, 1000000, 0},
    {kSensor0.c_str(), "UsageQuotaKind", 0, 2, 2},
};

TEST_F(StoredValues, EachRangeKeepsItsBoundsAndReplacesWhatLiesBeyond)
{
    for (const RangeCase& c : kRanges) {
        struct Probe
        {
            int64_t value;
            int64_t expected;
        };
        std::vector<Probe> probes = {{c.min, c.min}, {c.max, c.max}};
        if (c.min > std::numeric_limits<int32_t>::min())
            probes.push_back({c.min - 1, c.fallback});
        if (c.max < std::numeric_limits<int32_t>::max())
            probes.push_back({c.max + 1, c.fallback});
        for (const Probe& p : probes) {
            fresh();
            writeStoreText(storeWith(c, p.value));
            load();
            save();
            EXPECT_EQ(storedLine(c.section, c.name), dword(p.expected))
                << c.name << " stored as " << p.value;
        }
    }
}

// The SNMP version is a choice of three stored numbers, not a range.
TEST_F(StoredValues, SnmpVersionKeepsItsThreeCodesAndReplacesAnyOther)
{
    const RangeCase version{kSensor0.c_str(), "SnmpVersion", 0, 3, 0};
    const std::pair<int64_t, int64_t> probes[] = {{0, 0}, {1, 1}, {2, 0}, {3, 3}, {4, 0}, {-1, 0}};
    for (const auto& [stored, expected] : probes) {
        fresh();
        writeStoreText(storeWith(version, stored));
        load();
        save();
        EXPECT_EQ(storedLine(kSensor0, "SnmpVersion"), dword(expected)) << stored;
    }
}

} // namespace

namespace {

// The settings table's defaults are the ones the types in memory start with.
TEST_F(StoredValues, AnEmptyStoreLoadsWhatTheTypesStartWith)
{
    m_metrics = TMetricsSettings{false, "somewhere", 1};
    load();

    EXPECT_EQ(m_metrics, TMetricsSettings());
    const TUsageSettings fresh;
    const TSensorUsageSettings sensor;
    EXPECT_EQ(m_usage->settings().RateUnit, fresh.RateUnit);
    ASSERT_EQ(m_usage->settings().Sensors.size(), 1u);
    EXPECT_EQ(m_usage->settings().Sensors[0].PeriodStartDay, sensor.PeriodStartDay);
    EXPECT_EQ(m_usage->settings().Sensors[0].QuotaGB, sensor.QuotaGB);
    EXPECT_EQ(m_usage->settings().Sensors[0].QuotaKind, sensor.QuotaKind);
    EXPECT_EQ(m_settings.Sensors[0].SnmpVersion, TSnmpVersion::V1);
    EXPECT_EQ(storedLine(kGlobal, "SecretsInFile"), dword(0));
}

TEST_F(StoredValues, OnlyTheTableNamesValuesItsOwnersLoad)
{
    EXPECT_THROW(loadStoredValue(kSettingsKey, "NoSuchValue", false), std::invalid_argument);
    // Loaded by LoadSettings itself, not by an owner.
    EXPECT_THROW(loadStoredValue(kSettingsKey, "Interval", false), std::invalid_argument);
    EXPECT_THROW(saveStoredValue(sensorKeyPath(0), "RateUnit", int32_t(1)), std::invalid_argument);
    EXPECT_EQ(std::get<int32_t>(loadStoredValue(sensorKeyPath(0), "UsageQuotaKind", false)),
              storedNumber(TQuotaKind::Both));
}

} // namespace
