#include "SnmpResponse.h"

#include "Ber.h"
#include "BerUnsigned.h"
#include "DecimalText.h"

namespace {

constexpr std::uint32_t MaxOidArc = 0x7FFFFFFFu;

// Takes one whole item off the front of `within`: its tag and content, which
// must end inside `within`.
bool takeItem(std::string_view& within, int& tag, std::string_view& content)
{
    if (within.size() < 2) {
        return false;
    }
    std::size_t cursor = 1;
    std::uint32_t length = 0;
    if (!readBerLength(within, cursor, length) || length > within.size() - cursor) {
        return false;
    }
    tag = static_cast<unsigned char>(within[0]);
    content = within.substr(cursor, length);
    within.remove_prefix(cursor + length);
    return true;
}

bool takeTagged(std::string_view& within, int wantedTag, std::string_view& content)
{
    int tag = 0;
    return takeItem(within, tag, content) && tag == wantedTag;
}

// An Integer32: one to four content octets.
bool takeInteger(std::string_view& within, std::int32_t& value)
{
    std::string_view content;
    if (!takeTagged(within, BerTag::Integer, content) || content.empty() || content.size() > 4) {
        return false;
    }
    value = berSignedNumber(content);
    return true;
}

// Every sub-identifier complete, minimal and within what the dotted text
// shows as a plain number.
bool isReadableOid(std::string_view content)
{
    if (content.empty()) {
        return false;
    }
    bool startOfArc = true;
    std::uint64_t arc = 0;
    for (const char c : content) {
        const auto octet = static_cast<unsigned char>(c);
        if (startOfArc && octet == 0x80u) {
            return false;
        }
        arc = (arc << 7) | (octet & 0x7Fu);
        if (arc > MaxOidArc) {
            return false;
        }
        startOfArc = (octet & 0x80u) == 0;
        if (startOfArc) {
            arc = 0;
        }
    }
    return startOfArc;
}

bool readValue(int tag, std::string_view content, SnmpBinding& binding)
{
    binding.ValueType = tag;
    const BerItem item{tag, content, true, false};
    switch (tag) {
    case BerTag::Integer:
        if (content.empty() || content.size() > 4) {
            return false;
        }
        break;
    case BerTag::OctetString:
    case BerTag::Opaque:
        break;
    case BerTag::Null:
    case BerTag::NoSuchObject:
    case BerTag::NoSuchInstance:
    case BerTag::EndOfMibView:
        return content.empty();
    case BerTag::ObjectId:
        if (!isReadableOid(content)) {
            return false;
        }
        break;
    case BerTag::IpAddress:
        if (content.size() != 4) {
            return false;
        }
        break;
    case BerTag::Counter32:
    case BerTag::Gauge32:
    case BerTag::TimeTicks:
        if (!DecodeUnsigned(content, 32, binding.Number)) {
            return false;
        }
        break;
    case BerTag::Counter64:
        if (!DecodeUnsigned(content, 64, binding.Number)) {
            return false;
        }
        binding.Value.clear();
        appendDecimalUnsigned(binding.Value, binding.Number);
        return true;
    default:
        return false;
    }
    appendItemText(binding.Value, item);
    return true;
}

SnmpRefusal readBindings(std::string_view list, std::vector<SnmpBinding>& bindings)
{
    while (!list.empty()) {
        std::string_view varBind;
        if (!takeTagged(list, BerTag::Sequence, varBind)) {
            return SnmpRefusal::BadBindingList;
        }
        std::string_view name;
        int valueTag = 0;
        std::string_view value;
        if (!takeTagged(varBind, BerTag::ObjectId, name)) {
            return SnmpRefusal::BadOid;
        }
        if (!takeItem(varBind, valueTag, value) || !varBind.empty()) {
            return SnmpRefusal::BadBindingList;
        }
        if (!isReadableOid(name)) {
            return SnmpRefusal::BadOid;
        }
        SnmpBinding& binding = bindings.emplace_back();
        binding.Oid = BerToOid(std::string(name));
        if (!readValue(valueTag, value, binding)) {
            return SnmpRefusal::BadValue;
        }
    }
    return SnmpRefusal::None;
}

} // namespace

const char* snmpRefusalName(SnmpRefusal reason)
{
    switch (reason) {
    case SnmpRefusal::None:
        return "taken";
    case SnmpRefusal::NotAMessage:
        return "not a message";
    case SnmpRefusal::WrongVersion:
        return "wrong version";
    case SnmpRefusal::WrongCommunity:
        return "wrong community";
    case SnmpRefusal::NotAResponse:
        return "not a response";
    case SnmpRefusal::WrongRequestId:
        return "wrong request id";
    case SnmpRefusal::BadHeader:
        return "bad header";
    case SnmpRefusal::BadBindingList:
        return "bad binding list";
    case SnmpRefusal::BadOid:
        return "bad OID";
    case SnmpRefusal::BadValue:
        return "bad value";
    }
    return "unknown";
}

SnmpRefusal parseResponse(std::string_view datagram, const SnmpExpectation& expected,
                          SnmpResponse& response)
{
    response = SnmpResponse();
    std::string_view message;
    if (!takeTagged(datagram, BerTag::Sequence, message) || !datagram.empty()) {
        return SnmpRefusal::NotAMessage;
    }
    std::string_view community;
    if (!takeInteger(message, response.Version) ||
        !takeTagged(message, BerTag::OctetString, community)) {
        return SnmpRefusal::NotAMessage;
    }
    response.Community = std::string(community);
    if (response.Version != expected.Version) {
        return SnmpRefusal::WrongVersion;
    }
    if (response.Community != expected.Community) {
        return SnmpRefusal::WrongCommunity;
    }
    int pduTag = 0;
    std::string_view pdu;
    if (!takeItem(message, pduTag, pdu) || !message.empty()) {
        return SnmpRefusal::NotAMessage;
    }
    if (pduTag != BerTag::GetResponse) {
        return SnmpRefusal::NotAResponse;
    }
    if (!takeInteger(pdu, response.ID)) {
        return SnmpRefusal::BadHeader;
    }
    if (response.ID != expected.ID) {
        return SnmpRefusal::WrongRequestId;
    }
    if (!takeInteger(pdu, response.ErrorStatus) || !takeInteger(pdu, response.ErrorIndex)) {
        return SnmpRefusal::BadHeader;
    }
    std::string_view list;
    if (!takeTagged(pdu, BerTag::Sequence, list) || !pdu.empty()) {
        return SnmpRefusal::BadBindingList;
    }
    return readBindings(list, response.Bindings);
}
