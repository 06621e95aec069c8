#include "SnmpV3Pdu.h"

#include "Ber.h"
#include "BerStrictReader.h"
#include "BerTag.h"

namespace {

constexpr std::int64_t kMaxInt32 = 2147483647;
constexpr std::int64_t kMinInt32 = -kMaxInt32 - 1;
constexpr std::size_t kMaxOctets = 65535;
const std::string kNullItem("\x05\x00", 2);

bool readValue(int tag, std::string_view content, SnmpBinding& bind)
{
    bind.ValueType = tag;
    bind.Value.clear();
    bind.Number = 0;
    switch (tag) {
    case BerTag::Integer: {
        std::int64_t value = 0;
        if (content.size() > 4 || !berStrictSigned(content, value))
            return false;
        bind.Value = std::to_string(value);
        return true;
    }
    case BerTag::Counter32:
    case BerTag::Gauge32:
    case BerTag::TimeTicks:
    case BerTag::Counter64: {
        const unsigned bits = tag == BerTag::Counter64 ? 64 : 32;
        if (!berStrictUnsigned(content, bits, bind.Number))
            return false;
        // The 32-bit types read as signed text everywhere in the program;
        // Number keeps their true value.
        bind.Value = bits == 64 ? std::to_string(bind.Number)
                                : std::to_string(static_cast<std::int32_t>(
                                      static_cast<std::uint32_t>(bind.Number)));
        return true;
    }
    case BerTag::ObjectId:
        return berStrictOidText(content, bind.Value);
    case BerTag::IpAddress:
        if (content.size() != 4)
            return false;
        for (std::size_t i = 0; i < 4; ++i) {
            if (i)
                bind.Value += '.';
            bind.Value += std::to_string(static_cast<unsigned char>(content[i]));
        }
        return true;
    case BerTag::OctetString:
    case BerTag::Opaque:
        bind.Value.assign(content.data(), content.size());
        return true;
    case BerTag::Null:
    case BerTag::NoSuchObject:
    case BerTag::NoSuchInstance:
    case BerTag::EndOfMibView:
        return content.empty();
    default:
        return false;
    }
}

bool readVarBinds(std::string_view list, std::vector<SnmpBinding>& binds)
{
    BerStrictReader reader(list);
    while (!reader.atEnd()) {
        std::string_view varBind;
        if (!reader.expect(BerTag::Sequence, varBind))
            return false;
        BerStrictReader inner(varBind);
        std::string_view oid;
        std::string_view value;
        int tag = 0;
        SnmpBinding bind;
        if (!inner.expect(BerTag::ObjectId, oid) || !berStrictOidText(oid, bind.Oid) ||
            !inner.read(tag, value) || !inner.expectEnd() || !readValue(tag, value, bind))
            return false;
        binds.push_back(std::move(bind));
    }
    return reader.ok();
}

bool isPduTag(int tag)
{
    return tag >= BerTag::GetRequest && tag <= BerTag::Report;
}

} // namespace

std::string encodeScopedPdu(const ScopedPdu& scoped)
{
    std::string list;
    for (const SnmpBinding& bind : scoped.Pdu.VarBinds)
        list += EncodeObject(EncodeObject(OidToBer(bind.Oid), BerTag::ObjectId) + kNullItem,
                             BerTag::Sequence);
    const SnmpV3Pdu& pdu = scoped.Pdu;
    const std::string body = EncodeObject(EncodeInteger(pdu.RequestId), BerTag::Integer) +
                             EncodeObject(EncodeInteger(pdu.ErrorStatus), BerTag::Integer) +
                             EncodeObject(EncodeInteger(pdu.ErrorIndex), BerTag::Integer) +
                             EncodeObject(list, BerTag::Sequence);
    return EncodeObject(EncodeObject(scoped.ContextEngineID, BerTag::OctetString) +
                            EncodeObject(scoped.ContextName, BerTag::OctetString) +
                            EncodeObject(body, pdu.Type),
                        BerTag::Sequence);
}

bool decodeScopedPdu(std::string_view bytes, std::size_t maxPadding, ScopedPdu& scoped)
{
    scoped = ScopedPdu{};
    BerStrictReader outer(bytes);
    std::string_view sequence;
    if (!outer.expect(BerTag::Sequence, sequence) || bytes.size() - outer.position() > maxPadding)
        return false;
    BerStrictReader reader(sequence);
    std::string_view engineId;
    std::string_view contextName;
    std::string_view pdu;
    int pduTag = 0;
    if (!reader.expectOctets(32, engineId) || !reader.expectOctets(kMaxOctets, contextName) ||
        !reader.read(pduTag, pdu) || !reader.expectEnd() || !isPduTag(pduTag))
        return false;
    scoped.ContextEngineID.assign(engineId.data(), engineId.size());
    scoped.ContextName.assign(contextName.data(), contextName.size());
    scoped.Pdu.Type = pduTag;
    BerStrictReader fields(pdu);
    std::int64_t requestId = 0;
    std::int64_t errorStatus = 0;
    std::int64_t errorIndex = 0;
    std::string_view list;
    if (!fields.expectInteger(kMinInt32, kMaxInt32, requestId) ||
        !fields.expectInteger(0, kMaxInt32, errorStatus) ||
        !fields.expectInteger(0, kMaxInt32, errorIndex) || !fields.expect(BerTag::Sequence, list) ||
        !fields.expectEnd())
        return false;
    scoped.Pdu.RequestId = static_cast<std::int32_t>(requestId);
    scoped.Pdu.ErrorStatus = static_cast<std::int32_t>(errorStatus);
    scoped.Pdu.ErrorIndex = static_cast<std::int32_t>(errorIndex);
    return readVarBinds(list, scoped.Pdu.VarBinds);
}
