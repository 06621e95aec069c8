#pragma once

#include "ForwardingDeviceNetwork.h"

// The dialogs' single gets sent as SNMPv2c to an agent chosen as such: each
// get goes out as a one-binding SNMPv2c get, and an object the agent does not
// have reads as an empty value, as SNMPv1's single gets do. Everything else
// goes to the wrapped network unchanged.
class V2cDeviceNetwork : public ForwardingDeviceNetwork
{
public:
    using ForwardingDeviceNetwork::ForwardingDeviceNetwork;

    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override;
};
