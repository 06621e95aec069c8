#pragma once

#include "SnmpBinding.h"

// The strict gate for replies of the SNMPv2c reads (and of the multi-binding
// get in either version): a datagram is taken only when every item has the
// type and size it must have and lies wholly inside its parent, and when it
// is the response to the request that went out. Every refusal says why.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class SnmpRefusal
{
    None,           // taken
    NotAMessage,    // not one complete SEQUENCE filling the datagram
    WrongVersion,   // not the version the request carried
    WrongCommunity, // not the community the request carried
    NotAResponse,   // another PDU than a GetResponse
    WrongRequestId, // the answer to some other request
    BadHeader,      // request id, error status or index not a 32-bit INTEGER
    BadBindingList, // the binding list or a binding is not well formed
    BadOid,         // a binding's name is not a readable OID
    BadValue,       // a value is not of a known type, or not of its type's size
};
constexpr int SnmpRefusalCount = static_cast<int>(SnmpRefusal::BadValue) + 1;

// A short English name of the reason, for traces.
const char* snmpRefusalName(SnmpRefusal reason);

struct SnmpResponse
{
    std::int32_t Version = 0;
    std::string Community;
    std::int32_t ID = 0;
    std::int32_t ErrorStatus = 0;
    std::int32_t ErrorIndex = 0;
    std::vector<SnmpBinding> Bindings;
};

// What the reply must echo of the request.
struct SnmpExpectation
{
    std::int32_t Version = 0;
    std::string Community;
    std::int32_t ID = 0;
};

// Reads datagram into response; SnmpRefusal::None when it is taken. On a
// refusal response holds whatever had been read before it.
SnmpRefusal parseResponse(std::string_view datagram, const SnmpExpectation& expected,
                          SnmpResponse& response);
