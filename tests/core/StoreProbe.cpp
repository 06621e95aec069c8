// Test helper run as a separate process, so that what the tests check was
// really stored in the file and not just kept in memory.
//   store_probe dump   prints every key and value of the store with its type
//   store_probe load   runs LoadSettings and prints the model and window calls
#include "FakeMonitorWindow.h"

#include "RegStoreFile.h"
#include "srcRegOptions.h"

#include <cstdio>
#include <iostream>

namespace {

// Control bytes as \xNN so that every value stays on one line.
std::string visible(const std::string& bytes)
{
    std::string out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(byte));
            out += escaped;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

const char* typeName(uint32_t type)
{
    switch (type) {
    case REG_SZ:
        return "sz";
    case REG_EXPAND_SZ:
        return "expand";
    case REG_DWORD:
        return "dword";
    case REG_BINARY:
        return "binary";
    default:
        return "other";
    }
}

int dump()
{
    const TRegStore store = RegStoreFile::load();
    for (const TRegKey& key : store.keys()) {
        for (const TRegValue& value : key.values()) {
            std::string data = visible(value.Data);
            if (value.Type == REG_DWORD && value.Data.size() == 4) {
                uint32_t number = 0;
                for (int i = 3; i >= 0; --i)
                    number = (number << 8) | static_cast<unsigned char>(value.Data[std::size_t(i)]);
                data = std::to_string(int32_t(number));
            }
            std::cout << key.path() << '|' << value.Name << '|' << typeName(value.Type) << '|'
                      << data << '\n';
        }
    }
    return 0;
}

int load()
{
    TMonitorSettings s;
    FakeMonitorWindow window;
    LoadSettings(s, window);
    auto line = [](const std::string& name, const auto& value) {
        std::cout << name << '=' << value << '\n';
    };
    line("NumberOfHosts", s.NumberOfHosts);
    line("ScaleSize", s.ScaleSize);
    line("AlwaysOnTop", s.AlwaysOnTop);
    line("FirstRun", s.FirstRun);
    line("BackColor", s.BackColor);
    line("ShowExtendedInfo", s.ShowExtendedInfo);
    line("Interval", s.Interval);
    line("ShowX", s.ShowX);
    line("XAction", storedNumber(s.XAction));
    line("AutoStart", s.AutoStart);
    line("StartMinimized", s.StartMinimized);
    line("ShowHints", s.ShowHints);
    line("DoPing", s.DoPing);
    line("LogFile", visible(s.LogFile));
    line("LogFolder", visible(s.LogFolder));
    line("LogType", storedNumber(s.LogType));
    line("LogSecMinType", storedNumber(s.LogSecMinType));
    line("LogTime", s.LogTime);
    line("SysLogServer", visible(s.SysLogServer));
    line("EnableLog", s.EnableLog);
    line("LatencySensor", s.LatencySensor);
    line("LatencyHost", visible(s.LatencyHost));
    for (std::size_t n = 0; n < s.Sensors.size(); ++n) {
        const TSensorRecord& r = s.Sensors[n];
        const std::string p = "Sensors[" + std::to_string(n) + "].";
        line(p + "Active", r.Active);
        line(p + "HostName", visible(r.HostName));
        line(p + "HostIP", visible(r.HostIP));
        line(p + "Community", visible(r.Community));
        line(p + "Sensor", visible(r.Sensor));
        line(p + "SensorName", visible(r.SensorName));
        line(p + "DownSpeed", r.DownSpeed);
        line(p + "UpSpeed", r.UpSpeed);
        line(p + "SpeedType", storedNumber(r.SpeedType));
        line(p + "SwapedInOut", r.SwapedInOut);
        line(p + "ULColor", r.ULColor);
        line(p + "DLColor", r.DLColor);
        line(p + "LightColor", r.LightColor);
        line(p + "DarkColor", r.DarkColor);
        line(p + "GraphPixels", r.GraphPixels);
        line(p + "LighterLine", r.LighterLine);
        line(p + "UseLightColorFor", r.UseLightColorFor);
        line(p + "TimerToUse", storedNumber(r.TimerToUse));
        line(p + "HalfHeight", r.HalfHeight);
    }
    for (const std::string& call : window.m_calls)
        line("window", call);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "dump")
            return dump();
        if (mode == "load")
            return load();
    } catch (const std::exception& error) {
        std::cout << "error=" << error.what() << '\n';
        return 1;
    }
    std::cerr << "usage: store_probe dump|load\n";
    return 2;
}
