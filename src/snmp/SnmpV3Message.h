#pragma once

// The frame of an SNMPv3 message (RFC 3412) with the user-based security
// model's parameters (RFC 3414): what travels in clear around the scoped PDU.
// Only structure here; keys, digests and ciphers are UsmSecurity's.

#include <cstddef>
#include <cstdint>
#include <string>

namespace V3Flags {
constexpr std::uint8_t Auth = 0x01;
constexpr std::uint8_t Priv = 0x02;
constexpr std::uint8_t Reportable = 0x04;
} // namespace V3Flags

constexpr std::int32_t kUsmSecurityModel = 3;
// The largest datagram this client takes, and so announces in msgMaxSize.
constexpr std::int32_t kV3MaxMessageSize = 65507;

struct UsmSecurityParameters
{
    std::string EngineID;
    std::uint32_t EngineBoots = 0;
    std::uint32_t EngineTime = 0;
    std::string UserName;
    std::string AuthParameters; // the digest
    std::string PrivParameters; // the salt
};

struct SnmpV3Message
{
    std::int32_t MsgID = 0;
    std::int32_t MsgMaxSize = kV3MaxMessageSize;
    std::uint8_t MsgFlags = 0;
    std::int32_t SecurityModel = kUsmSecurityModel;
    UsmSecurityParameters Usm;
    // The scoped PDU's BER when MsgFlags has no Priv bit, else its cipher text.
    std::string Data;
};

// The datagram; authOffset receives where the AuthParameters content starts
// in it, so a digest can be put in place after it is computed over the
// message with that field zeroed.
std::string encodeV3Message(const SnmpV3Message& message, std::size_t& authOffset);

// Reads the frame strictly; false when the datagram is not exactly one
// well-formed version-3 message with the user-based security model: any
// length past its parent, bytes after the end, numbers out of range, flags
// asking for privacy without authentication, or fields longer than the
// protocol allows. authOffset as for encoding.
bool decodeV3Message(const std::string& datagram, SnmpV3Message& message, std::size_t& authOffset);
