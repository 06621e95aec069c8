#pragma once

#include <cstdint>
#include <string>

// One binding of a reply, of any message version. Value is text as the rest
// of the program takes it: INTEGER signed decimal; Counter32, Gauge32 and
// TimeTicks signed 32-bit decimal (as ReadItem gives them), Counter64
// unsigned decimal, and Number holds the unsigned value of all four; OBJECT
// IDENTIFIER and IpAddress dotted; octet strings and Opaque their raw bytes;
// empty for NULL and the exceptions.
struct SnmpBinding
{
    std::string Oid;      // dotted text, no leading dot
    int ValueType = 0x05; // NULL, as a request carries it
    std::string Value;
    std::uint64_t Number = 0;

    // noSuchObject, noSuchInstance or endOfMibView: the agent has no value
    // here, which is a failed read, never a value.
    bool isException() const;
    // One of the four unsigned types, whose value is in Number.
    bool isUnsigned() const;
    // A value was read (neither NULL nor an exception).
    bool hasValue() const;
};

// INTEGER, Counter32, Gauge32 or Counter64: the types whose values are
// numbers a counter can be read from. An octet string that reads "12345" is
// text, never a counter.
bool isCounterType(int valueType);
