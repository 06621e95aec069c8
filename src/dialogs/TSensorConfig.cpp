#include "TSensorConfig.h"

#include <tuple>

namespace {

// The fields of both types, in one place, so that copying either way and the
// comparison cannot drift apart.
template <typename A, typename B> void copyFields(const A& from, B& to)
{
    to.Active = from.Active;
    to.HostName = from.HostName;
    to.HostIP = from.HostIP;
    to.Community = from.Community;
    to.Sensor = from.Sensor;
    to.SensorName = from.SensorName;
    to.DownOID = from.DownOID;
    to.UpOID = from.UpOID;
    to.DownSpeed = from.DownSpeed;
    to.UpSpeed = from.UpSpeed;
    to.SpeedType = from.SpeedType;
    to.SwapedInOut = from.SwapedInOut;
    to.ULColor = from.ULColor;
    to.DLColor = from.DLColor;
    to.LightColor = from.LightColor;
    to.DarkColor = from.DarkColor;
    to.GraphPixels = from.GraphPixels;
    to.LighterLine = from.LighterLine;
    to.UseLightColorFor = from.UseLightColorFor;
    to.TimerToUse = from.TimerToUse;
    to.HalfHeight = from.HalfHeight;
    to.SteadyRates = from.SteadyRates;
    to.SnmpVersion = from.SnmpVersion;
    to.V3 = from.V3;
}

auto tiedUser(const SnmpV3User& u)
{
    return std::tie(u.UserName, u.Level, u.Auth, u.AuthPassword, u.Priv, u.PrivPassword);
}

auto tied(const TSensorConfig& c)
{
    return std::tie(c.Active, c.HostName, c.HostIP, c.Community, c.Sensor, c.SensorName, c.DownOID,
                    c.UpOID, c.DownSpeed, c.UpSpeed, c.SpeedType, c.SwapedInOut, c.ULColor,
                    c.DLColor, c.LightColor, c.DarkColor, c.GraphPixels, c.LighterLine,
                    c.UseLightColorFor, c.TimerToUse, c.HalfHeight, c.SnmpVersion, c.SteadyRates);
}

bool sameUser(const SnmpV3User& a, const SnmpV3User& b)
{
    return tiedUser(a) == tiedUser(b);
}

} // namespace

TSensorConfig TSensorConfig::fromRecord(const TSensorRecord& record)
{
    TSensorConfig config;
    copyFields(record, config);
    return config;
}

void TSensorConfig::applyTo(TSensorRecord& record) const
{
    copyFields(*this, record);
}

bool TSensorConfig::operator==(const TSensorConfig& other) const
{
    return tied(*this) == tied(other) && sameUser(V3, other.V3);
}
