#include "StoreFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace StoreFile {

namespace {

const std::string kGlobal = "HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra";

std::string keyPath(const std::string& key)
{
    return key.empty() ? kGlobal : kGlobal + "\\" + key;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

std::string path(const std::string& home)
{
    return home + "/.config/Quorvane/Travimetra.reg";
}

std::optional<Values> read(const std::string& home)
{
    std::ifstream in(path(home));
    if (!in)
        return std::nullopt;
    Values values;
    std::string line;
    std::string current;
    bool known = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            const std::string name = line.substr(1, line.size() - 2);
            known = name.compare(0, kGlobal.size(), kGlobal) == 0;
            current = name.size() > kGlobal.size() + 1 ? name.substr(kGlobal.size() + 1) : "";
            if (known)
                values[current];
            continue;
        }
        const auto close = line.find("\"=");
        if (!known || line.size() < 4 || line.front() != '"' || close == std::string::npos)
            continue;
        values[current][line.substr(1, close - 1)] = line.substr(close + 2);
    }
    return values;
}

std::optional<std::int32_t> integer(const Values& values, const std::string& key,
                                    const std::string& name)
{
    const auto k = values.find(key);
    if (k == values.end())
        return std::nullopt;
    const auto v = k->second.find(name);
    if (v == k->second.end() || v->second.rfind("dword:", 0) != 0 || v->second.size() != 14)
        return std::nullopt;
    return static_cast<std::int32_t>(std::stoul(v->second.substr(6), nullptr, 16));
}

std::vector<std::string>& Seed::key(const std::string& name)
{
    for (auto& k : m_keys)
        if (k.first == name)
            return k.second;
    m_keys.emplace_back(name, std::vector<std::string>{});
    return m_keys.back().second;
}

Seed& Seed::integer(const std::string& k, const std::string& name, std::int32_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(value));
    key(k).push_back(quoted(name) + "=" + text);
    return *this;
}

Seed& Seed::boolean(const std::string& k, const std::string& name, bool value)
{
    // Stored the way the program stores booleans: the bytes of "True"/"False".
    std::string bytes;
    for (char c : std::string(value ? "True" : "False")) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
        bytes += (bytes.empty() ? "" : ",") + std::string(hex);
    }
    key(k).push_back(quoted(name) + "=hex:" + bytes);
    return *this;
}

Seed& Seed::text(const std::string& k, const std::string& name, const std::string& value)
{
    key(k).push_back(quoted(name) + "=" + quoted(value));
    return *this;
}

Seed& Seed::sensor(int index, const std::string& hostName, const std::string& address, int ifIndex,
                   std::int32_t speedKbits)
{
    const std::string k = std::to_string(index);
    boolean(k, "Active", true);
    text(k, "HostName", hostName);
    text(k, "HostIP", address);
    text(k, "Community", "vandor");
    text(k, "Sensor", std::to_string(ifIndex));
    text(k, "SensorName", "lo");
    integer(k, "DownSpeed", speedKbits);
    integer(k, "UpSpeed", speedKbits);
    integer(k, "SpeedType", 3);
    boolean(k, "SwapedInOut", false);
    integer(k, "ULColor", 0x0000FF);
    integer(k, "DLColor", 0x00FF00);
    integer(k, "LightColor", 0xFF0000);
    integer(k, "DarkColor", 0x800000);
    integer(k, "GraphPixels", 1);
    boolean(k, "LighterLine", false);
    boolean(k, "UseLightColorFor", false);
    integer(k, "TimerToUse", 0);
    boolean(k, "HalfHeight", false);
    return *this;
}

bool Seed::write(const std::string& home) const
{
    const std::string file = path(home);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "REGEDIT4\n";
    for (const auto& k : m_keys) {
        out << "\n[" << keyPath(k.first) << "]\n";
        for (const std::string& line : k.second)
            out << line << "\n";
    }
    out.close();
    ::chmod(file.c_str(), 0600);
    return static_cast<bool>(out);
}

Seed returningUser(const ReturningUser& user)
{
    Seed seed;
    seed.integer("", "TimesRun", 3)
        .integer("", "NumberOfHosts", user.sensors)
        .integer("", "Top", user.top)
        .integer("", "Left", user.left)
        .integer("", "Alpha", 192)
        .boolean("", "AlwaysOnTop", true)
        .integer("", "ScaleSize", user.scaleSize)
        .integer("", "Interval", user.interval)
        .integer("", "BackColor", 0)
        .boolean("", "ShowExtendedInfo", false)
        .boolean("", "ShowX", true)
        .integer("", "XAction", 0)
        .boolean("", "AutoStart", false)
        .boolean("", "StartMinimized", false)
        .boolean("", "ShowHints", true)
        .boolean("", "DoPing", false)
        .boolean("", "EnableLog", user.enableLog)
        .text("", "LogFile", user.home + "/Travimetra.log")
        .text("", "LogFolder", user.home + "/")
        .integer("", "LogType", 1)
        .text("", "SysLogServer", user.sysLogServer)
        .integer("", "LogTime", user.logTime)
        .integer("", "LogSecMinType", 0)
        .boolean("", "LatencySensor", user.latencySensor)
        .integer("", "LatencyTimer", 2000)
        .text("", "LatencyHost", user.latencyHost);
    return seed;
}

} // namespace StoreFile
