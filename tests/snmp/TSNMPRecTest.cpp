#include "TSNMPRec.h"

#include "snmp/HexBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string SysUpTime = "1.3.6.1.2.1.1.3.0";

// What an agent answers to a get of sysUpTime.0 with community "public" and
// request id 1: TimeTicks 123456.
const std::string UpTimeResponse =
    hexBytes("30 29 02 01 00 04 06 70 75 62 6C 69 63 A2 1C 02 01 01 02 01 00 02 01 00"
             " 30 11 30 0F 06 08 2B 06 01 02 01 01 03 00 43 03 01 E2 40");

std::string varBind(const std::string& oidContent, const std::string& valueItem)
{
    return EncodeObject(EncodeObject(oidContent, BerTag::ObjectId) + valueItem, BerTag::Sequence);
}

// A version-1 GetResponse (request id 7) around the given varbinds.
std::string response(const std::string& varBinds)
{
    const std::string body =
        hexBytes("02 01 07 02 01 00 02 01 00") + EncodeObject(varBinds, BerTag::Sequence);
    return EncodeObject(hexBytes("02 01 00") + EncodeObject("public", BerTag::OctetString) +
                            EncodeObject(body, BerTag::GetResponse),
                        BerTag::Sequence);
}

TEST(TSNMPRec, StartsEmptyAndResetKeepsTheRequestId)
{
    TSNMPRec rec;
    EXPECT_EQ(rec.Version, 0);
    EXPECT_EQ(rec.Community, "vandor");
    EXPECT_EQ(rec.PDUType, 0);
    EXPECT_EQ(rec.ID, 1);
    EXPECT_EQ(rec.MaxSize, 1472);
    EXPECT_EQ(rec.VarBindCount(), 0u);

    rec.Version = 1;
    rec.Community = "public";
    rec.PDUType = BerTag::GetResponse;
    rec.ID = 42;
    rec.ErrorStatus = 2;
    rec.ErrorIndex = 1;
    rec.MaxSize = 500;
    rec.OldTrapEnterprise = "1.3.6.1.4.1";
    rec.OldTrapHost = "10.0.0.1";
    rec.OldTrapGen = 6;
    rec.OldTrapSpec = 3;
    rec.OldTrapTimeTicks = 99;
    rec.AddVarBind(SysUpTime, "", BerTag::Null);
    rec.Reset();

    EXPECT_EQ(rec.Version, 0);
    EXPECT_EQ(rec.Community, "vandor");
    EXPECT_EQ(rec.PDUType, 0);
    EXPECT_EQ(rec.ErrorStatus, 0);
    EXPECT_EQ(rec.ErrorIndex, 0);
    EXPECT_EQ(rec.OldTrapEnterprise, "");
    EXPECT_EQ(rec.OldTrapHost, "");
    EXPECT_EQ(rec.OldTrapGen, 0);
    EXPECT_EQ(rec.OldTrapSpec, 0);
    EXPECT_EQ(rec.OldTrapTimeTicks, 0);
    EXPECT_EQ(rec.VarBindCount(), 0u);
    EXPECT_EQ(rec.ID, 42);
    EXPECT_EQ(rec.MaxSize, 500);
}

TEST(TSNMPRec, BulkFieldsShareErrorStatusAndIndex)
{
    TSNMPRec rec;
    rec.NonRepeaters() = 3;
    rec.MaxRepetitions() = 10;
    EXPECT_EQ(rec.ErrorStatus, 3);
    EXPECT_EQ(rec.ErrorIndex, 10);
    rec.ErrorIndex = 4;
    const TSNMPRec& view = rec;
    EXPECT_EQ(view.MaxRepetitions(), 4);
    EXPECT_EQ(view.NonRepeaters(), 3);
}

TEST(TSNMPRec, BindingsAreKeptInOrderAndFoundByExactOid)
{
    TSNMPRec rec;
    rec.AddVarBind("1.3.6.1.2.1.1.5.0", "router", BerTag::OctetString);
    rec.AddVarBind(SysUpTime, "100", BerTag::TimeTicks);
    rec.AddVarBind(SysUpTime, "200", BerTag::TimeTicks);
    ASSERT_EQ(rec.VarBindCount(), 3u);
    EXPECT_EQ(rec.VarBind(0).Oid, "1.3.6.1.2.1.1.5.0");
    EXPECT_EQ(rec.VarBind(0).Value, "router");
    EXPECT_EQ(rec.VarBind(0).ValueType, BerTag::OctetString);
    EXPECT_EQ(rec.VarBind(2).Value, "200");
    EXPECT_THROW(rec.VarBind(3), std::out_of_range);

    EXPECT_EQ(rec.FindValue(SysUpTime), "100"); // the first of two
    EXPECT_EQ(rec.FindValue("." + SysUpTime), "");
    EXPECT_EQ(rec.FindValue("1.3.6.1.2.1.1.3"), "");
    EXPECT_EQ(rec.FindValue("1.3.6.1.2.1.1.3.0.0"), "");
}

TEST(TSNMPRec, EncodesAGetRequest)
{
    TSNMPRec rec;
    rec.Community = "public";
    rec.PDUType = BerTag::GetRequest;
    rec.AddVarBind(SysUpTime, "ignored", BerTag::Null);
    EXPECT_EQ(toHex(rec.Encode()),
              "30 26 02 01 00 04 06 70 75 62 6C 69 63 A0 19 02 01 01 02 01 00 02 01 00 30 0E "
              "30 0C 06 08 2B 06 01 02 01 01 03 00 05 00");
    EXPECT_EQ(rec.ID, 2);
}

TEST(TSNMPRec, EachEncodeCarriesTheNextRequestId)
{
    TSNMPRec rec;
    rec.PDUType = BerTag::GetNextRequest;
    TSNMPRec sent;
    ASSERT_TRUE(sent.Decode(rec.Encode()));
    EXPECT_EQ(sent.ID, 1);
    rec.Reset();
    rec.PDUType = BerTag::GetNextRequest;
    ASSERT_TRUE(sent.Decode(rec.Encode()));
    EXPECT_EQ(sent.ID, 2);
    EXPECT_EQ(sent.PDUType, BerTag::GetNextRequest);

    // The id wraps instead of overflowing.
    rec.ID = std::numeric_limits<std::int32_t>::max();
    ASSERT_TRUE(sent.Decode(rec.Encode()));
    EXPECT_EQ(sent.ID, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(rec.ID, std::numeric_limits<std::int32_t>::min());
}

TEST(TSNMPRec, EncodeWithoutBindingsEndsInAnEmptyList)
{
    TSNMPRec rec;
    rec.PDUType = BerTag::GetRequest;
    const std::string datagram = rec.Encode();
    EXPECT_EQ(toHex(datagram.substr(datagram.size() - 2)), "30 00");
}

TEST(TSNMPRec, LongCommunityUsesLongFormLengths)
{
    TSNMPRec rec;
    rec.Community = std::string(96, 'c');
    rec.PDUType = BerTag::GetRequest;
    rec.AddVarBind(SysUpTime, "", BerTag::Null);
    const std::string datagram = rec.Encode();
    EXPECT_EQ(toHex(datagram.substr(0, 3)), "30 81 80"); // 3 + 98 + 27 content bytes
    TSNMPRec back;
    ASSERT_TRUE(back.Decode(datagram));
    EXPECT_EQ(back.Community, rec.Community);
    EXPECT_EQ(back.VarBind(0).Oid, SysUpTime);
}

struct ValueCase
{
    int type;
    std::string value;
    const char* item;
    std::string decoded;
};

TEST(TSNMPRec, EncodesEachValueType)
{
    const std::vector<ValueCase> cases = {
        {BerTag::Null, "anything", "05 00", ""},
        {BerTag::Integer, "-200", "02 04 FF FF FF 38", "-200"},
        {BerTag::Integer, "1472", "02 02 05 C0", "1472"},
        {BerTag::Integer, "not a number", "02 01 00", "0"},
        {BerTag::ObjectId, "1.3.6.1", "06 03 2B 06 01", "1.3.6.1"},
        {BerTag::OctetString, std::string("a\0b", 3), "04 03 61 00 62", std::string("a\0b", 3)},
        {BerTag::Opaque, "x", "44 01 78", "x"},
        {BerTag::IpAddress, "10.0.0.1", "40 04 0A 00 00 01", "10.0.0.1"},
        {BerTag::IpAddress, "255.-1.256.1", "40 04 FF 00 00 01", "255.0.0.1"},
        {BerTag::Counter32, "-1", "41 05 00 FF FF FF FF", "-1"},
        {BerTag::Counter32, "4294967295", "41 05 00 FF FF FF FF", "-1"},
        {BerTag::Counter32, "-2147483648", "41 05 00 80 00 00 00", "-2147483648"},
        {BerTag::Counter32, "-2147483649", "41 01 00", "0"},
        {BerTag::Gauge32, "0", "42 01 00", "0"},
        {BerTag::TimeTicks, "65536", "43 03 01 00 00", "65536"},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.item);
        TSNMPRec rec;
        rec.PDUType = BerTag::GetResponse;
        rec.AddVarBind("1.3.6.1", c.value, c.type);
        const std::string datagram = rec.Encode();
        const std::string item = hexBytes(c.item);
        ASSERT_GE(datagram.size(), item.size());
        EXPECT_EQ(toHex(datagram.substr(datagram.size() - item.size())), c.item);

        TSNMPRec back;
        ASSERT_TRUE(back.Decode(datagram));
        ASSERT_EQ(back.VarBindCount(), 1u);
        EXPECT_EQ(back.VarBind(0).Value, c.decoded);
        EXPECT_EQ(back.VarBind(0).ValueType, c.type);
    }
}

TEST(TSNMPRec, TrapRoundTrip)
{
    TSNMPRec trap;
    trap.PDUType = BerTag::Trap;
    trap.Community = "public";
    trap.OldTrapEnterprise = "1.3.6.1.4.1.8072";
    trap.OldTrapHost = "127.0.0.2";
    trap.OldTrapGen = 6;
    trap.OldTrapSpec = 17;
    trap.OldTrapTimeTicks = 123456;
    trap.ID = 55;
    trap.AddVarBind("1.3.6.1.2.1.1.5.0", "box", BerTag::OctetString);

    TSNMPRec back;
    back.ID = 9;
    ASSERT_TRUE(back.Decode(trap.Encode()));
    EXPECT_EQ(back.PDUType, BerTag::Trap);
    EXPECT_EQ(back.OldTrapEnterprise, "1.3.6.1.4.1.8072");
    EXPECT_EQ(back.OldTrapHost, "127.0.0.2");
    EXPECT_EQ(back.OldTrapGen, 6);
    EXPECT_EQ(back.OldTrapSpec, 17);
    EXPECT_EQ(back.OldTrapTimeTicks, 123456);
    EXPECT_EQ(back.ID, 9); // a trap carries no request id
    EXPECT_EQ(back.FindValue("1.3.6.1.2.1.1.5.0"), "box");
}

TEST(TSNMPRec, DecodesAGetResponse)
{
    TSNMPRec rec;
    rec.AddVarBind("stale", "stale", BerTag::OctetString);
    ASSERT_TRUE(rec.Decode(UpTimeResponse));
    EXPECT_EQ(rec.Version, 0);
    EXPECT_EQ(rec.Community, "public");
    EXPECT_EQ(rec.PDUType, BerTag::GetResponse);
    EXPECT_EQ(rec.ID, 1);
    EXPECT_EQ(rec.ErrorStatus, 0);
    EXPECT_EQ(rec.ErrorIndex, 0);
    ASSERT_EQ(rec.VarBindCount(), 1u);
    EXPECT_EQ(rec.VarBind(0).Oid, SysUpTime);
    EXPECT_EQ(rec.VarBind(0).Value, "123456");
    EXPECT_EQ(rec.VarBind(0).ValueType, BerTag::TimeTicks);
    EXPECT_EQ(rec.FindValue(SysUpTime), "123456");
    EXPECT_EQ(rec.FindValue("stale"), "");
}

TEST(TSNMPRec, DecodesSeveralBindings)
{
    const std::string datagram =
        response(varBind(OidToBer("1.3.6.1.2.1.2.2.1.10.2"), hexBytes("41 05 00 FF FF FF FF")) +
                 varBind(OidToBer("1.3.6.1.2.1.2.2.1.2.2"), hexBytes("04 04 65 74 68 30")) +
                 varBind(OidToBer("1.3.6.1.2.1.4.20.1.1.10.0.0.1"), hexBytes("40 04 0A 00 00 01")));
    TSNMPRec rec;
    ASSERT_TRUE(rec.Decode(datagram));
    EXPECT_EQ(rec.ID, 7);
    ASSERT_EQ(rec.VarBindCount(), 3u);
    EXPECT_EQ(rec.VarBind(0).Value, "-1"); // Counter32 4294967295
    EXPECT_EQ(rec.VarBind(0).ValueType, BerTag::Counter32);
    EXPECT_EQ(rec.VarBind(1).Oid, "1.3.6.1.2.1.2.2.1.2.2");
    EXPECT_EQ(rec.VarBind(1).Value, "eth0");
    EXPECT_EQ(rec.VarBind(2).Value, "10.0.0.1");
}

TEST(TSNMPRec, NoSuchNameDecodesWithTheErrorStatus)
{
    const std::string datagram =
        hexBytes("30 26 02 01 00 04 06 70 75 62 6C 69 63 A2 19 02 01 01 02 01 02 02 01 01 30 0E"
                 " 30 0C 06 08 2B 06 01 02 01 01 03 00 05 00");
    TSNMPRec rec;
    ASSERT_TRUE(rec.Decode(datagram));
    EXPECT_EQ(rec.ErrorStatus, 2);
    EXPECT_EQ(rec.ErrorIndex, 1);
    EXPECT_EQ(rec.FindValue(SysUpTime), "");
    ASSERT_EQ(rec.VarBindCount(), 1u);
    EXPECT_EQ(rec.VarBind(0).ValueType, BerTag::Null);
}

TEST(TSNMPRec, AnEmptyFrameDecodesToNothing)
{
    TSNMPRec rec;
    ASSERT_TRUE(rec.Decode(hexBytes("30 00")));
    EXPECT_EQ(rec.Community, "");
    EXPECT_EQ(rec.PDUType, BerTag::Null);
    EXPECT_EQ(rec.VarBindCount(), 0u);
}

struct BadInput
{
    const char* name;
    std::string datagram;
    bool decodes;
    std::vector<TSNMPMib> bindings;
};

std::string withByte(std::string bytes, std::size_t index, unsigned char value)
{
    bytes.at(index) = static_cast<char>(value);
    return bytes;
}

// Whatever arrives, Decode stays inside the datagram, allocates nothing from a
// declared length and gives the documented result.
TEST(TSNMPRec, DecodeOnBadInput)
{
    const std::string content = UpTimeResponse.substr(2); // 41 bytes
    const TSNMPMib upTime{SysUpTime, "123456", BerTag::TimeTicks};
    std::string oid200 = "1.3";
    for (int arc = 0; arc < 198; ++arc) {
        oid200 += "." + std::to_string(arc * 7919);
    }

    const std::vector<BadInput> cases = {
        {"empty datagram", "", false, {}},
        {"one byte", hexBytes("30"), false, {}},
        {"first byte not constructed", withByte(UpTimeResponse, 0, 0x02), false, {}},
        {"outer length beyond the datagram", hexBytes("30 10 02 01 00"), false, {}},
        {"outer long form cut off", hexBytes("30 82 01"), false, {}},
        {"four-octet outer length", hexBytes("30 84 FF FF FF FF") + content, false, {}},
        // The low 32 bits of this length are exactly the content size.
        {"nine-octet outer length",
         hexBytes("30 89 01 00 00 00 00 00 00 00 29") + content,
         false,
         {}},
        {"nine-octet outer length with leading zeros",
         hexBytes("30 89 00 00 00 00 00 00 00 00 29") + content,
         true,
         {upTime}},
        // The indefinite form reads as length 0: the header is read, no bindings.
        {"indefinite outer length", hexBytes("30 80") + content, true, {}},
        {"cut inside the varbind list", UpTimeResponse.substr(0, 35), false, {}},
        {"cut in the last byte", UpTimeResponse.substr(0, UpTimeResponse.size() - 1), false, {}},
        {"version 3", withByte(UpTimeResponse, 4, 3), false, {}},
        // Entering a constructed item that claims too much still moves the cursor
        // onto its first element, so the walk goes on.
        {"PDU claims more than the message holds",
         withByte(UpTimeResponse, 14, 0x7F),
         true,
         {upTime}},
        {"varbind list claims more than the PDU holds",
         withByte(UpTimeResponse, 25, 0x7F),
         true,
         {upTime}},
        {"varbind claims more than the list holds",
         withByte(UpTimeResponse, 27, 0x40),
         true,
         {upTime}},
        // The value runs past the end: empty text; the two bytes left then read
        // as one more, empty binding, and the last byte ends the walk.
        {"value claims more than the datagram holds",
         withByte(UpTimeResponse, 39, 0x05),
         true,
         {{SysUpTime, "", BerTag::TimeTicks}, {"", "", BerTag::Null}}},
        {"a stray byte after the last binding",
         EncodeObject(content + hexBytes("00"), BerTag::Sequence),
         true,
         {upTime}},
        {"OID with a sub-identifier above 2^32",
         response(varBind(hexBytes("2B 06 01 90 80 80 80 05"), hexBytes("05 00"))),
         true,
         {{"", "", BerTag::Null}}},
        {"OID whose last octet has the continuation bit",
         response(varBind(hexBytes("2B 06 01 02 01 01 03 80"), hexBytes("05 00"))),
         true,
         {{"", "", BerTag::Null}}},
        {"OID of 200 sub-identifiers",
         response(varBind(OidToBer(oid200), hexBytes("02 01 2A"))),
         true,
         {{oid200, "42", BerTag::Integer}}},
        {"Counter32 of five octets",
         response(varBind(OidToBer("1.3.6.1.2.1.2.2.1.10.1"), hexBytes("41 05 00 FF FF FF FE"))),
         true,
         {{"1.3.6.1.2.1.2.2.1.10.1", "-2", BerTag::Counter32}}},
        {"value with a high-tag-number tag",
         response(varBind(OidToBer("1.3.6.1"), hexBytes("1F 81 00 01 07"))),
         true,
         {{"1.3.6.1", "", 0x1F}, {"", "", BerTag::Null}}},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.name);
        TSNMPRec rec;
        EXPECT_EQ(rec.Decode(c.datagram), c.decodes);
        if (!c.decodes) {
            EXPECT_EQ(rec.Community, "vandor");
            EXPECT_EQ(rec.PDUType, 0);
        }
        ASSERT_EQ(rec.VarBindCount(), c.bindings.size());
        for (std::size_t i = 0; i < c.bindings.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(rec.VarBind(i).Oid, c.bindings[i].Oid);
            EXPECT_EQ(rec.VarBind(i).Value, c.bindings[i].Value);
            EXPECT_EQ(rec.VarBind(i).ValueType, c.bindings[i].ValueType);
        }
    }
}

TEST(TSNMPRec, IndefiniteOuterLengthStillReadsTheHeader)
{
    TSNMPRec rec;
    ASSERT_TRUE(rec.Decode(hexBytes("30 80") + UpTimeResponse.substr(2)));
    EXPECT_EQ(rec.Community, "public");
    EXPECT_EQ(rec.PDUType, BerTag::GetResponse);
    EXPECT_EQ(rec.ID, 1);
}

// A record reused for request after request shows only the latest bindings.
TEST(TSNMPRec, ReusedRecordShowsOnlyTheLatestBindings)
{
    std::string many;
    for (int i = 0; i < 20; ++i) {
        many += varBind(OidToBer("1.3.6.1.2.1.2.2.1.10." + std::to_string(i)),
                        hexBytes("41 01") + std::string(1, static_cast<char>(i)));
    }
    TSNMPRec rec;
    ASSERT_TRUE(rec.Decode(response(many)));
    ASSERT_EQ(rec.VarBindCount(), 20u);
    EXPECT_EQ(rec.VarBind(19).Value, "19");

    ASSERT_TRUE(rec.Decode(UpTimeResponse));
    ASSERT_EQ(rec.VarBindCount(), 1u);
    EXPECT_EQ(rec.VarBind(0).Oid, SysUpTime);
    EXPECT_EQ(rec.VarBind(0).Value, "123456");
    EXPECT_THROW(rec.VarBind(1), std::out_of_range);
    EXPECT_EQ(rec.FindValue("1.3.6.1.2.1.2.2.1.10.5"), "");

    rec.AddVarBind("1.3.6.1.2.1.1.5.0", "", BerTag::Null);
    ASSERT_EQ(rec.VarBindCount(), 2u);
    EXPECT_EQ(rec.VarBind(1).Oid, "1.3.6.1.2.1.1.5.0");
    EXPECT_EQ(rec.VarBind(1).Value, "");
    EXPECT_EQ(rec.VarBind(1).ValueType, BerTag::Null);

    EXPECT_FALSE(rec.Decode(hexBytes("02 00")));
    EXPECT_EQ(rec.VarBindCount(), 0u);
    EXPECT_EQ(rec.FindValue(SysUpTime), "");
}

// Nested constructed values inside one binding must not make Decode keep a copy
// of the rest of the datagram per level.
TEST(TSNMPRec, NestedConstructedValuesStayLinear)
{
    std::string nested = hexBytes("05 00");
    for (int level = 0; level < 2000; ++level) {
        nested = EncodeObject(hexBytes("05 00") + EncodeObject(nested, BerTag::Sequence),
                              BerTag::Sequence);
    }
    const std::string datagram = response(nested);
    TSNMPRec rec;
    ASSERT_TRUE(rec.Decode(datagram));
    std::size_t stored = 0;
    for (std::size_t i = 0; i < rec.VarBindCount(); ++i) {
        stored += rec.VarBind(i).Oid.size() + rec.VarBind(i).Value.size();
    }
    EXPECT_GT(rec.VarBindCount(), 0u);
    EXPECT_LE(stored, datagram.size());
}

} // namespace

namespace {

// A GetResponse whose request id item is exactly `idItem`.
std::string responseWithIdItem(const std::string& idItem)
{
    const std::string body =
        idItem + hexBytes("02 01 00 02 01 00") + EncodeObject(std::string(), BerTag::Sequence);
    return EncodeObject(hexBytes("02 01 00") + EncodeObject("public", BerTag::OctetString) +
                            EncodeObject(body, BerTag::GetResponse),
                        BerTag::Sequence);
}

TEST(TSNMPRec, RequestIdIsWholeOnlyWhenItFitsThirtyTwoBits)
{
    struct Case
    {
        const char* name;
        const char* idItem;
        std::int32_t id;
        bool whole;
    };
    const Case cases[] = {
        {"one octet", "02 01 01", 1, true},
        {"four octets, top bit set", "02 04 80 00 00 00", std::numeric_limits<std::int32_t>::min(),
         true},
        {"2^31 with its sign octet", "02 05 00 80 00 00 00",
         std::numeric_limits<std::int32_t>::min(), true},
        {"1 behind four zero octets", "02 05 00 00 00 00 01", 1, true},
        {"2^32 + 1", "02 05 01 00 00 00 01", 1, false},
        {"2^40 + 1 behind a zero octet", "02 07 00 01 00 00 00 00 01", 1, false},
        {"-2^32 + 1", "02 05 FF 00 00 00 01", 1, false},
        {"empty integer", "02 00", 0, false},
        {"id as octet string", "04 01 01", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSNMPRec rec;
        rec.IDWhole = !c.whole; // Decode must set it either way
        ASSERT_TRUE(rec.Decode(responseWithIdItem(hexBytes(c.idItem))));
        EXPECT_EQ(rec.IDWhole, c.whole);
        if (c.whole) {
            EXPECT_EQ(rec.ID, c.id);
        }
    }
}

} // namespace
