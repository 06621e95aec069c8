#include "FakeMonitorWindow.h"
#include "util/StoreFixture.h"

#include "RegistryError.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <cstdio>
#include <map>
#include <sys/wait.h>

namespace {

const std::string kGlobal = "HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra";

class SettingsStore : public StoreFixture
{
protected:
    // Runs the probe in its own process: what it reports came from the file.
    std::string probe(const std::string& mode)
    {
        FILE* pipe = popen((std::string(STORE_PROBE) + " " + mode).c_str(), "r");
        EXPECT_NE(pipe, nullptr);
        if (!pipe)
            return {};
        std::string out;
        char buffer[4096];
        std::size_t got = 0;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, got);
        const int status = pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
        return out;
    }

    // "key|name" -> "type|data" from the probe's dump.
    std::map<std::string, std::string> storedValues()
    {
        std::map<std::string, std::string> values;
        std::istringstream lines(probe("dump"));
        std::string line;
        while (std::getline(lines, line)) {
            const std::size_t second = line.find('|', line.find('|') + 1);
            values[line.substr(0, second)] = line.substr(second + 1);
        }
        return values;
    }

    std::string stored(const std::string& key, const std::string& name)
    {
        const auto values = storedValues();
        const auto it = values.find(key + "|" + name);
        return it == values.end() ? "<missing>" : it->second;
    }

    // "Name" -> "value" from the probe's load.
    std::multimap<std::string, std::string> loadedElsewhere()
    {
        std::multimap<std::string, std::string> values;
        std::istringstream lines(probe("load"));
        std::string line;
        while (std::getline(lines, line)) {
            const std::size_t eq = line.find('=');
            values.emplace(line.substr(0, eq), line.substr(eq + 1));
        }
        return values;
    }

    std::string stateFolder() const { return (m_root / "state" / "Travimetra").string() + "/"; }

    TMonitorSettings m_settings;
    FakeMonitorWindow m_window;
};

TEST_F(SettingsStore, EmptyStoreGetsEveryDefaultInItsKindAndOrder)
{
    LoadSettings(m_settings, m_window);

    const std::string s = kGlobal + "\\0|";
    const std::string expected =
        kGlobal + "|TimesRun|dword|0\n" + kGlobal + "|NumberOfHosts|dword|1\n" + kGlobal +
        "|Top|dword|669\n" + kGlobal + "|Left|dword|1659\n" + kGlobal + "|Alpha|dword|192\n" +
        kGlobal + "|AlwaysOnTop|binary|True\n" + kGlobal + "|ScaleSize|dword|100\n" + kGlobal +
        "|Interval|dword|5\n" + kGlobal + "|BackColor|dword|0\n" + kGlobal +
        "|ShowExtendedInfo|binary|True\n" + kGlobal + "|ShowX|binary|True\n" + kGlobal +
        "|XAction|dword|0\n" + kGlobal + "|AutoStart|binary|True\n" + kGlobal +
        "|StartMinimized|binary|False\n" + kGlobal + "|ShowHints|binary|True\n" + kGlobal +
        "|DoPing|binary|False\n" + kGlobal + "|EnableLog|binary|False\n" + kGlobal +
        "|LogFile|sz|" + stateFolder() + "Travimetra.log\n" + kGlobal + "|LogFolder|sz|" +
        stateFolder() + "\n" + kGlobal + "|LogType|dword|1\n" + kGlobal +
        "|SysLogServer|sz|localhost\n" + kGlobal + "|LogTime|dword|30\n" + kGlobal +
        "|LogSecMinType|dword|0\n" + kGlobal + "|LatencySensor|binary|False\n" + kGlobal +
        "|LatencyTimer|dword|1000\n" + kGlobal + "|LatencyHost|sz|www.google.com\n" + s +
        "Active|binary|False\n" + s + "HostName|sz|Sensor #1\n" + s + "HostIP|sz|192.168.1.1\n" +
        s + "Community|sz|vandor\n" + s + "Sensor|sz|1\n" + s + "SensorName|sz|Test Interface\n" +
        s + "DownSpeed|dword|1024\n" + s + "UpSpeed|dword|1024\n" + s + "SpeedType|dword|2\n" + s +
        "SwapedInOut|binary|False\n" + s + "ULColor|dword|255\n" + s + "DLColor|dword|65280\n" + s +
        "LightColor|dword|16711680\n" + s + "DarkColor|dword|8388608\n" + s +
        "GraphPixels|dword|1\n" + s + "LighterLine|binary|False\n" + s +
        "UseLightColorFor|binary|False\n" + s + "TimerToUse|dword|0\n" + s +
        "HalfHeight|binary|False\n";
    EXPECT_EQ(probe("dump"), expected);

    // Memory holds the same defaults the store now does, so the program
    // polls at once and a save writes them back unchanged.
    EXPECT_TRUE(m_settings.FirstRun);
    EXPECT_EQ(m_settings.NumberOfHosts, 1);
    EXPECT_EQ(m_settings.ScaleSize, 100);
    ASSERT_EQ(m_settings.Sensors.size(), 1u);
    const TSensorRecord& sensor = m_settings.Sensors[0];
    EXPECT_FALSE(sensor.Active);
    EXPECT_EQ(sensor.HostName, "Sensor #1");
    EXPECT_EQ(sensor.DownSpeed, 1024);
    EXPECT_EQ(sensor.DLColor, 0x00FF00u);
    EXPECT_EQ(m_settings.Interval, 5);
    EXPECT_TRUE(m_settings.AlwaysOnTop);
    EXPECT_EQ(m_settings.LogFile, stateFolder() + "Travimetra.log");
    EXPECT_EQ(m_window.m_calls,
              (std::vector<std::string>{"setWindowTop 669", "setWindowLeft 1659",
                                        "setAlphaBlendValue 192", "setLatencyInterval 1000"}));

    // Saving what was loaded changes nothing in the store.
    const std::string loaded = storeText();
    SaveSettings(m_settings, m_window);
    EXPECT_EQ(storeText(), loaded);
}

TEST_F(SettingsStore, FirstRunReloadAppliesTheDefaults)
{
    LoadSettings(m_settings, m_window);
    m_window.m_calls.clear();
    LoadSettings(m_settings, m_window); // the reload at the first activation
    EXPECT_TRUE(m_settings.FirstRun) << "nothing clears the flag during the run";
    EXPECT_EQ(m_settings.Interval, 5);
    EXPECT_TRUE(m_settings.AlwaysOnTop);
    EXPECT_EQ(m_settings.LogFile, stateFolder() + "Travimetra.log");
    EXPECT_EQ(m_settings.Sensors[0].HostName, "Sensor #1");
    EXPECT_EQ(m_settings.Sensors[0].DownSpeed, 1024);
    EXPECT_EQ(m_settings.Sensors[0].LightColor, 0xFF0000u);
    EXPECT_EQ(m_window.m_calls,
              (std::vector<std::string>{"setWindowTop 669", "setWindowLeft 1659",
                                        "setAlphaBlendValue 192", "setLatencyInterval 1000"}));

    // The next start, in another process, finds TimesRun.
    const auto loaded = loadedElsewhere();
    EXPECT_EQ(loaded.find("FirstRun")->second, "0");
    EXPECT_EQ(loaded.find("Sensors[0].HostIP")->second, "192.168.1.1");
    EXPECT_EQ(loaded.find("Sensors[0].Active")->second, "0");
}

TEST_F(SettingsStore, UnusualKindsConvertAndUnconvertibleValuesAreReplaced)
{
    LoadSettings(m_settings, m_window);
    const std::string key = "Software\\Quorvane\\Travimetra";
    WriteRegValue(HKEY_CURRENT_USER, key, "AlwaysOnTop", int32_t(1), rdInteger);
    WriteRegValue(HKEY_CURRENT_USER, key, "ShowX", std::string("false"), rdString);
    WriteRegValue(HKEY_CURRENT_USER, key, "Interval", std::string("abc"), rdString);
    WriteRegValue(HKEY_CURRENT_USER, key, "LogTime", std::string("45"), rdString);
    WriteRegValue(HKEY_CURRENT_USER, key, "ScaleSize", std::string("12.5"), rdString);
    WriteRegValue(HKEY_CURRENT_USER, key + "\\0", "HostIP", int32_t(17), rdInteger);
    WriteRegValue(HKEY_CURRENT_USER, key + "\\0", "DownSpeed", std::string("2048"), rdBinary);
    WriteRegValue(HKEY_CURRENT_USER, key + "\\0", "Active", std::string("Maybe"), rdBinary);
    m_settings.Interval = 42;
    m_settings.ScaleSize = 150;
    m_settings.Sensors[0].Active = true;

    LoadSettings(m_settings, m_window);
    EXPECT_TRUE(m_settings.AlwaysOnTop);
    EXPECT_FALSE(m_settings.ShowX);
    EXPECT_EQ(m_settings.Interval, 5) << "the default replaces it in memory too";
    EXPECT_EQ(m_settings.LogTime, 45);
    EXPECT_EQ(m_settings.ScaleSize, 100) << "ScaleSize takes its default at once";
    EXPECT_EQ(m_settings.Sensors[0].HostIP, "17");
    EXPECT_EQ(m_settings.Sensors[0].DownSpeed, 2048);
    EXPECT_FALSE(m_settings.Sensors[0].Active) << "the default replaces it in memory too";

    const auto values = storedValues();
    EXPECT_EQ(values.at(kGlobal + "|Interval"), "dword|5");
    EXPECT_EQ(values.at(kGlobal + "|ScaleSize"), "dword|100");
    EXPECT_EQ(values.at(kGlobal + "|AlwaysOnTop"), "dword|1") << "readable values stay as they are";
    EXPECT_EQ(values.at(kGlobal + "\\0|Active"), "binary|False");
}

TEST_F(SettingsStore, MissingSensorKeyIsCreatedAndItsRecordGetsTheDefaults)
{
    m_settings.resizeSensors(2);
    for (std::size_t n = 0; n < 2; ++n) {
        m_settings.Sensors[n].Active = true;
        m_settings.Sensors[n].HostName = "Router " + std::to_string(n);
    }
    SaveSettings(m_settings, m_window);
    WriteRegValue(HKEY_CURRENT_USER, "Software\\Quorvane\\Travimetra", "NumberOfHosts", int32_t(3),
                  rdInteger);

    TMonitorSettings loaded;
    LoadSettings(loaded, m_window);
    ASSERT_EQ(loaded.Sensors.size(), 3u);
    EXPECT_EQ(loaded.NumberOfHosts, 3);
    EXPECT_EQ(loaded.Sensors[1].HostName, "Router 1");
    EXPECT_TRUE(loaded.Sensors[1].Active);
    EXPECT_EQ(loaded.Sensors[2].HostName, "Sensor #1");
    EXPECT_EQ(loaded.Sensors[2].Community, "vandor");
    EXPECT_EQ(loaded.Sensors[2].GraphPixels, 1);
    EXPECT_FALSE(loaded.Sensors[2].Active);
    EXPECT_EQ(stored(kGlobal + "\\2", "HostName"), "sz|Sensor #1");
    EXPECT_EQ(stored(kGlobal + "\\2", "HalfHeight"), "binary|False");
}

TEST_F(SettingsStore, ResizeKeepsExistingRecordsAndLoadReadsNoHigherKeys)
{
    m_settings.resizeSensors(2);
    m_settings.Sensors[1].HostName = "kept";
    WriteRegValue(HKEY_CURRENT_USER, "Software\\Quorvane\\Travimetra", "NumberOfHosts", int32_t(1),
                  rdInteger);
    WriteRegValue(HKEY_CURRENT_USER, "Software\\Quorvane\\Travimetra\\1", "Active", true, rdBinary);
    LoadSettings(m_settings, m_window);
    EXPECT_EQ(m_settings.Sensors.size(), 1u);
    EXPECT_EQ(stored(kGlobal + "\\1", "HostName"), "<missing>");

    m_settings.resizeSensors(3);
    EXPECT_EQ(m_settings.Sensors[1].HostName, "");
    m_settings.Sensors[0].HostName = "first";
    m_settings.resizeSensors(4);
    EXPECT_EQ(m_settings.Sensors[0].HostName, "first");
    m_settings.resizeSensors(-5);
    EXPECT_TRUE(m_settings.Sensors.empty());
    EXPECT_EQ(m_settings.NumberOfHosts, 0);
}

TEST_F(SettingsStore, ShrinkingLeavesHigherSubkeysUntouched)
{
    m_settings.resizeSensors(3);
    for (std::size_t n = 0; n < 3; ++n)
        m_settings.Sensors[n].HostName = "Host " + std::to_string(n);
    SaveSettings(m_settings, m_window);
    std::map<std::string, std::string> before;
    for (const auto& [name, value] : storedValues()) {
        if (name.rfind(kGlobal + "\\2|", 0) == 0)
            before[name] = value;
    }
    ASSERT_EQ(before.size(), 19u);

    m_settings.resizeSensors(2);
    m_settings.Sensors[0].HostName = "changed";
    SaveSettings(m_settings, m_window);
    const auto after = storedValues();
    for (const auto& [name, value] : before)
        EXPECT_EQ(after.at(name), value) << name;
    EXPECT_EQ(after.at(kGlobal + "|NumberOfHosts"), "dword|2");
    EXPECT_EQ(after.at(kGlobal + "\\0|HostName"), "sz|changed");
    EXPECT_EQ(loadedElsewhere().count("Sensors[2].HostName"), 0u);
}

TEST_F(SettingsStore, LiveSensorSavesSpeedsOfOne)
{
    m_settings.resizeSensors(3);
    m_settings.Sensors[0].SpeedType = stLive;
    m_settings.Sensors[0].DownSpeed = 987654;
    m_settings.Sensors[0].UpSpeed = 5000000000LL;
    m_settings.Sensors[1].SpeedType = stBypass;
    m_settings.Sensors[1].DownSpeed = 5000000000LL; // beyond 32 bits
    m_settings.Sensors[1].UpSpeed = -5000000000LL;
    m_settings.Sensors[2].SpeedType = stDetected;
    m_settings.Sensors[2].DownSpeed = 100000;
    m_settings.Sensors[2].UpSpeed = 20000;
    SaveSettings(m_settings, m_window);

    EXPECT_EQ(m_settings.Sensors[0].DownSpeed, 1);
    EXPECT_EQ(m_settings.Sensors[0].UpSpeed, 1);
    EXPECT_EQ(m_settings.Sensors[1].DownSpeed, 5000000000LL) << "only live speeds change";
    const auto values = storedValues();
    EXPECT_EQ(values.at(kGlobal + "\\0|DownSpeed"), "dword|1");
    EXPECT_EQ(values.at(kGlobal + "\\0|UpSpeed"), "dword|1");
    EXPECT_EQ(values.at(kGlobal + "\\1|DownSpeed"), "dword|2147483647");
    EXPECT_EQ(values.at(kGlobal + "\\1|UpSpeed"), "dword|-2147483648");
    EXPECT_EQ(values.at(kGlobal + "\\2|DownSpeed"), "dword|100000");
    EXPECT_EQ(values.at(kGlobal + "\\2|UpSpeed"), "dword|20000");
}

TEST_F(SettingsStore, SavedModelComesBackInAnotherProcess)
{
    m_settings.resizeSensors(2);
    m_settings.ScaleSize = 150;
    m_settings.AlwaysOnTop = false;
    m_settings.BackColor = 0x123456;
    m_settings.ShowExtendedInfo = true;
    m_settings.Interval = 2;
    m_settings.ShowX = true;
    m_settings.XAction = TXAction::Terminate;
    m_settings.AutoStart = false;
    m_settings.StartMinimized = true;
    m_settings.ShowHints = false;
    m_settings.DoPing = true;
    m_settings.EnableLog = true;
    m_settings.LogFile = "/var/tmp/log \"one\".txt";
    m_settings.LogFolder = "/var/tmp/logs/";
    m_settings.LogType = TLogType::Syslog;
    m_settings.SysLogServer = "127.0.0.9";
    m_settings.LogTime = 7;
    m_settings.LogSecMinType = TLogSecMinType::Minutes;
    m_settings.LatencySensor = true;
    m_settings.LatencyHost = "127.0.0.1";
    TSensorRecord& r = m_settings.Sensors[1];
    r.Active = true;
    r.HostName = "Modem";
    r.HostIP = "10.1.2.3";
    r.Community = "pub\\lic\r\n";
    r.Sensor = "12";
    r.SensorName = "eth0";
    r.DownSpeed = 100000;
    r.UpSpeed = 40000;
    r.SpeedType = stBypass;
    r.SwapedInOut = true;
    r.ULColor = 0x0000FF;
    r.DLColor = 0xFFFFFF;
    r.LightColor = 0x808080;
    r.DarkColor = 0x010203;
    r.GraphPixels = 4;
    r.LighterLine = true;
    r.UseLightColorFor = true;
    r.TimerToUse = TTimerToUse::LocalTickCount;
    r.HalfHeight = true;
    r.DownOID = "not stored";
    m_window.m_top = -20;
    m_window.m_left = 3000;
    m_window.m_alpha = 77;
    m_window.m_latency = 2500;
    SaveSettings(m_settings, m_window);

    EXPECT_EQ(stored(kGlobal, "TimesRun"), "<missing>") << "the save does not count starts";
    EXPECT_EQ(stored(kGlobal + "\\1", "DownOID"), "<missing>");
    const auto values = storedValues();
    EXPECT_EQ(values.size(), 25u + 2 * 19u);

    const auto loaded = loadedElsewhere();
    const std::map<std::string, std::string> expected = {
        {"NumberOfHosts", "2"},
        {"ScaleSize", "150"},
        {"AlwaysOnTop", "0"},
        {"FirstRun", "1"},
        {"BackColor", std::to_string(0x123456)},
        {"Interval", "2"},
        {"XAction", "1"},
        {"AutoStart", "0"},
        {"StartMinimized", "1"},
        {"ShowHints", "0"},
        {"DoPing", "1"},
        {"EnableLog", "1"},
        {"LogFile", "/var/tmp/log \"one\".txt"},
        {"LogFolder", "/var/tmp/logs/"},
        {"LogType", "3"},
        {"SysLogServer", "127.0.0.9"},
        {"LogTime", "7"},
        {"LogSecMinType", "1"},
        {"LatencySensor", "1"},
        {"LatencyHost", "127.0.0.1"},
        {"Sensors[1].Active", "1"},
        {"Sensors[1].HostName", "Modem"},
        {"Sensors[1].HostIP", "10.1.2.3"},
        {"Sensors[1].Community", "pub\\x5Clic\\x0D\\x0A"},
        {"Sensors[1].Sensor", "12"},
        {"Sensors[1].SensorName", "eth0"},
        {"Sensors[1].DownSpeed", "100000"},
        {"Sensors[1].UpSpeed", "40000"},
        {"Sensors[1].SpeedType", "3"},
        {"Sensors[1].SwapedInOut", "1"},
        {"Sensors[1].ULColor", std::to_string(0x0000FF)},
        {"Sensors[1].DLColor", std::to_string(0xFFFFFF)},
        {"Sensors[1].LightColor", std::to_string(0x808080)},
        {"Sensors[1].DarkColor", std::to_string(0x010203)},
        {"Sensors[1].GraphPixels", "4"},
        {"Sensors[1].LighterLine", "1"},
        {"Sensors[1].UseLightColorFor", "1"},
        {"Sensors[1].TimerToUse", "1"},
        {"Sensors[1].HalfHeight", "1"},
        {"Sensors[0].HostName", ""},
    };
    for (const auto& [name, value] : expected) {
        ASSERT_EQ(loaded.count(name), 1u) << name;
        EXPECT_EQ(loaded.find(name)->second, value) << name;
    }
    std::vector<std::string> calls;
    for (auto [it, end] = loaded.equal_range("window"); it != end; ++it)
        calls.push_back(it->second);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"setWindowTop -20", "setWindowLeft 3000",
                                        "setAlphaBlendValue 77", "setLatencyInterval 2500"}));
}

TEST_F(SettingsStore, CountsTheWindowCannotHoldAreRefused)
{
    const std::string key = "Software\\Quorvane\\Travimetra";
    WriteRegValue(HKEY_CURRENT_USER, key, "NumberOfHosts", int32_t(100000), rdInteger);
    WriteRegValue(HKEY_CURRENT_USER, key, "Alpha", int32_t(300), rdInteger);
    LoadSettings(m_settings, m_window);
    EXPECT_EQ(m_settings.Sensors.size(), 1u);
    EXPECT_EQ(stored(kGlobal, "NumberOfHosts"), "dword|1");
    EXPECT_EQ(stored(kGlobal, "Alpha"), "dword|192");
    EXPECT_EQ(m_window.m_alpha, 192) << "an impossible opacity gives way to the default";

    WriteRegValue(HKEY_CURRENT_USER, key, "NumberOfHosts", int32_t(-1), rdInteger);
    LoadSettings(m_settings, m_window);
    EXPECT_EQ(stored(kGlobal, "NumberOfHosts"), "dword|1");

    WriteRegValue(HKEY_CURRENT_USER, key, "NumberOfHosts", int32_t(0), rdInteger);
    LoadSettings(m_settings, m_window);
    EXPECT_EQ(m_settings.NumberOfHosts, 0);
    EXPECT_TRUE(m_settings.Sensors.empty());
}

TEST_F(SettingsStore, EveryNumberIsHeldToTheRangeItsDialogAllows)
{
    struct Case
    {
        const char* name;
        bool sensor; // in subkey 0, else in the global key
        int32_t stored;
        int32_t loaded; // the stored value, or the default that replaced it
    };
    const Case cases[] = {
        {"ScaleSize", false, 100000, 100},
        {"ScaleSize", false, 49, 100},
        {"ScaleSize", false, 500, 500},
        {"ScaleSize", false, 50, 50},
        {"LatencyTimer", false, 1, 1000},
        {"LatencyTimer", false, 60001, 1000},
        {"LatencyTimer", false, 2500, 2500},
        {"LatencyTimer", false, 60000, 60000},
        {"Interval", false, 0, 5},
        {"Interval", false, 31, 5},
        {"Interval", false, 30, 30},
        {"LogTime", false, 0, 30},
        {"LogTime", false, 61, 30},
        {"LogTime", false, 60, 60},
        {"Alpha", false, 24, 192},
        {"Alpha", false, 25, 25},
        {"BackColor", false, 0x1000000, 0},
        {"BackColor", false, -1, 0},
        {"BackColor", false, 0xFFFFFF, 0xFFFFFF},
        {"XAction", false, 2, 0},
        {"LogType", false, 0, 1},
        {"LogType", false, 3, 3},
        {"LogSecMinType", false, 2, 0},
        {"GraphPixels", true, 0, 1},
        {"GraphPixels", true, 6, 1},
        {"GraphPixels", true, 5, 5},
        {"ULColor", true, 0x1000000, 0x0000FF},
        {"DLColor", true, -16711936, 0x00FF00},
        {"LightColor", true, 0x123456, 0x123456},
        {"SpeedType", true, 0, 2},
        {"SpeedType", true, 4, 2},
        {"TimerToUse", true, 2, 0},
        {"DownSpeed", true, -5, 1024},
    };
    const std::string key = "Software\\Quorvane\\Travimetra";
    LoadSettings(m_settings, m_window);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.stored));
        WriteRegValue(HKEY_CURRENT_USER, c.sensor ? key + "\\0" : key, c.name, c.stored, rdInteger);
        TMonitorSettings settings;
        FakeMonitorWindow window;
        LoadSettings(settings, window);
        const std::map<std::string, int64_t> memory = {
            {"ScaleSize", settings.ScaleSize},
            {"LatencyTimer", window.latencyInterval()},
            {"Interval", settings.Interval},
            {"LogTime", settings.LogTime},
            {"Alpha", window.alphaBlendValue()},
            {"BackColor", settings.BackColor},
            {"XAction", storedNumber(settings.XAction)},
            {"LogType", storedNumber(settings.LogType)},
            {"LogSecMinType", storedNumber(settings.LogSecMinType)},
            {"GraphPixels", settings.Sensors.at(0).GraphPixels},
            {"ULColor", settings.Sensors.at(0).ULColor},
            {"DLColor", settings.Sensors.at(0).DLColor},
            {"LightColor", settings.Sensors.at(0).LightColor},
            {"SpeedType", storedNumber(settings.Sensors.at(0).SpeedType)},
            {"TimerToUse", storedNumber(settings.Sensors.at(0).TimerToUse)},
            {"DownSpeed", settings.Sensors.at(0).DownSpeed},
        };
        EXPECT_EQ(memory.at(c.name), c.loaded) << "in memory";
        EXPECT_EQ(std::get<int32_t>(
                      ReadRegValue(HKEY_CURRENT_USER, c.sensor ? key + "\\0" : key, c.name)),
                  c.loaded)
            << "in the store";
    }
}

TEST_F(SettingsStore, StoreThatCannotBeWrittenStopsLoadAndSave)
{
    std::ofstream(m_root / "config") << "a file where the folder belongs";
    try {
        LoadSettings(m_settings, m_window);
        FAIL() << "the load must report that the store cannot be written";
    } catch (const TRegistryError& error) {
        EXPECT_STREQ(error.what(), "Not a directory");
    }
    m_settings.resizeSensors(1);
    EXPECT_THROW(SaveSettings(m_settings, m_window), TRegistryError);
}

TEST_F(SettingsStore, UnreadableStoreIsReportedNotReplaced)
{
    std::filesystem::create_directories(storeFile());
    EXPECT_THROW(LoadSettings(m_settings, m_window), TRegistryError);
    EXPECT_FALSE(m_settings.FirstRun);
    EXPECT_TRUE(std::filesystem::is_directory(storeFile()));
}

} // namespace
