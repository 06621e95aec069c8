#pragma once

// The scoped PDU of an SNMPv3 message: the context it applies to and the PDU
// with its bindings. Requests carry NULL values; replies are read strictly.

#include "SnmpBinding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SnmpV3Pdu
{
    int Type = 0;
    std::int32_t RequestId = 0;
    std::int32_t ErrorStatus = 0; // non-repeaters in a GetBulkRequest
    std::int32_t ErrorIndex = 0;  // max-repetitions in a GetBulkRequest
    std::vector<SnmpBinding> VarBinds;
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
// a value that does not fit its type, or bytes left inside the PDU. At most
// maxPadding bytes may follow the scoped PDU: a cipher's padding to whole
// blocks, which agents add for DES and some for AES as well.
bool decodeScopedPdu(std::string_view bytes, std::size_t maxPadding, ScopedPdu& scoped);
