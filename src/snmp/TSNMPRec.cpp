#include "TSNMPRec.h"

#include "BerUnsigned.h"
#include "DecimalText.h"

#include <charconv>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace {

constexpr std::int32_t Version3 = 3;
// Up to this many bindings are kept as spares by Reset; a record that held more
// gives them all back.
constexpr std::size_t SpareVarBinds = 16;

// Counter32, Gauge32 and TimeTicks content: the unsigned 32-bit value, minimal,
// with a leading 00 when the top bit is set. The text may be the signed form
// ReadItem gives (-1) or the unsigned one (4294967295); anything else is 0.
std::string unsigned32Content(std::string_view text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < INT32_MIN ||
        value > UINT32_MAX) {
        value = 0;
    }
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    std::string content;
    do {
        content.insert(content.begin(), static_cast<char>(bits & 0xFFu));
        bits >>= 8;
    } while (bits != 0);
    if ((static_cast<unsigned char>(content.front()) & 0x80u) != 0) {
        content.insert(content.begin(), '\0');
    }
    return content;
}

// An INTEGER whose value fits 32 bits: at most four octets after any leading
// zero octets.
bool fits32Bits(const BerItem& item)
{
    if (!item.complete || item.constructed || item.tag != BerTag::Integer)
        return false;
    std::string_view content = item.content;
    while (content.size() > 4 && content.front() == '\0')
        content.remove_prefix(1);
    return !content.empty() && content.size() <= 4;
}

// IpAddress content: one byte per dotted piece; a piece that is not 0..255 is 0.
std::string ipAddressContent(std::string_view text)
{
    std::string content;
    while (!text.empty()) {
        const std::size_t dot = text.find('.');
        const std::string_view piece = text.substr(0, dot);
        text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
        std::int32_t value = 0;
        if (!parseDecimalInt32(piece, value) || value < 0 || value > 255) {
            value = 0;
        }
        content += static_cast<char>(value);
    }
    return content;
}

std::string valueItem(const TSNMPMib& mib)
{
    switch (mib.ValueType) {
    case BerTag::Null:
        return std::string("\x05\x00", 2);
    case BerTag::Integer:
        return EncodeObject(EncodeInteger(decimalInt32OrZero(mib.Value)), BerTag::Integer);
    case BerTag::ObjectId:
        return EncodeObject(OidToBer(mib.Value), BerTag::ObjectId);
    case BerTag::IpAddress:
        return EncodeObject(ipAddressContent(mib.Value), BerTag::IpAddress);
    case BerTag::Counter32:
    case BerTag::Gauge32:
    case BerTag::TimeTicks:
        return EncodeObject(unsigned32Content(mib.Value), mib.ValueType);
    case BerTag::Counter64: {
        // Unsigned decimal text; anything else is 0, as for the 32-bit types.
        std::uint64_t value = 0;
        if (!parseDecimalUInt64(mib.Value, value)) {
            value = 0;
        }
        return EncodeObject(EncodeUnsigned64(value), BerTag::Counter64);
    }
    default:
        return EncodeObject(mib.Value, mib.ValueType);
    }
}

std::string integerItem(std::int32_t value)
{
    return EncodeObject(EncodeInteger(value), BerTag::Integer);
}

} // namespace

void TSNMPRec::Reset()
{
    Community = DefaultCommunity;
    resetAllButCommunity();
}

void TSNMPRec::resetAllButCommunity()
{
    Version = 0;
    PDUType = 0;
    IDWhole = true;
    ErrorStatus = 0;
    ErrorIndex = 0;
    OldTrapEnterprise.clear();
    OldTrapHost.clear();
    OldTrapGen = 0;
    OldTrapSpec = 0;
    OldTrapTimeTicks = 0;
    if (m_moreVarBinds.size() > SpareVarBinds) {
        m_moreVarBinds.clear();
    }
    m_varBindCount = 0;
}

TSNMPMib& TSNMPRec::appendVarBind()
{
    if (m_varBindCount > m_moreVarBinds.size()) {
        m_moreVarBinds.emplace_back();
    }
    TSNMPMib& mib = binding(m_varBindCount++);
    mib.Oid.clear();
    mib.Value.clear();
    mib.ValueType = BerTag::Null;
    return mib;
}

const TSNMPMib& TSNMPRec::VarBind(std::size_t index) const
{
    if (index >= m_varBindCount) {
        throw std::out_of_range("TSNMPRec::VarBind: no binding at this index");
    }
    return binding(index);
}

TSNMPMib& TSNMPRec::binding(std::size_t index)
{
    return index == 0 ? m_firstVarBind : m_moreVarBinds[index - 1];
}

const TSNMPMib& TSNMPRec::binding(std::size_t index) const
{
    return index == 0 ? m_firstVarBind : m_moreVarBinds[index - 1];
}

void TSNMPRec::AddVarBind(std::string oid, std::string value, int valueType)
{
    TSNMPMib& mib = appendVarBind();
    mib.Oid = std::move(oid);
    mib.Value = std::move(value);
    mib.ValueType = valueType;
}

std::string TSNMPRec::FindValue(const std::string& oid) const
{
    for (std::size_t i = 0; i < m_varBindCount; ++i) {
        const TSNMPMib& mib = binding(i);
        if (mib.Oid == oid) {
            return mib.Value;
        }
    }
    return {};
}

std::string TSNMPRec::Encode()
{
    std::string varBinds;
    for (std::size_t i = 0; i < m_varBindCount; ++i) {
        const TSNMPMib& mib = binding(i);
        varBinds += EncodeObject(EncodeObject(OidToBer(mib.Oid), BerTag::ObjectId) + valueItem(mib),
                                 BerTag::Sequence);
    }
    std::string body;
    if (PDUType == BerTag::Trap) {
        body = EncodeObject(OidToBer(OldTrapEnterprise), BerTag::ObjectId) +
               EncodeObject(ipAddressContent(OldTrapHost), BerTag::IpAddress) +
               integerItem(OldTrapGen) + integerItem(OldTrapSpec) +
               EncodeObject(unsigned32Content(std::to_string(OldTrapTimeTicks)), BerTag::TimeTicks);
    } else {
        body = integerItem(ID) + integerItem(ErrorStatus) + integerItem(ErrorIndex);
    }
    body += EncodeObject(varBinds, BerTag::Sequence);
    const std::string message =
        EncodeObject(integerItem(Version) + EncodeObject(Community, BerTag::OctetString) +
                         EncodeObject(body, PDUType),
                     BerTag::Sequence);
    // Request ids wrap around rather than overflow.
    ID = static_cast<std::int32_t>(static_cast<std::uint32_t>(ID) + 1u);
    return message;
}

bool TSNMPRec::Decode(const std::string& datagram)
{
    // The community is read first thing on success; only failures restore it.
    resetAllButCommunity();
    if (datagram.size() < 2 ||
        (static_cast<unsigned char>(datagram[0]) & BerTag::ConstructedBit) == 0) {
        Reset();
        return false;
    }
    std::size_t cursor = 1;
    std::uint32_t outerLength = 0;
    // The whole outer content must be in the datagram, whatever the length form.
    if (!readBerLength(datagram, cursor, outerLength) || outerLength > datagram.size() - cursor) {
        Reset();
        return false;
    }
    const std::size_t end = cursor + outerLength;

    Version = itemNumber(walkItem(datagram, cursor));
    if (Version == Version3) {
        // The version-3 layout differs from here on; reading it as version 1
        // would fill the record with garbage.
        Reset();
        return false;
    }
    Community.clear();
    appendItemText(Community, walkItem(datagram, cursor));
    PDUType = walkItem(datagram, cursor).tag;
    if (PDUType == BerTag::Trap) {
        OldTrapEnterprise = itemText(walkItem(datagram, cursor));
        OldTrapHost = itemText(walkItem(datagram, cursor));
        OldTrapGen = itemNumber(walkItem(datagram, cursor));
        OldTrapSpec = itemNumber(walkItem(datagram, cursor));
        OldTrapTimeTicks = itemNumber(walkItem(datagram, cursor));
    } else {
        const BerItem id = walkItem(datagram, cursor);
        ID = itemNumber(id);
        IDWhole = fits32Bits(id);
        ErrorStatus = itemNumber(walkItem(datagram, cursor));
        ErrorIndex = itemNumber(walkItem(datagram, cursor));
    }
    walkItem(datagram, cursor); // enters the varbind list

    while (cursor < end) {
        const std::size_t start = cursor;
        walkItem(datagram, cursor); // enters one varbind
        const BerItem oid = walkItem(datagram, cursor);
        const BerItem value = walkItem(datagram, cursor);
        if (cursor == start) {
            break; // a single byte is left: nothing more can be read
        }
        TSNMPMib& mib = appendVarBind();
        appendItemText(mib.Oid, oid);
        appendItemText(mib.Value, value);
        mib.ValueType = value.tag;
    }
    return true;
}
