// A sensor's definition is one set of fields: the dialog's working copy and
// the poll's record carry the same ones, and two definitions are alike only
// when every one of them is.

#include "TSensorRecord.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct FieldCase
{
    const char* name;
    std::function<void(TSensorDefinition&)> change;
};

const FieldCase kFields[] = {
    {"Active", [](TSensorDefinition& d) { d.Active = true; }},
    {"HostName", [](TSensorDefinition& d) { d.HostName = "a"; }},
    {"HostIP", [](TSensorDefinition& d) { d.HostIP = "10.0.0.1"; }},
    {"Community", [](TSensorDefinition& d) { d.Community = "c"; }},
    {"Sensor", [](TSensorDefinition& d) { d.Sensor = "2"; }},
    {"SensorName", [](TSensorDefinition& d) { d.SensorName = "eth0"; }},
    {"DownOID", [](TSensorDefinition& d) { d.DownOID = "1.3"; }},
    {"UpOID", [](TSensorDefinition& d) { d.UpOID = "1.3"; }},
    {"DownSpeed", [](TSensorDefinition& d) { d.DownSpeed = 1; }},
    {"UpSpeed", [](TSensorDefinition& d) { d.UpSpeed = 1; }},
    {"SpeedType", [](TSensorDefinition& d) { d.SpeedType = TSpeedType::Live; }},
    {"SwapedInOut", [](TSensorDefinition& d) { d.SwapedInOut = true; }},
    {"DLColor", [](TSensorDefinition& d) { d.DLColor = 1; }},
    {"ULColor", [](TSensorDefinition& d) { d.ULColor = 1; }},
    {"LightColor", [](TSensorDefinition& d) { d.LightColor = 1; }},
    {"UseLightColorFor", [](TSensorDefinition& d) { d.UseLightColorFor = true; }},
    {"DarkColor", [](TSensorDefinition& d) { d.DarkColor = 1; }},
    {"GraphPixels", [](TSensorDefinition& d) { d.GraphPixels = 2; }},
    {"LighterLine", [](TSensorDefinition& d) { d.LighterLine = true; }},
    {"TimerToUse", [](TSensorDefinition& d) { d.TimerToUse = TTimerToUse::LocalTickCount; }},
    {"HalfHeight", [](TSensorDefinition& d) { d.HalfHeight = true; }},
    {"SteadyRates", [](TSensorDefinition& d) { d.SteadyRates = false; }},
    {"SnmpVersion", [](TSensorDefinition& d) { d.SnmpVersion = TSnmpVersion::V3; }},
    {"V3.UserName", [](TSensorDefinition& d) { d.V3.UserName = "u"; }},
    {"V3.Level", [](TSensorDefinition& d) { d.V3.Level = SecurityLevel::AuthPriv; }},
    {"V3.Auth", [](TSensorDefinition& d) { d.V3.Auth = AuthProtocol::SHA1; }},
    {"V3.AuthPassword", [](TSensorDefinition& d) { d.V3.AuthPassword = "p"; }},
    {"V3.Priv", [](TSensorDefinition& d) { d.V3.Priv = PrivProtocol::DES; }},
    {"V3.PrivPassword", [](TSensorDefinition& d) { d.V3.PrivPassword = "p"; }},
};

TEST(SensorDefinition, EveryFieldTellsTwoDefinitionsApart)
{
    for (const FieldCase& c : kFields) {
        TSensorDefinition changed;
        c.change(changed);
        EXPECT_FALSE(sameDefinition(TSensorDefinition(), changed)) << c.name;
        EXPECT_TRUE(sameDefinition(changed, changed)) << c.name;
    }
}

TEST(SensorDefinition, AFreshRecordIsZeroFilledButForSteadyRates)
{
    const TSensorRecord fresh;
    EXPECT_FALSE(fresh.Active);
    EXPECT_EQ(storedNumber(fresh.SpeedType), 0);
    EXPECT_EQ(fresh.TimerToUse, TTimerToUse::AgentUpTime);
    EXPECT_EQ(fresh.SnmpVersion, TSnmpVersion::V1);
    EXPECT_EQ(fresh.GraphPixels, 0);
    EXPECT_TRUE(fresh.SteadyRates);
    EXPECT_TRUE(fresh.HostIP.empty());
}

// The poll state beside the definition is no part of it.
TEST(SensorDefinition, PollStateIsNotPartOfTheDefinition)
{
    TSensorRecord a;
    TSensorRecord b;
    b.PrevDownCount = 5;
    b.SecretsNote = "locked";
    b.InterfaceNote = "moved";
    EXPECT_TRUE(sameDefinition(a, b));
}

} // namespace
