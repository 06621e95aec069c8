#include "SensorDefinition.h"

#include <tuple>

namespace {

template <typename T> bool same(const T& a, const T& b)
{
    return a == b;
}

bool same(const SnmpV3User& a, const SnmpV3User& b)
{
    return std::tie(a.UserName, a.Level, a.Auth, a.AuthPassword, a.Priv, a.PrivPassword) ==
           std::tie(b.UserName, b.Level, b.Auth, b.AuthPassword, b.Priv, b.PrivPassword);
}

} // namespace

bool sameDefinition(const TSensorDefinition& a, const TSensorDefinition& b)
{
#define TRAVIMETRA_SAME_FIELD(type, name, initial) &&same(a.name, b.name)
    return true TRAVIMETRA_SENSOR_DEFINITION(TRAVIMETRA_SAME_FIELD);
#undef TRAVIMETRA_SAME_FIELD
}
