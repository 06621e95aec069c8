#pragma once

// One value an agent gave, typed as it came: counters, gauges and time ticks
// as the unsigned numbers they are, INTEGER as a signed number, everything
// else (octet strings, OIDs, addresses) as text. What crosses from the SNMP
// layer to the poll, the log and the dialogs: a number is never turned into
// text to be parsed again.

#include "SnmpBinding.h"

#include <cstdint>
#include <optional>
#include <string>

struct TSNMPMib;

enum class ValueKind
{
    None,      // nothing read: a request's NULL, or no binding for the OID
    Exception, // noSuchObject, noSuchInstance or endOfMibView
    Unsigned,  // Counter32, Gauge32, TimeTicks, Counter64
    Integer,   // INTEGER
    Text,      // octet string, OBJECT IDENTIFIER, IpAddress, Opaque
};

// Whether a value can stand for a number of its reader.
enum class ValueOutcome
{
    Value,      // a value was read
    Exception,  // the agent has no value here (or none came)
    NotANumber, // a value came, but as text
};

struct SnmpValue
{
    ValueKind kind = ValueKind::None;
    int type = 0x05;          // the BER tag it came with
    std::uint64_t number = 0; // Unsigned: the value; Integer: its two's complement
    std::string text;         // Text only

    static SnmpValue ofText(std::string text, int type = 0x04);
    static SnmpValue ofUnsigned(std::uint64_t number, int type);
    static SnmpValue ofInteger(std::int64_t number);
    // A binding of the SNMPv2c and SNMPv3 decoders.
    static SnmpValue ofBinding(const SnmpBinding& binding);
    // A binding of the SNMPv1 record, whose values it keeps as text:
    // Counter32, Gauge32 and TimeTicks as signed 32-bit decimal, INTEGER as
    // signed decimal, Counter64 as unsigned decimal.
    static SnmpValue ofRecord(const TSNMPMib& binding);

    // A value was read (neither nothing nor an exception).
    bool present() const { return kind != ValueKind::None && kind != ValueKind::Exception; }
    // Nothing, an exception or an empty text: what an agent that wants the
    // bare object answers.
    bool empty() const { return !present() || (kind == ValueKind::Text && text.empty()); }
    // INTEGER, Counter32, Gauge32 or Counter64 (see isCounterType).
    bool isCounter() const { return present() && isCounterType(type); }
    // The signed value of an INTEGER; nothing for any other kind.
    std::optional<std::int64_t> integer() const;

    bool operator==(const SnmpValue& other) const;
    bool operator!=(const SnmpValue& other) const { return !(*this == other); }
};

ValueOutcome valueOutcome(const SnmpValue& value);

// The value is this text: a text value with these bytes, a number with this
// decimal (an INTEGER signed). For the checks of what the scripted networks
// of the tests, which answer in texts, were read as.
bool operator==(const SnmpValue& value, const std::string& text);

// The value as a number from 0 to max: an unsigned number or a non-negative
// INTEGER as it is, a text only when it is unsigned decimal digits (as the
// agents that send numbers as text do).
bool unsignedOf(const SnmpValue& value, std::uint64_t max, std::uint64_t& number);

// Unsigned decimal text (digits only) no greater than max.
bool parseUnsignedText(const std::string& text, std::uint64_t max, std::uint64_t& value);
