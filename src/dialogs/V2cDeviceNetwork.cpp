#include "V2cDeviceNetwork.h"

bool V2cDeviceNetwork::readValue(const std::string& oid, const std::string& community,
                                 const std::string& host, std::string& value)
{
    std::vector<std::optional<std::string>> values;
    const bool answered = inner().readValuesV2c({oid}, community, host, values);
    value = answered && !values.empty() && values[0] ? *values[0] : std::string();
    return answered;
}
