#include "SnmpResponse.h"

#include "Ber.h"
#include "TSNMPRec.h"
#include "snmp/HexBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string InOctets = "1.3.6.1.2.1.31.1.1.1.6.2";
const SnmpExpectation Expected{1, "public", 7};

std::string varBind(const std::string& oid, const std::string& valueItem)
{
    return EncodeObject(EncodeObject(OidToBer(oid), BerTag::ObjectId) + valueItem,
                        BerTag::Sequence);
}

struct Frame
{
    int version = 1;
    std::string community = "public";
    int pdu = BerTag::GetResponse;
    int id = 7;
    int errorStatus = 0;
};

std::string message(const std::string& varBinds, const Frame& f = {})
{
    const std::string body = EncodeObject(EncodeInteger(f.id), BerTag::Integer) +
                             EncodeObject(EncodeInteger(f.errorStatus), BerTag::Integer) +
                             hexBytes("02 01 00") + EncodeObject(varBinds, BerTag::Sequence);
    return EncodeObject(EncodeObject(EncodeInteger(f.version), BerTag::Integer) +
                            EncodeObject(f.community, BerTag::OctetString) +
                            EncodeObject(body, f.pdu),
                        BerTag::Sequence);
}

// One binding of InOctets with the given value item (hex).
std::string oneValue(const std::string& valueHex)
{
    return message(varBind(InOctets, hexBytes(valueHex)));
}

struct ValueCase
{
    const char* what;
    const char* valueHex;
    SnmpRefusal refusal;
    const char* text;     // value text when taken
    std::uint64_t number; // Number when taken
};

TEST(SnmpResponse, ReadsEachValueTypeWithinItsBoundsAndRefusesTheRest)
{
    const ValueCase cases[] = {
        {"Counter64 0", "46 01 00", SnmpRefusal::None, "0", 0},
        {"Counter64 2^32", "46 05 01 00 00 00 00", SnmpRefusal::None, "4294967296", 4294967296u},
        {"Counter64 2^63", "46 09 00 80 00 00 00 00 00 00 00", SnmpRefusal::None,
         "9223372036854775808", 9223372036854775808u},
        {"Counter64 2^64-1", "46 09 00 FF FF FF FF FF FF FF FF", SnmpRefusal::None,
         "18446744073709551615", 18446744073709551615u},
        {"Counter64 2^64-1 without sign octet", "46 08 FF FF FF FF FF FF FF FF", SnmpRefusal::None,
         "18446744073709551615", 18446744073709551615u},
        {"Counter64 small with leading 00", "46 02 00 05", SnmpRefusal::None, "5", 5},
        {"Counter64 nine octets, first not 00", "46 09 01 00 00 00 00 00 00 00 00",
         SnmpRefusal::BadValue, "", 0},
        {"Counter64 ten octets", "46 0A 00 00 00 00 00 00 00 00 00 01", SnmpRefusal::BadValue, "",
         0},
        {"Counter64 empty", "46 00", SnmpRefusal::BadValue, "", 0},
        {"Counter32 top value", "41 05 00 FF FF FF FF", SnmpRefusal::None, "-1", 4294967295u},
        {"Counter32 beyond 32 bits", "41 05 01 00 00 00 00", SnmpRefusal::BadValue, "", 0},
        {"TimeTicks", "43 03 01 E2 40", SnmpRefusal::None, "123456", 123456},
        {"Gauge32 empty", "42 00", SnmpRefusal::BadValue, "", 0},
        {"Integer", "02 01 FF", SnmpRefusal::None, "-1", 0},
        {"Integer of four octets", "02 04 80 00 00 00", SnmpRefusal::None, "-2147483648", 0},
        {"Integer of five octets", "02 05 00 FF FF FF FF", SnmpRefusal::BadValue, "", 0},
        {"Integer empty", "02 00", SnmpRefusal::BadValue, "", 0},
        {"OctetString", "04 04 65 74 68 30", SnmpRefusal::None, "eth0", 0},
        {"IpAddress", "40 04 C0 A8 01 01", SnmpRefusal::None, "192.168.1.1", 0},
        {"IpAddress of three octets", "40 03 C0 A8 01", SnmpRefusal::BadValue, "", 0},
        {"IpAddress of five octets", "40 05 C0 A8 01 01 01", SnmpRefusal::BadValue, "", 0},
        {"Null", "05 00", SnmpRefusal::None, "", 0},
        {"Null with content", "05 01 00", SnmpRefusal::BadValue, "", 0},
        {"ObjectId", "06 03 2B 06 01", SnmpRefusal::None, "1.3.6.1", 0},
        {"ObjectId cut off", "06 02 2B 86", SnmpRefusal::BadValue, "", 0},
        {"noSuchObject", "80 00", SnmpRefusal::None, "", 0},
        {"noSuchInstance", "81 00", SnmpRefusal::None, "", 0},
        {"endOfMibView", "82 00", SnmpRefusal::None, "", 0},
        {"exception with content", "81 01 00", SnmpRefusal::BadValue, "", 0},
        {"unknown type", "47 01 05", SnmpRefusal::BadValue, "", 0},
        {"constructed value", "30 03 02 01 05", SnmpRefusal::BadValue, "", 0},
        {"Boolean is no SNMP type", "01 01 FF", SnmpRefusal::BadValue, "", 0},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.what);
        SnmpResponse response;
        ASSERT_EQ(parseResponse(oneValue(c.valueHex), Expected, response), c.refusal)
            << snmpRefusalName(parseResponse(oneValue(c.valueHex), Expected, response));
        if (c.refusal != SnmpRefusal::None)
            continue;
        ASSERT_EQ(response.Bindings.size(), 1u);
        const SnmpBinding& b = response.Bindings[0];
        EXPECT_EQ(b.Oid, InOctets);
        EXPECT_EQ(b.ValueType, static_cast<int>(hexBytes(c.valueHex)[0] & 0xFF));
        EXPECT_EQ(b.Value, c.text);
        if (b.isUnsigned()) {
            EXPECT_EQ(b.Number, c.number);
        }
        EXPECT_EQ(b.isException(), b.ValueType >= 0x80 && b.ValueType <= 0x82);
    }
}

TEST(SnmpResponse, RefusesRepliesToOtherRequestsAndBrokenFrames)
{
    const std::string good = varBind(InOctets, hexBytes("46 01 05"));
    const std::string whole = message(good);
    struct Case
    {
        const char* what;
        std::string datagram;
        SnmpRefusal refusal;
    };
    const Case cases[] = {
        {"the answer", whole, SnmpRefusal::None},
        {"version 1 message to a v2c request", message(good, {0}), SnmpRefusal::WrongVersion},
        {"version 3 message to a v2c request", message(good, {3}), SnmpRefusal::WrongVersion},
        {"other community", message(good, {1, "private"}), SnmpRefusal::WrongCommunity},
        {"a GetRequest", message(good, {1, "public", BerTag::GetRequest}),
         SnmpRefusal::NotAResponse},
        {"a report of another request", message(good, {1, "public", BerTag::GetResponse, 8}),
         SnmpRefusal::WrongRequestId},
        {"trailing byte", whole + std::string(1, '\0'), SnmpRefusal::NotAMessage},
        {"cut by one byte", whole.substr(0, whole.size() - 1), SnmpRefusal::NotAMessage},
        {"empty", "", SnmpRefusal::NotAMessage},
        {"not a sequence", "\x31" + whole.substr(1), SnmpRefusal::NotAMessage},
        {"binding with a third item",
         message(EncodeObject(EncodeObject(OidToBer(InOctets), BerTag::ObjectId) +
                                  hexBytes("46 01 05 05 00"),
                              BerTag::Sequence)),
         SnmpRefusal::BadBindingList},
        {"binding without a value",
         message(
             EncodeObject(EncodeObject(OidToBer(InOctets), BerTag::ObjectId), BerTag::Sequence)),
         SnmpRefusal::BadBindingList},
        {"name that is not an OID",
         message(EncodeObject(hexBytes("04 02 2B 06 46 01 05"), BerTag::Sequence)),
         SnmpRefusal::BadOid},
        {"name with a non-minimal arc",
         message(EncodeObject(hexBytes("06 03 2B 80 06 46 01 05"), BerTag::Sequence)),
         SnmpRefusal::BadOid},
        {"name with an arc past 32 bits",
         message(EncodeObject(hexBytes("06 07 2B 90 80 80 80 80 00 46 01 05"), BerTag::Sequence)),
         SnmpRefusal::BadOid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SnmpResponse response;
        EXPECT_EQ(parseResponse(c.datagram, Expected, response), c.refusal)
            << snmpRefusalName(parseResponse(c.datagram, Expected, response));
    }
}

TEST(SnmpResponse, MessageSendsCounter64AsUnsignedAndNonNumbersAsZero)
{
    struct Case
    {
        const char* text;
        const char* item;
    };
    const Case cases[] = {
        {"18446744073709551615", "46 09 00 FF FF FF FF FF FF FF FF"},
        {"4294967296", "46 05 01 00 00 00 00"},
        {"-1", "46 01 00"},
        {"18446744073709551616", "46 01 00"},
    };
    for (const Case& c : cases) {
        TSNMPRec rec;
        rec.AddVarBind(InOctets, c.text, BerTag::Counter64);
        const std::string datagram = rec.Encode();
        EXPECT_EQ(toHex(datagram.substr(datagram.size() - hexBytes(c.item).size())), c.item)
            << c.text;
    }
}

} // namespace
