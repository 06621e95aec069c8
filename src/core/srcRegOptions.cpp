#include "srcRegOptions.h"

#include "RegSession.h"
#include "StorePlatform.h"
#include "srcGeneral.h"

#include <functional>
#include <limits>

const char* const kSettingsKey = "Software\\Quorvane\\Travimetra";
const char* const kDefaultLatencyHost = "www.google.com";

std::string sensorKeyPath(std::size_t index)
{
    return std::string(kSettingsKey) + "\\" + std::to_string(index);
}

std::string defaultLogFolder()
{
    // Without any home folder the logs go to the working folder rather than
    // to a folder at the root of the file system.
    const std::string state = StorePlatform::stateHomeFolder();
    return state.empty() ? std::string() : state + "/Travimetra/";
}

std::string defaultLogFile()
{
    return defaultLogFolder() + "Travimetra.log";
}

namespace {

// Loads the values of one key in order. Each read that fails, or whose value
// cannot stand for its target, writes the default back; apply receives the
// value read, or the default when the value is marked "at once".
class TKeyLoader
{
public:
    explicit TKeyLoader(std::string key) : m_key(std::move(key)) {}

    bool integer(const char* name, int32_t fallback, const std::function<void(int32_t)>& apply,
                 bool atOnce = false, int32_t min = std::numeric_limits<int32_t>::min(),
                 int32_t max = std::numeric_limits<int32_t>::max())
    {
        int32_t value = 0;
        if (read(name, [&](const TRegVariant& v) {
                return regVariantToInt(v, value) && value >= min && value <= max;
            })) {
            apply(value);
            return true;
        }
        WriteRegValue(HKEY_CURRENT_USER, m_key, name, fallback, rdInteger);
        if (atOnce)
            apply(fallback);
        return false;
    }

    void boolean(const char* name, bool fallback, bool& target)
    {
        bool value = false;
        if (read(name, [&](const TRegVariant& v) { return regVariantToBool(v, value); })) {
            target = value;
            return;
        }
        WriteRegValue(HKEY_CURRENT_USER, m_key, name, fallback, rdBinary);
    }

    void text(const char* name, const std::string& fallback, std::string& target)
    {
        std::string value;
        if (read(name, [&](const TRegVariant& v) { return regVariantToText(v, value); })) {
            target = std::move(value);
            return;
        }
        WriteRegValue(HKEY_CURRENT_USER, m_key, name, fallback, rdString);
    }

    void colour(const char* name, TColor fallback, TColor& target)
    {
        integer(name, int32_t(fallback), [&](int32_t v) { target = TColor(v); });
    }

    void speed(const char* name, int64_t& target)
    {
        integer(name, 1024, [&](int32_t v) { target = v; });
    }

private:
    template <typename Convert> bool read(const char* name, Convert convert)
    {
        try {
            return convert(ReadRegValue(HKEY_CURRENT_USER, m_key, name));
        } catch (const TRegistryError&) {
            return false;
        }
    }

    std::string m_key;
};

// The store keeps speeds as 32-bit integers; a larger speed is saved as the
// nearest one that fits rather than as its low bits.
int32_t storedSpeed(int64_t speed)
{
    if (speed > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (speed < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return int32_t(speed);
}

void loadSensor(TSensorRecord& sensor, std::size_t index)
{
    TKeyLoader key(sensorKeyPath(index));
    key.boolean("Active", false, sensor.Active);
    key.text("HostName", "Sensor #1", sensor.HostName);
    key.text("HostIP", "192.168.1.1", sensor.HostIP);
    key.text("Community", "vandor", sensor.Community);
    key.text("Sensor", "1", sensor.Sensor);
    key.text("SensorName", "Test Interface", sensor.SensorName);
    key.speed("DownSpeed", sensor.DownSpeed);
    key.speed("UpSpeed", sensor.UpSpeed);
    key.integer("SpeedType", stDetected, [&](int32_t v) { sensor.SpeedType = v; });
    key.boolean("SwapedInOut", false, sensor.SwapedInOut);
    key.colour("ULColor", 0x0000FF, sensor.ULColor);
    key.colour("DLColor", 0x00FF00, sensor.DLColor);
    key.colour("LightColor", 0xFF0000, sensor.LightColor);
    key.colour("DarkColor", 0x800000, sensor.DarkColor);
    key.integer("GraphPixels", 1, [&](int32_t v) { sensor.GraphPixels = v; });
    key.boolean("LighterLine", false, sensor.LighterLine);
    key.boolean("UseLightColorFor", false, sensor.UseLightColorFor);
    key.integer("TimerToUse", 0, [&](int32_t v) { sensor.TimerToUse = v; });
    key.boolean("HalfHeight", false, sensor.HalfHeight);
}

} // namespace

void LoadSettings(TMonitorSettings& settings, IMonitorWindow& window)
{
    // One read and at most one replacement of the store file for the lot.
    TRegSession session;
    TKeyLoader key(kSettingsKey);
    if (!key.integer("TimesRun", 0, [](int32_t) {}))
        settings.FirstRun = true;
    // A count the window cannot hold is as unreadable as a missing one.
    key.integer(
        "NumberOfHosts", 1, [&](int32_t v) { settings.resizeSensors(v); }, true, 0,
        kMaxNumberOfHosts);
    key.integer("Top", window.workAreaHeight() - window.windowHeight() - 1,
                [&](int32_t v) { window.setWindowTop(v); });
    key.integer("Left", window.firstMonitorWidth() - window.windowWidth() - 1,
                [&](int32_t v) { window.setWindowLeft(v); });
    key.integer(
        "Alpha", 192, [&](int32_t v) { window.setAlphaBlendValue(v); }, false, 0, 255);
    key.boolean("AlwaysOnTop", true, settings.AlwaysOnTop);
    key.integer(
        "ScaleSize", 100, [&](int32_t v) { settings.ScaleSize = v; }, true);
    key.integer("Interval", 5, [&](int32_t v) { settings.Interval = v; });
    key.colour("BackColor", 0, settings.BackColor);
    key.boolean("ShowExtendedInfo", true, settings.ShowExtendedInfo);
    key.boolean("ShowX", true, settings.ShowX);
    key.integer("XAction", 0, [&](int32_t v) { settings.XAction = v; });
    key.boolean("AutoStart", true, settings.AutoStart);
    key.boolean("StartMinimized", false, settings.StartMinimized);
    key.boolean("ShowHints", true, settings.ShowHints);
    key.boolean("DoPing", false, settings.DoPing);
    key.boolean("EnableLog", false, settings.EnableLog);
    key.text("LogFile", defaultLogFile(), settings.LogFile);
    key.text("LogFolder", defaultLogFolder(), settings.LogFolder);
    key.integer("LogType", 1, [&](int32_t v) { settings.LogType = v; });
    key.text("SysLogServer", "localhost", settings.SysLogServer);
    key.integer("LogTime", 30, [&](int32_t v) { settings.LogTime = v; });
    key.integer("LogSecMinType", 0, [&](int32_t v) { settings.LogSecMinType = v; });
    key.boolean("LatencySensor", false, settings.LatencySensor);
    key.integer("LatencyTimer", 1000, [&](int32_t v) { window.setLatencyInterval(v); });
    key.text("LatencyHost", kDefaultLatencyHost, settings.LatencyHost);

    for (std::size_t n = 0; n < settings.Sensors.size(); ++n)
        loadSensor(settings.Sensors[n], n);
    session.commit();
}

void SaveSettings(TMonitorSettings& settings, IMonitorWindow& window)
{
    TRegSession session;
    const std::string global = kSettingsKey;
    auto integer = [](const std::string& key, const char* name, int32_t value) {
        WriteRegValue(HKEY_CURRENT_USER, key, name, value, rdInteger);
    };
    auto boolean = [](const std::string& key, const char* name, bool value) {
        WriteRegValue(HKEY_CURRENT_USER, key, name, value, rdBinary);
    };
    auto text = [](const std::string& key, const char* name, const std::string& value) {
        WriteRegValue(HKEY_CURRENT_USER, key, name, value, rdString);
    };

    integer(global, "NumberOfHosts", settings.NumberOfHosts);
    integer(global, "Top", window.windowTop());
    integer(global, "Left", window.windowLeft());
    integer(global, "Alpha", window.alphaBlendValue());
    boolean(global, "AlwaysOnTop", settings.AlwaysOnTop);
    integer(global, "ScaleSize", settings.ScaleSize);
    integer(global, "Interval", settings.Interval);
    integer(global, "BackColor", int32_t(settings.BackColor));
    boolean(global, "ShowExtendedInfo", settings.ShowExtendedInfo);
    boolean(global, "ShowX", settings.ShowX);
    integer(global, "XAction", settings.XAction);
    boolean(global, "AutoStart", settings.AutoStart);
    boolean(global, "StartMinimized", settings.StartMinimized);
    boolean(global, "ShowHints", settings.ShowHints);
    boolean(global, "DoPing", settings.DoPing);
    boolean(global, "EnableLog", settings.EnableLog);
    text(global, "LogFile", settings.LogFile);
    text(global, "LogFolder", settings.LogFolder);
    integer(global, "LogType", settings.LogType);
    text(global, "SysLogServer", settings.SysLogServer);
    integer(global, "LogTime", settings.LogTime);
    integer(global, "LogSecMinType", settings.LogSecMinType);
    boolean(global, "LatencySensor", settings.LatencySensor);
    integer(global, "LatencyTimer", window.latencyInterval());
    text(global, "LatencyHost", settings.LatencyHost);

    // Sensors.size() is NumberOfHosts; the smaller of the two guards a caller
    // that changed one without the other.
    const std::size_t count =
        std::min(settings.Sensors.size(), std::size_t(std::max(settings.NumberOfHosts, 0)));
    for (std::size_t n = 0; n < count; ++n) {
        TSensorRecord& sensor = settings.Sensors[n];
        if (sensor.SpeedType == stLive) {
            sensor.DownSpeed = 1;
            sensor.UpSpeed = 1;
        }
        const std::string key = sensorKeyPath(n);
        boolean(key, "Active", sensor.Active);
        text(key, "HostName", sensor.HostName);
        text(key, "HostIP", sensor.HostIP);
        text(key, "Community", sensor.Community);
        text(key, "Sensor", sensor.Sensor);
        text(key, "SensorName", sensor.SensorName);
        integer(key, "DownSpeed", storedSpeed(sensor.DownSpeed));
        integer(key, "UpSpeed", storedSpeed(sensor.UpSpeed));
        integer(key, "SpeedType", sensor.SpeedType);
        boolean(key, "SwapedInOut", sensor.SwapedInOut);
        integer(key, "ULColor", int32_t(sensor.ULColor));
        integer(key, "DLColor", int32_t(sensor.DLColor));
        integer(key, "LightColor", int32_t(sensor.LightColor));
        integer(key, "DarkColor", int32_t(sensor.DarkColor));
        integer(key, "GraphPixels", sensor.GraphPixels);
        boolean(key, "LighterLine", sensor.LighterLine);
        boolean(key, "UseLightColorFor", sensor.UseLightColorFor);
        integer(key, "TimerToUse", sensor.TimerToUse);
        boolean(key, "HalfHeight", sensor.HalfHeight);
    }
    session.commit();
}
