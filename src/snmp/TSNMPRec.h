#pragma once

#include "TSNMPMib.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One SNMP message held as fields: filled by a request, written out as an
// SNMPv1 datagram by Encode, and filled again from a received datagram by
// Decode. Values travel as text (see ReadItem).
class TSNMPRec
{
public:
    static constexpr const char* DefaultCommunity = "vandor";

    std::int32_t Version = 0; // 0 = SNMPv1
    std::string Community = DefaultCommunity;
    std::int32_t PDUType = 0; // BerTag::GetRequest, GetNextRequest, GetResponse, Trap
    std::int32_t ID = 1;      // request id; Encode counts it up, Reset leaves it
    // After Decode: the received request id was an INTEGER of at most 32 bits
    // once leading zero octets are dropped. A wider one only shares its low
    // bits with ID, so it must never be taken for the answer to ID.
    bool IDWhole = true;
    std::int32_t ErrorStatus = 0;
    std::int32_t ErrorIndex = 0;
    // Largest message the sender accepts; only version-3 messages carry it.
    std::int32_t MaxSize = 1472;
    // The header of a version-1 trap.
    std::string OldTrapEnterprise;
    std::string OldTrapHost;
    std::int32_t OldTrapGen = 0;
    std::int32_t OldTrapSpec = 0;
    std::int32_t OldTrapTimeTicks = 0;

    // A get-bulk request keeps these in the error status and index fields.
    std::int32_t& NonRepeaters() { return ErrorStatus; }
    std::int32_t NonRepeaters() const { return ErrorStatus; }
    std::int32_t& MaxRepetitions() { return ErrorIndex; }
    std::int32_t MaxRepetitions() const { return ErrorIndex; }

    // Back to an empty message with the default community; ID and MaxSize stay,
    // so a record reused for several requests keeps counting request ids.
    void Reset();

    void AddVarBind(std::string oid, std::string value, int valueType);
    // The value of the first binding whose OID text is byte-for-byte oid, or
    // empty text when there is none.
    std::string FindValue(const std::string& oid) const;
    std::size_t VarBindCount() const { return m_varBindCount; }
    // Throws std::out_of_range for an index not below VarBindCount().
    const TSNMPMib& VarBind(std::size_t index) const;

    // The datagram of this message; ID is incremented after the bytes are built.
    std::string Encode();
    // Resets the record and fills it from a datagram. False (and the record left
    // reset) when the datagram is shorter than 2 bytes, does not start with a
    // constructed tag, its outer content runs past its end, or it is version 3.
    // Damage inside the frame does not fail: what could be read is kept.
    bool Decode(const std::string& datagram);

private:
    void resetAllButCommunity();
    TSNMPMib& appendVarBind();

    TSNMPMib& binding(std::size_t index);
    const TSNMPMib& binding(std::size_t index) const;

    // Binding 0 is held in the record itself, as a request carries one binding
    // and creating a record then costs no extra allocation; the others follow in
    // m_moreVarBinds. Items past m_varBindCount are spares, so that a record
    // reused for request after request decodes each reply into storage it has.
    TSNMPMib m_firstVarBind;
    std::vector<TSNMPMib> m_moreVarBinds;
    std::size_t m_varBindCount = 0;
};
