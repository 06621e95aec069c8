#include "srcRegOptions.h"

#include "ControlCharacters.h"
#include "RegSession.h"
#include "RegistryError.h"
#include "StorePlatform.h"
#include "UsageSettings.h"
#include "UsmProtocols.h"
#include "srcGeneral.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <variant>
#include <vector>

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

// Every stored value is described once: its stored name, kind, default,
// allowed range and where it lives in memory. Loading, saving and healing are
// driven by the tables below, in the stored order.
enum class Kind
{
    Integer,
    Boolean,
    Text
};

constexpr int32_t kNoMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kNoMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMaxColour = 0xFFFFFF;

int rdKind(Kind kind)
{
    switch (kind) {
    case Kind::Integer:
        return rdInteger;
    case Kind::Boolean:
        return rdBinary;
    case Kind::Text:
        break;
    }
    return rdString;
}

// One value of a key whose target in memory is reached through T.
template <typename T> struct TStoredValue
{
    const char* name;
    Kind kind;
    std::function<TRegVariant(const T&)> fallback;
    // Puts a value read (healed false) or the default that replaced it
    // (healed true) into memory.
    std::function<void(T&, const TRegVariant&, bool healed)> apply;
    // What a save writes; empty for a value the save never writes.
    std::function<TRegVariant(const T&)> current;
    int32_t min = kNoMin;
    int32_t max = kNoMax;
    // False for a value added later: while it holds its default it is not
    // written, so a store that never changed it reads as it always did.
    bool writtenAtDefault = true;
    // For a choice that is not a plain range (the SNMP version's 0, 1 and 3,
    // a protocol's name): whether a value of the right kind is one of them.
    std::function<bool(const TRegVariant&)> accepts = {};
    // A value its owner loads and saves, when it loads its part (the SNMP
    // fields, the password store, usage, metrics): LoadSettings and
    // SaveSettings pass it by, the owner reads it through loadStoredValue.
    // Its default then depends on nothing.
    std::optional<TRegVariant> ownedDefault = {};
};

// The global key's target: the model and the window it is applied to.
struct TGlobalTarget
{
    TMonitorSettings& settings;
    IMonitorWindow& window;
};

using TGlobalValue = TStoredValue<TGlobalTarget>;
using TSensorValue = TStoredValue<TSensorRecord>;

int32_t asInt(const TRegVariant& v)
{
    return std::get<int32_t>(v);
}

// Shorthands for values that are plain fields of the target.
template <typename T, typename Owner, typename Field>
TStoredValue<T> field(const char* name, Kind kind, TRegVariant fallback, Field Owner::*member,
                      Owner& (*owner)(T&), const Owner& (*ownerOf)(const T&), int32_t min = kNoMin,
                      int32_t max = kNoMax)
{
    return TStoredValue<T>{
        name,
        kind,
        [fallback](const T&) { return fallback; },
        [member, owner](T& target, const TRegVariant& v, bool) {
            std::visit(
                [&](const auto& value) {
                    using V = std::decay_t<decltype(value)>;
                    // A choice is read as its stored number.
                    if constexpr (std::is_convertible_v<V, Field> ||
                                  (std::is_enum_v<Field> && std::is_same_v<V, int32_t>))
                        owner(target).*member = static_cast<Field>(value);
                },
                v);
        },
        [member, ownerOf](const T& target) -> TRegVariant {
            const Field& value = ownerOf(target).*member;
            if constexpr (std::is_same_v<Field, bool> || std::is_same_v<Field, std::string>)
                return value;
            else
                return static_cast<int32_t>(value);
        },
        min,
        max};
}

TMonitorSettings& settingsOf(TGlobalTarget& t)
{
    return t.settings;
}
const TMonitorSettings& constSettingsOf(const TGlobalTarget& t)
{
    return t.settings;
}
TSensorRecord& sensorOf(TSensorRecord& s)
{
    return s;
}
const TSensorRecord& constSensorOf(const TSensorRecord& s)
{
    return s;
}

template <typename Field>
TGlobalValue global(const char* name, Kind kind, TRegVariant fallback,
                    Field TMonitorSettings::*member, int32_t min = kNoMin, int32_t max = kNoMax)
{
    return field<TGlobalTarget>(name, kind, std::move(fallback), member, &settingsOf,
                                &constSettingsOf, min, max);
}

// A field of the sensor's definition, reached through the record.
template <typename Field>
TSensorValue sensor(const char* name, Kind kind, TRegVariant fallback,
                    Field TSensorDefinition::*member, int32_t min = kNoMin, int32_t max = kNoMax)
{
    return field<TSensorRecord>(name, kind, std::move(fallback),
                                static_cast<Field TSensorRecord::*>(member), &sensorOf,
                                &constSensorOf, min, max);
}

// A name an agent gave (sysName, ifDescr) is cut to kMaxStoredNameBytes when
// read and when written: no agent can grow the store past what its reader
// takes.
TSensorValue agentText(const char* name, const char* fallback,
                       std::string TSensorDefinition::*member)
{
    TSensorValue value = sensor(name, Kind::Text, std::string(fallback), member);
    value.apply = [member](TSensorRecord& target, const TRegVariant& v, bool) {
        target.*member =
            std::string(ControlCharacters::cutUtf8(std::get<std::string>(v), kMaxStoredNameBytes));
    };
    value.current = [member](const TSensorRecord& source) -> TRegVariant {
        return std::string(ControlCharacters::cutUtf8(source.*member, kMaxStoredNameBytes));
    };
    return value;
}

// A value loaded and saved by its owner, after LoadSettings and SaveSettings.
template <typename T>
TStoredValue<T> owned(const char* name, Kind kind, TRegVariant fallback, int32_t min = kNoMin,
                      int32_t max = kNoMax, std::function<bool(const TRegVariant&)> accepts = {})
{
    TStoredValue<T> value{name,
                          kind,
                          [fallback](const T&) { return fallback; },
                          [](T&, const TRegVariant&, bool) {},
                          {},
                          min,
                          max};
    value.accepts = std::move(accepts);
    value.ownedDefault = std::move(fallback);
    return value;
}

// A text that must parse as one of a protocol's names.
template <typename Value>
std::function<bool(const TRegVariant&)> oneOfNames(bool (*parse)(const std::string&, Value&))
{
    return [parse](const TRegVariant& v) {
        Value ignored{};
        return parse(std::get<std::string>(v), ignored);
    };
}

template <typename T> TStoredValue<T> laterValue(TStoredValue<T> value)
{
    value.writtenAtDefault = false;
    return value;
}

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

TSensorValue speed(const char* name, int64_t TSensorDefinition::*member)
{
    return TSensorValue{
        name,
        Kind::Integer,
        [](const TSensorRecord&) { return TRegVariant(int32_t(1024)); },
        [member](TSensorRecord& s, const TRegVariant& v, bool) { s.*member = asInt(v); },
        [member](const TSensorRecord& s) { return TRegVariant(storedSpeed(s.*member)); },
        0,
        kNoMax};
}

// In the stored order. Ranges are those the dialogs offer.
const std::vector<TGlobalValue>& globalValues()
{
    static const std::vector<TGlobalValue> values = {
        {"TimesRun",
         Kind::Integer,
         [](const TGlobalTarget&) { return TRegVariant(int32_t(0)); },
         [](TGlobalTarget& t, const TRegVariant&, bool healed) {
             if (healed)
                 t.settings.FirstRun = true;
         },
         {}},
        // A count the window cannot hold is as unreadable as a missing one.
        {"NumberOfHosts", Kind::Integer,
         [](const TGlobalTarget&) { return TRegVariant(int32_t(1)); },
         [](TGlobalTarget& t, const TRegVariant& v, bool) { t.settings.resizeSensors(asInt(v)); },
         [](const TGlobalTarget& t) { return TRegVariant(t.settings.NumberOfHosts); }, 0,
         kMaxNumberOfHosts},
        {"Top", Kind::Integer,
         [](const TGlobalTarget& t) {
             return TRegVariant(int32_t(t.window.workAreaHeight() - t.window.windowHeight() - 1));
         },
         [](TGlobalTarget& t, const TRegVariant& v, bool) { t.window.setWindowTop(asInt(v)); },
         [](const TGlobalTarget& t) { return TRegVariant(int32_t(t.window.windowTop())); }},
        {"Left", Kind::Integer,
         [](const TGlobalTarget& t) {
             return TRegVariant(int32_t(t.window.firstMonitorWidth() - t.window.windowWidth() - 1));
         },
         [](TGlobalTarget& t, const TRegVariant& v, bool) { t.window.setWindowLeft(asInt(v)); },
         [](const TGlobalTarget& t) { return TRegVariant(int32_t(t.window.windowLeft())); }},
        {"Alpha", Kind::Integer, [](const TGlobalTarget&) { return TRegVariant(int32_t(192)); },
         [](TGlobalTarget& t, const TRegVariant& v, bool) {
             t.window.setAlphaBlendValue(asInt(v));
         },
         [](const TGlobalTarget& t) { return TRegVariant(int32_t(t.window.alphaBlendValue())); },
         25, 255},
        global("AlwaysOnTop", Kind::Boolean, true, &TMonitorSettings::AlwaysOnTop),
        global("ScaleSize", Kind::Integer, int32_t(100), &TMonitorSettings::ScaleSize, 50, 500),
        global("Interval", Kind::Integer, int32_t(5), &TMonitorSettings::Interval, 1, 30),
        global("BackColor", Kind::Integer, int32_t(0), &TMonitorSettings::BackColor, 0, kMaxColour),
        global("ShowExtendedInfo", Kind::Boolean, true, &TMonitorSettings::ShowExtendedInfo),
        global("ShowX", Kind::Boolean, true, &TMonitorSettings::ShowX),
        global("XAction", Kind::Integer, storedNumber(TXAction::MinimizeToTray),
               &TMonitorSettings::XAction, storedNumber(TXAction::MinimizeToTray),
               storedNumber(TXAction::Terminate)),
        global("AutoStart", Kind::Boolean, true, &TMonitorSettings::AutoStart),
        global("StartMinimized", Kind::Boolean, false, &TMonitorSettings::StartMinimized),
        global("ShowHints", Kind::Boolean, true, &TMonitorSettings::ShowHints),
        global("DoPing", Kind::Boolean, false, &TMonitorSettings::DoPing),
        global("EnableLog", Kind::Boolean, false, &TMonitorSettings::EnableLog),
        {"LogFile", Kind::Text, [](const TGlobalTarget&) { return TRegVariant(defaultLogFile()); },
         [](TGlobalTarget& t, const TRegVariant& v, bool) {
             t.settings.LogFile = std::get<std::string>(v);
         },
         [](const TGlobalTarget& t) { return TRegVariant(t.settings.LogFile); }},
        {"LogFolder", Kind::Text,
         [](const TGlobalTarget&) { return TRegVariant(defaultLogFolder()); },
         [](TGlobalTarget& t, const TRegVariant& v, bool) {
             t.settings.LogFolder = std::get<std::string>(v);
         },
         [](const TGlobalTarget& t) { return TRegVariant(t.settings.LogFolder); }},
        global("LogType", Kind::Integer, storedNumber(TLogType::OneFile),
               &TMonitorSettings::LogType, storedNumber(TLogType::OneFile),
               storedNumber(TLogType::Syslog)),
        global("SysLogServer", Kind::Text, std::string("localhost"),
               &TMonitorSettings::SysLogServer),
        global("LogTime", Kind::Integer, int32_t(30), &TMonitorSettings::LogTime, 1, 60),
        global("LogSecMinType", Kind::Integer, storedNumber(TLogSecMinType::Seconds),
               &TMonitorSettings::LogSecMinType, storedNumber(TLogSecMinType::Seconds),
               storedNumber(TLogSecMinType::Minutes)),
        global("LatencySensor", Kind::Boolean, false, &TMonitorSettings::LatencySensor),
        {"LatencyTimer", Kind::Integer,
         [](const TGlobalTarget&) { return TRegVariant(int32_t(1000)); },
         [](TGlobalTarget& t, const TRegVariant& v, bool) {
             t.window.setLatencyInterval(asInt(v));
         },
         [](const TGlobalTarget& t) { return TRegVariant(int32_t(t.window.latencyInterval())); },
         1000, 60000},
        global("LatencyHost", Kind::Text, std::string(kDefaultLatencyHost),
               &TMonitorSettings::LatencyHost),
        // 0 the desktop keyring, 1 a file only the user may read.
        owned<TGlobalTarget>("SecretsInFile", Kind::Integer, int32_t(0), 0, 1),
        owned<TGlobalTarget>("RateUnit", Kind::Integer, storedNumber(TRateUnit::KibibytesPerSecond),
                             storedNumber(TRateUnit::KibibytesPerSecond),
                             storedNumber(TRateUnit::MegabytesPerSecond)),
        // Off, and on this computer only, until the user says otherwise.
        owned<TGlobalTarget>("MetricsEnabled", Kind::Boolean, false),
        owned<TGlobalTarget>("MetricsAddress", Kind::Text, std::string("127.0.0.1")),
        owned<TGlobalTarget>("MetricsPort", Kind::Integer, int32_t(9741), 1, 65535),
    };
    return values;
}

const std::vector<TSensorValue>& sensorValues()
{
    static const std::vector<TSensorValue> values = {
        sensor("Active", Kind::Boolean, false, &TSensorRecord::Active),
        agentText("HostName", "Sensor #1", &TSensorRecord::HostName),
        sensor("HostIP", Kind::Text, std::string("192.168.1.1"), &TSensorRecord::HostIP),
        sensor("Community", Kind::Text, std::string("vandor"), &TSensorRecord::Community),
        sensor("Sensor", Kind::Text, std::string("1"), &TSensorRecord::Sensor),
        agentText("SensorName", "Test Interface", &TSensorRecord::SensorName),
        speed("DownSpeed", &TSensorRecord::DownSpeed),
        speed("UpSpeed", &TSensorRecord::UpSpeed),
        sensor("SpeedType", Kind::Integer, storedNumber(stDetected), &TSensorRecord::SpeedType,
               storedNumber(stLive), storedNumber(stBypass)),
        sensor("SwapedInOut", Kind::Boolean, false, &TSensorRecord::SwapedInOut),
        sensor("ULColor", Kind::Integer, int32_t(0x0000FF), &TSensorRecord::ULColor, 0, kMaxColour),
        sensor("DLColor", Kind::Integer, int32_t(0x00FF00), &TSensorRecord::DLColor, 0, kMaxColour),
        sensor("LightColor", Kind::Integer, int32_t(0xFF0000), &TSensorRecord::LightColor, 0,
               kMaxColour),
        sensor("DarkColor", Kind::Integer, int32_t(0x800000), &TSensorRecord::DarkColor, 0,
               kMaxColour),
        // "1 pixel" to "5 pixels".
        sensor("GraphPixels", Kind::Integer, int32_t(1), &TSensorRecord::GraphPixels, 1, 5),
        sensor("LighterLine", Kind::Boolean, false, &TSensorRecord::LighterLine),
        sensor("UseLightColorFor", Kind::Boolean, false, &TSensorRecord::UseLightColorFor),
        sensor("TimerToUse", Kind::Integer, storedNumber(TTimerToUse::AgentUpTime),
               &TSensorRecord::TimerToUse, storedNumber(TTimerToUse::AgentUpTime),
               storedNumber(TTimerToUse::LocalTickCount)),
        sensor("HalfHeight", Kind::Boolean, false, &TSensorRecord::HalfHeight),
        laterValue(sensor("SteadyRates", Kind::Boolean, true, &TSensorRecord::SteadyRates)),
        owned<TSensorRecord>("SnmpVersion", Kind::Integer, storedNumber(TSnmpVersion::V1),
                             storedNumber(TSnmpVersion::V1), storedNumber(TSnmpVersion::V3),
                             [](const TRegVariant& v) {
                                 TSnmpVersion version{};
                                 return snmpVersionFromStored(std::get<int32_t>(v), version);
                             }),
        // A new SNMPv3 sensor is authenticated and private with the current
        // protocols unless its user chooses otherwise.
        owned<TSensorRecord>("V3UserName", Kind::Text, std::string()),
        owned<TSensorRecord>("V3SecurityLevel", Kind::Text,
                             securityLevelName(SecurityLevel::AuthPriv), kNoMin, kNoMax,
                             oneOfNames(parseSecurityLevel)),
        owned<TSensorRecord>("V3AuthProtocol", Kind::Text, authProtocolName(AuthProtocol::SHA256),
                             kNoMin, kNoMax, oneOfNames(parseAuthProtocol)),
        owned<TSensorRecord>("V3PrivProtocol", Kind::Text, privProtocolName(PrivProtocol::AES128),
                             kNoMin, kNoMax, oneOfNames(parsePrivProtocol)),
        // 1..31; a month shorter than that starts on its last day.
        owned<TSensorRecord>("UsagePeriodStart", Kind::Integer, int32_t(1), 1, 31),
        // 0: no quota; GB of 10^9 octets.
        owned<TSensorRecord>("UsageQuotaGB", Kind::Integer, int32_t(0), 0,
                             UsageSettingsStore::kMaxQuotaGB),
        owned<TSensorRecord>("UsageQuotaKind", Kind::Integer, storedNumber(TQuotaKind::Both),
                             storedNumber(TQuotaKind::Download), storedNumber(TQuotaKind::Both)),
    };
    return values;
}

// The value as read, converted to its kind and within its range; nothing when
// it is missing, of another kind or out of range.
template <typename T>
std::optional<TRegVariant> readValue(const std::string& key, const TStoredValue<T>& value)
{
    TRegVariant read;
    try {
        read = ReadRegValue(HKEY_CURRENT_USER, key, value.name);
    } catch (const TRegistryError&) {
        return std::nullopt;
    }
    std::optional<TRegVariant> usable;
    switch (value.kind) {
    case Kind::Integer: {
        int32_t number = 0;
        if (regVariantToInt(read, number) && number >= value.min && number <= value.max)
            usable = TRegVariant(number);
        break;
    }
    case Kind::Boolean: {
        bool flag = false;
        if (regVariantToBool(read, flag))
            usable = TRegVariant(flag);
        break;
    }
    case Kind::Text: {
        std::string text;
        if (regVariantToText(read, text))
            usable = TRegVariant(std::move(text));
        break;
    }
    }
    if (usable && value.accepts && !value.accepts(*usable))
        return std::nullopt;
    return usable;
}

// Each value read goes into memory; one that is missing or unusable is
// replaced by its default, in the store and in memory alike, so what the
// program runs with is what the store now says.
template <typename T>
void loadKey(const std::string& key, const std::vector<TStoredValue<T>>& values, T& target)
{
    for (const TStoredValue<T>& value : values) {
        if (value.ownedDefault)
            continue;
        if (const auto read = readValue(key, value)) {
            value.apply(target, *read, false);
            continue;
        }
        const TRegVariant fallback = value.fallback(target);
        if (value.writtenAtDefault)
            WriteRegValue(HKEY_CURRENT_USER, key, value.name, fallback, rdKind(value.kind));
        value.apply(target, fallback, true);
    }
}

template <typename T>
void saveKey(const std::string& key, const std::vector<TStoredValue<T>>& values, const T& source)
{
    for (const TStoredValue<T>& value : values) {
        if (value.current &&
            (value.writtenAtDefault || value.current(source) != value.fallback(source)))
            WriteRegValue(HKEY_CURRENT_USER, key, value.name, value.current(source),
                          rdKind(value.kind));
    }
}

// The table's entry of a value its owner loads; raises for any other name.
template <typename T>
const TStoredValue<T>& ownedValue(const std::vector<TStoredValue<T>>& values, const char* name)
{
    for (const TStoredValue<T>& value : values) {
        if (value.ownedDefault && std::strcmp(value.name, name) == 0)
            return value;
    }
    throw std::invalid_argument(std::string("No stored value ") + name + " in the settings table");
}

template <typename T>
TRegVariant loadOwned(const std::string& key, const TStoredValue<T>& value, bool heal)
{
    if (const auto read = readValue(key, value))
        return *read;
    if (heal)
        WriteRegValue(HKEY_CURRENT_USER, key, value.name, *value.ownedDefault, rdKind(value.kind));
    return *value.ownedDefault;
}

bool isGlobalKey(const std::string& key)
{
    return key == kSettingsKey;
}

} // namespace

TRegVariant loadStoredValue(const std::string& key, const char* name, bool heal)
{
    if (isGlobalKey(key))
        return loadOwned(key, ownedValue(globalValues(), name), heal);
    return loadOwned(key, ownedValue(sensorValues(), name), heal);
}

void saveStoredValue(const std::string& key, const char* name, const TRegVariant& value)
{
    const Kind kind = isGlobalKey(key) ? ownedValue(globalValues(), name).kind
                                       : ownedValue(sensorValues(), name).kind;
    WriteRegValue(HKEY_CURRENT_USER, key, name, value, rdKind(kind));
}

void LoadSettings(TMonitorSettings& settings, IMonitorWindow& window)
{
    // One read and at most one replacement of the store file for the lot.
    TRegSession session;
    TGlobalTarget target{settings, window};
    loadKey(kSettingsKey, globalValues(), target);
    for (std::size_t n = 0; n < settings.Sensors.size(); ++n)
        loadKey(sensorKeyPath(n), sensorValues(), settings.Sensors[n]);
    session.commit();
}

void SaveSettings(TMonitorSettings& settings, IMonitorWindow& window)
{
    TRegSession session;
    saveKey(kSettingsKey, globalValues(), TGlobalTarget{settings, window});

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
        saveKey(sensorKeyPath(n), sensorValues(), sensor);
    }
    session.commit();
}
