#pragma once

#include <cstdint>

// Tag bytes of the value types and PDUs an SNMP client meets. A tag is always one byte.
namespace BerTag {
constexpr int Boolean = 0x01;
constexpr int Integer = 0x02;
constexpr int OctetString = 0x04;
constexpr int Null = 0x05;
constexpr int ObjectId = 0x06;
constexpr int Enumerated = 0x0A;
constexpr int Sequence = 0x30;
constexpr int IpAddress = 0x40;
constexpr int Counter32 = 0x41;
constexpr int Gauge32 = 0x42;
constexpr int TimeTicks = 0x43;
constexpr int Opaque = 0x44;
constexpr int Counter64 = 0x46;
// SNMPv2c exception values in place of a value: the agent has no such object,
// no such instance of it, or nothing after it in a walk.
constexpr int NoSuchObject = 0x80;
constexpr int NoSuchInstance = 0x81;
constexpr int EndOfMibView = 0x82;
constexpr int GetRequest = 0xA0;
constexpr int GetNextRequest = 0xA1;
constexpr int GetResponse = 0xA2;
constexpr int Trap = 0xA4;
constexpr int GetBulkRequest = 0xA5;
constexpr int Report = 0xA8;
// Any tag with this bit set is read as a constructed item, whatever its other bits.
constexpr int ConstructedBit = 0x20;
} // namespace BerTag

// What DecodeLength gives for a length that is cut off by the end of the data or
// does not fit in 32 bits: larger than anything a datagram can hold.
constexpr std::uint32_t BerLengthInvalid = 0xFFFFFFFFu;
