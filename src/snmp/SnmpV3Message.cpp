#include "SnmpV3Message.h"

#include "Ber.h"
#include "BerStrictReader.h"

namespace {

constexpr std::int32_t kVersion3 = 3;
constexpr std::int64_t kMaxInt32 = 2147483647;
constexpr std::int64_t kMinMaxSize = 484;
constexpr std::size_t kMaxEngineId = 32;
constexpr std::size_t kMaxUserName = 32;
constexpr std::size_t kMaxDigest = 64;
constexpr std::size_t kMaxSalt = 64;

std::string integerItem(std::int64_t value)
{
    return EncodeObject(EncodeInteger(static_cast<std::int32_t>(value)), BerTag::Integer);
}

std::string octets(const std::string& value)
{
    return EncodeObject(value, BerTag::OctetString);
}

} // namespace

std::string encodeV3Message(const SnmpV3Message& message, std::size_t& authOffset)
{
    const UsmSecurityParameters& usm = message.Usm;
    const std::string beforeDigest = octets(usm.EngineID) + integerItem(usm.EngineBoots) +
                                     integerItem(usm.EngineTime) + octets(usm.UserName);
    const std::string digestHead = std::string(1, static_cast<char>(BerTag::OctetString)) +
                                   EncodeLength(usm.AuthParameters.size());
    const std::string usmContent =
        beforeDigest + digestHead + usm.AuthParameters + octets(usm.PrivParameters);
    const std::string usmSequence = EncodeObject(usmContent, BerTag::Sequence);
    const std::string securityHead =
        std::string(1, static_cast<char>(BerTag::OctetString)) + EncodeLength(usmSequence.size());

    const std::string header =
        EncodeObject(integerItem(message.MsgID) + integerItem(message.MsgMaxSize) +
                         octets(std::string(1, static_cast<char>(message.MsgFlags))) +
                         integerItem(message.SecurityModel),
                     BerTag::Sequence);
    const std::string data =
        (message.MsgFlags & V3Flags::Priv) ? octets(message.Data) : message.Data;
    const std::string content = integerItem(kVersion3) + header + securityHead + usmSequence + data;
    const std::string outerHead =
        std::string(1, static_cast<char>(BerTag::Sequence)) + EncodeLength(content.size());
    // The USM sequence's own tag and length sit between its octet string head
    // and its first field.
    const std::size_t usmHead = usmSequence.size() - usmContent.size();
    authOffset = outerHead.size() + integerItem(kVersion3).size() + header.size() +
                 securityHead.size() + usmHead + beforeDigest.size() + digestHead.size();
    return outerHead + content;
}

bool decodeV3Message(const std::string& datagram, SnmpV3Message& message, std::size_t& authOffset)
{
    message = SnmpV3Message{};
    authOffset = 0;
    BerStrictReader outer(datagram);
    std::string_view whole;
    if (!outer.expect(BerTag::Sequence, whole) || !outer.expectEnd())
        return false;
    BerStrictReader reader(whole);
    std::int64_t version = 0;
    std::string_view header;
    std::string_view security;
    if (!reader.expectInteger(0, kMaxInt32, version) || version != kVersion3 ||
        !reader.expect(BerTag::Sequence, header) || !reader.expectOctets(65535, security))
        return false;

    BerStrictReader head(header);
    std::int64_t msgId = 0;
    std::int64_t maxSize = 0;
    std::int64_t model = 0;
    std::string_view flags;
    if (!head.expectInteger(0, kMaxInt32, msgId) ||
        !head.expectInteger(kMinMaxSize, kMaxInt32, maxSize) || !head.expectOctets(1, flags) ||
        flags.size() != 1 || !head.expectInteger(0, kMaxInt32, model) || !head.expectEnd())
        return false;
    message.MsgID = static_cast<std::int32_t>(msgId);
    message.MsgMaxSize = static_cast<std::int32_t>(maxSize);
    message.MsgFlags = static_cast<std::uint8_t>(flags[0]);
    message.SecurityModel = static_cast<std::int32_t>(model);
    if (message.SecurityModel != kUsmSecurityModel)
        return false;
    if ((message.MsgFlags & V3Flags::Priv) && !(message.MsgFlags & V3Flags::Auth))
        return false;

    BerStrictReader securityOuter(security);
    std::string_view usmContent;
    if (!securityOuter.expect(BerTag::Sequence, usmContent) || !securityOuter.expectEnd())
        return false;
    BerStrictReader usm(usmContent);
    std::string_view engineId;
    std::int64_t boots = 0;
    std::int64_t time = 0;
    std::string_view userName;
    std::string_view digest;
    std::string_view salt;
    if (!usm.expectOctets(kMaxEngineId, engineId) || !usm.expectInteger(0, kMaxInt32, boots) ||
        !usm.expectInteger(0, kMaxInt32, time) || !usm.expectOctets(kMaxUserName, userName) ||
        !usm.expectOctets(kMaxDigest, digest) || !usm.expectOctets(kMaxSalt, salt) ||
        !usm.expectEnd())
        return false;
    // Views into the datagram give the digest's place in it.
    authOffset = static_cast<std::size_t>(digest.data() - datagram.data());
    message.Usm.EngineID.assign(engineId.data(), engineId.size());
    message.Usm.EngineBoots = static_cast<std::uint32_t>(boots);
    message.Usm.EngineTime = static_cast<std::uint32_t>(time);
    message.Usm.UserName.assign(userName.data(), userName.size());
    message.Usm.AuthParameters.assign(digest.data(), digest.size());
    message.Usm.PrivParameters.assign(salt.data(), salt.size());

    const std::size_t dataStart = reader.position();
    int tag = 0;
    std::string_view data;
    if (!reader.read(tag, data) || !reader.expectEnd())
        return false;
    if (message.MsgFlags & V3Flags::Priv) {
        if (tag != BerTag::OctetString)
            return false;
        message.Data.assign(data.data(), data.size());
    } else {
        if (tag != BerTag::Sequence)
            return false;
        // The whole scoped PDU, tag and length included, for its own decoder.
        message.Data.assign(whole.substr(dataStart));
    }
    return true;
}
