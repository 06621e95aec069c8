#pragma once

// The byte level of the SNMP client: the Basic Encoding Rules reduced to what an
// SNMPv1 message needs. Byte strings are std::string (any byte value, zeros
// included); a cursor is a 0-based index into a buffer, owned by the caller and
// advanced by the reading functions. None of these functions fails: bad or cut
// input gives the results documented below, and no read ever passes the end of
// the buffer it was given.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "BerItem.h"
#include "BerTag.h"

// Length octets: short form below 128, else 0x80 + count followed by the
// big-endian bytes without leading zeros (200 -> 81 C8).
std::string EncodeLength(std::size_t length);

// Reads length octets at the cursor and advances past them. 0x80 alone (the
// indefinite form) reads as 0. A cut-off or over-long (> 32 bits) length reads
// as BerLengthInvalid; the cursor then stops at the end of the data. At the end
// of the buffer nothing is read and the result is BerLengthInvalid.
std::uint32_t DecodeLength(const std::string& buffer, std::size_t& cursor);

// INTEGER content octets: minimal for v >= 0 (128 -> 00 80), always four bytes
// for v < 0 (-1 -> FF FF FF FF).
std::string EncodeInteger(std::int32_t value);

// Tag byte + EncodeLength(content.size()) + content.
std::string EncodeObject(const std::string& content, int tag);

// One sub-identifier in base 128, most significant group first (128 -> 81 00).
std::string EncodeOidArc(std::uint64_t arc);

// Reads one sub-identifier at the cursor, accumulating in 32 bits (higher bits
// are shifted out). Stops at the end of the buffer if the last octet still
// carries the continuation bit; at the end of the buffer it reads nothing and
// gives 0.
std::uint32_t DecodeOidArc(const std::string& buffer, std::size_t& cursor);

// OBJECT IDENTIFIER content of dotted text ("1.3.6.1.2.1.1.3.0" ->
// 2B 06 01 02 01 01 03 00). A piece that is empty, not a decimal number or
// above 2147483647 counts as 0; a trailing dot adds nothing.
std::string OidToBer(const std::string& oid);

// Dotted text of OBJECT IDENTIFIER content; empty content gives empty text, and
// so does content whose last octet still carries the continuation bit.
// Sub-identifiers are shown as signed 32-bit numbers.
std::string BerToOid(const std::string& content);

// Reads one item at the cursor and gives its value as text and its tag in
// valueType:
// - fewer than two bytes left: empty text, type Null, cursor unchanged;
// - content running past the end of the buffer: empty text, the tag read, the
//   cursor just after the length octets;
// - constructed tag: the content bytes, the cursor left on the first content
//   byte so that the next ReadItem reads the first element inside;
// - otherwise the cursor moves past the content and the text is the decimal
//   number (Boolean, Integer, Enumerated; Counter32, Gauge32 and TimeTicks as
//   signed 32-bit), the dotted OID, the dotted IpAddress bytes, empty for Null,
//   or the raw content bytes for every other tag.
std::string ReadItem(const std::string& buffer, std::size_t& cursor, int& valueType);
