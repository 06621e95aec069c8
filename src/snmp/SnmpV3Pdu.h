#pragma once

// The scoped PDU of an SNMPv3 message: the context it applies to and the PDU
// with its bindings. Requests carry NULL values; replies are read strictly.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Tags that SNMPv2 and later add to those of BerTag.
namespace V3Tag {
constexpr int Counter64 = 0x46;
constexpr int NoSuchObject = 0x80;
constexpr int NoSuchInstance = 0x81;
constexpr int EndOfMibView = 0x82;
constexpr int GetBulkRequest = 0xA5;
constexpr int Report = 0xA8;
} // namespace V3Tag

// One binding of a reply, with the same fields as the v2c reads' SnmpBinding.
// Value is text as the rest of the program takes it: INTEGER signed decimal;
// Counter32, Gauge32 and TimeTicks signed 32-bit decimal (as ReadItem gives
// them), Counter64 unsigned decimal, and Number holds the unsigned value of
// all four; OBJECT IDENTIFIER and IpAddress dotted; octet strings and Opaque
// their raw bytes; empty for NULL and the exceptions.
struct V3VarBind
{
    std::string Oid;
    int ValueType = 0x05;
    std::string Value;
    std::uint64_t Number = 0;

    // noSuchObject, noSuchInstance and endOfMibView: the agent has no value
    // here, which is a failed read, never a value.
    bool isException() const;
    // One of the four unsigned types, whose value is in Number.
    bool isUnsigned() const;
    // A value was read (neither NULL nor an exception).
    bool hasValue() const;
};

struct SnmpV3Pdu
{
    int Type = 0;
    std::int32_t RequestId = 0;
    std::int32_t ErrorStatus = 0; // non-repeaters in a GetBulkRequest
    std::int32_t ErrorIndex = 0;  // max-repetitions in a GetBulkRequest
    std::vector<V3VarBind> VarBinds;
};

struct ScopedPdu
{
    std::string ContextEngineID;
    std::string ContextName;
    SnmpV3Pdu Pdu;
};

// BER of a request's scoped PDU: every binding's value goes out as NULL.
std::string encodeScopedPdu(const ScopedPdu& scoped);

// Reads a scoped PDU; false when anything in it is malformed: wrong tags,
// lengths past their parent, numbers out of range, an OID that is not one,
// a value that does not fit its type, or bytes left inside the PDU. Bytes
// after the scoped PDU are refused unless allowTrailing (DES pads to whole
// blocks).
bool decodeScopedPdu(std::string_view bytes, bool allowTrailing, ScopedPdu& scoped);
