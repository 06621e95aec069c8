#include "Ber.h"
#include "DecimalText.h"

#include "snmp/HexBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

struct LengthCase
{
    std::size_t length;
    const char* octets;
};

TEST(Ber, EncodeLengthUsesTheShortestForm)
{
    const std::vector<LengthCase> cases = {
        {0, "00"},
        {127, "7F"},
        {128, "81 80"},
        {200, "81 C8"},
        {255, "81 FF"},
        {256, "82 01 00"},
        {300, "82 01 2C"},
        {70000, "83 01 11 70"},
        {0xFFFFFFFFu, "84 FF FF FF FF"},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string octets = EncodeLength(c.length);
        EXPECT_EQ(toHex(octets), c.octets);
        // Decoding gives the length back and stops right after the octets.
        std::size_t cursor = 0;
        EXPECT_EQ(DecodeLength(octets, cursor), c.length);
        EXPECT_EQ(cursor, octets.size());
    }
}

struct DecodeLengthCase
{
    const char* name;
    const char* bytes;
    std::size_t start;
    std::uint32_t length;
    std::size_t cursorAfter;
};

TEST(Ber, DecodeLengthStopsAtTheEndAndNeverWraps)
{
    const std::vector<DecodeLengthCase> cases = {
        {"short form", "05 FF", 0, 5, 1},
        {"from the middle", "30 81 C8", 1, 200, 3},
        {"indefinite form reads as 0", "80 01", 0, 0, 1},
        {"four octets", "84 7F FF FF FF", 0, 0x7FFFFFFFu, 5},
        {"four octets, all ones", "84 FF FF FF FF", 0, 0xFFFFFFFFu, 5},
        {"leading zero octets are harmless", "89 00 00 00 00 00 00 00 00 2E", 0, 46, 10},
        // Accumulated in 32 bits this would wrap to 46: it must not pass as a small length.
        {"nine octets too large for 32 bits", "89 01 00 00 00 00 00 00 00 2E", 0, BerLengthInvalid,
         10},
        {"long form cut off", "82 01", 0, BerLengthInvalid, 2},
        {"long form with no octets after it", "84", 0, BerLengthInvalid, 1},
        {"at the end of the buffer", "05", 1, BerLengthInvalid, 1},
        {"empty buffer", "", 0, BerLengthInvalid, 0},
    };
    for (const DecodeLengthCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t cursor = c.start;
        EXPECT_EQ(DecodeLength(hexBytes(c.bytes), cursor), c.length);
        EXPECT_EQ(cursor, c.cursorAfter);
    }
}

struct IntegerCase
{
    std::int32_t value;
    const char* content;
};

TEST(Ber, EncodeIntegerAndReadItBack)
{
    const std::vector<IntegerCase> cases = {
        {0, "00"},
        {1, "01"},
        {127, "7F"},
        {128, "00 80"},
        {255, "00 FF"},
        {256, "01 00"},
        {1472, "05 C0"},
        {-1, "FF FF FF FF"},
        {-200, "FF FF FF 38"},
        {std::numeric_limits<std::int32_t>::max(), "7F FF FF FF"},
        {std::numeric_limits<std::int32_t>::min(), "80 00 00 00"},
    };
    for (const IntegerCase& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(toHex(EncodeInteger(c.value)), c.content);
        const std::string item = EncodeObject(EncodeInteger(c.value), BerTag::Integer);
        std::size_t cursor = 0;
        int type = 0;
        EXPECT_EQ(ReadItem(item, cursor, type), std::to_string(c.value));
        EXPECT_EQ(type, BerTag::Integer);
        EXPECT_EQ(cursor, item.size());
    }
}

TEST(Ber, EncodeObjectPutsTagAndLengthBeforeTheContent)
{
    EXPECT_EQ(toHex(EncodeObject(EncodeInteger(128), BerTag::Integer)), "02 02 00 80");
    EXPECT_EQ(toHex(EncodeObject("", BerTag::Null)), "05 00");
    EXPECT_EQ(toHex(EncodeObject(std::string("\0a", 2), BerTag::OctetString)), "04 02 00 61");
    const std::string item = EncodeObject(std::string(200, 'x'), BerTag::OctetString);
    EXPECT_EQ(toHex(item.substr(0, 3)), "04 81 C8");
    EXPECT_EQ(item.size(), 203u);
}

struct ArcCase
{
    std::uint32_t arc;
    const char* octets;
};

TEST(Ber, OidArcsInBase128)
{
    const std::vector<ArcCase> cases = {
        {0, "00"},        {127, "7F"},         {128, "81 00"},
        {16383, "FF 7F"}, {16384, "81 80 00"}, {0xFFFFFFFFu, "8F FF FF FF 7F"},
    };
    for (const ArcCase& c : cases) {
        SCOPED_TRACE(c.arc);
        const std::string octets = EncodeOidArc(c.arc);
        EXPECT_EQ(toHex(octets), c.octets);
        std::size_t cursor = 0;
        EXPECT_EQ(DecodeOidArc(octets, cursor), c.arc);
        EXPECT_EQ(cursor, octets.size());
    }
}

TEST(Ber, DecodeOidArcStopsAtTheEndOfTheBuffer)
{
    std::size_t cursor = 0;
    // The last octet still asks for more: reading stops at the end with what was read.
    EXPECT_EQ(DecodeOidArc(hexBytes("81 82"), cursor), 130u);
    EXPECT_EQ(cursor, 2u);
    cursor = 1;
    EXPECT_EQ(DecodeOidArc(hexBytes("05"), cursor), 0u);
    EXPECT_EQ(cursor, 1u);
    // Sub-identifiers are held in 32 bits: higher bits are shifted out.
    cursor = 0;
    EXPECT_EQ(DecodeOidArc(hexBytes("90 80 80 80 05"), cursor), 5u);
    EXPECT_EQ(cursor, 5u);
}

struct OidCase
{
    const char* text;
    const char* content;
};

TEST(Ber, OidToBerReadsDottedText)
{
    const std::vector<OidCase> cases = {
        {"1.3.6.1.2.1.1.3.0", "2B 06 01 02 01 01 03 00"},
        {"1.3.6.1.2.1.2.2.1.10.3", "2B 06 01 02 01 02 02 01 0A 03"},
        {"1.3.6.1.2.1.2.2.1.16.2", "2B 06 01 02 01 02 02 01 10 02"},
        {"1.3.6.1.4.1.2021.10.1.3.1", "2B 06 01 04 01 8F 65 0A 01 03 01"},
        {"1.3.", "2B"},
        {"1.3", "2B"},
        {"1", "28"},
        {"", "00"},
        {".1.3.6", "01 03 06"},
        {"1.3..6", "2B 00 06"},
        {"1.3.x.5", "2B 00 05"},
        {"1.3. 5", "2B 00"},
        {"1.3.+5", "2B 00"},
        {"1.3.-5", "2B 00"},
        {"1.3.2147483647", "2B 87 FF FF FF 7F"},
        {"1.3.2147483648", "2B 00"},
        {"1.3.99999999999999999999", "2B 00"},
    };
    for (const OidCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(toHex(OidToBer(c.text)), c.content);
    }
}

TEST(Ber, BerToOidGivesDottedText)
{
    const std::vector<OidCase> cases = {
        {"1.3.6.1.2.1.1.3.0", "2B 06 01 02 01 01 03 00"},
        {"1.3.6.1.2.1.2.2.1.16.2", "2B 06 01 02 01 02 02 01 10 02"},
        {"1.3.6.1.4.1.2021.10.1.3.1", "2B 06 01 04 01 8F 65 0A 01 03 01"},
        {"1.3", "2B"},
        {"0.0", "00"},
        {"", ""},
        {"1.3.2147483647", "2B 87 FF FF FF 7F"},
        // Sub-identifiers are signed 32-bit numbers.
        {"1.3.-2147483648", "2B 88 80 80 80 00"},
        // Beyond 32 bits an OID cannot be read either, rather than wrap.
        {"", "2B 90 80 80 80 05"},
        // The last octet still carries the continuation bit: the OID cannot be read.
        {"", "2B 06 81"},
        {"", "2B 06 01 02 01 01 03 80"},
        // A first sub-identifier of several octets belongs under the joint arc 2.
        {"2.999.1", "88 37 01"},
    };
    for (const OidCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(BerToOid(hexBytes(c.content)), c.text);
    }
}

TEST(Ber, LongOidsSurviveTheRoundTrip)
{
    std::string text = "1.3";
    for (int arc = 0; arc < 198; ++arc) {
        text += '.';
        text += std::to_string(arc * 1000003 % 2147483647);
    }
    const std::string content = OidToBer(text);
    EXPECT_EQ(BerToOid(content), text);
}

struct ItemCase
{
    const char* name;
    std::string bytes;
    std::string text;
    int type;
    std::size_t cursorAfter;
};

TEST(Ber, ReadItemRendersEachTypeAsText)
{
    const std::vector<ItemCase> cases = {
        {"Counter32 of five octets", hexBytes("41 05 00 FF FF FF FF"), "-1", 65, 7},
        {"Counter32 top bit", hexBytes("41 04 80 00 00 00"), "-2147483648", 65, 6},
        {"Counter32 whose first octet is shifted out", hexBytes("41 05 01 00 00 00 02"), "2", 65,
         7},
        {"Gauge32", hexBytes("42 04 FF FF FF FF"), "-1", 66, 6},
        {"TimeTicks", hexBytes("43 03 01 00 00"), "65536", 67, 5},
        {"empty Counter32", hexBytes("41 00"), "0", 65, 2},
        {"INTEGER -1", hexBytes("02 01 FF"), "-1", 2, 3},
        {"INTEGER empty", hexBytes("02 00"), "0", 2, 2},
        {"INTEGER 128", hexBytes("02 02 00 80"), "128", 2, 4},
        {"INTEGER -128", hexBytes("02 01 80"), "-128", 2, 3},
        {"INTEGER minimum", hexBytes("02 04 80 00 00 00"), "-2147483648", 2, 6},
        {"BOOLEAN", hexBytes("01 01 FF"), "-1", 1, 3},
        {"ENUMERATED", hexBytes("0A 01 03"), "3", 10, 3},
        {"IpAddress", hexBytes("40 04 0A 00 00 01"), "10.0.0.1", 64, 6},
        {"IpAddress 192.168.1.1", hexBytes("40 04 C0 A8 01 01"), "192.168.1.1", 64, 6},
        {"IpAddress of two octets", hexBytes("40 02 01 02"), "1.2", 64, 4},
        {"IpAddress empty", hexBytes("40 00"), "", 64, 2},
        {"NULL", hexBytes("05 00"), "", 5, 2},
        {"context tag 0x80", hexBytes("80 00"), "", 128, 2},
        {"OCTET STRING", hexBytes("04 03 61 62 63"), "abc", 4, 5},
        {"OCTET STRING with zero bytes", hexBytes("04 03 00 FF 00"), hexBytes("00 FF 00"), 4, 5},
        {"Opaque", hexBytes("44 02 01 02"), hexBytes("01 02"), 68, 4},
        {"Counter64 stays raw", hexBytes("46 02 01 02"), hexBytes("01 02"), 70, 4},
        {"OBJECT IDENTIFIER", hexBytes("06 08 2B 06 01 02 01 01 03 00"), "1.3.6.1.2.1.1.3.0", 6,
         10},
        {"SEQUENCE is entered", hexBytes("30 03 02 01 05"), hexBytes("02 01 05"), 48, 2},
        {"PDU tag is constructed", hexBytes("A2 03 02 01 05"), hexBytes("02 01 05"), 162, 2},
        {"any tag with 0x20 is constructed", hexBytes("24 03 02 01 05"), hexBytes("02 01 05"), 36,
         2},
        {"long-form length", hexBytes("04 81 80") + std::string(128, 'z'), std::string(128, 'z'), 4,
         131},
    };
    for (const ItemCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t cursor = 0;
        int type = -1;
        EXPECT_EQ(ReadItem(c.bytes, cursor, type), c.text);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(cursor, c.cursorAfter);
    }
}

TEST(Ber, ReadItemWalksAMessageInPreOrder)
{
    const std::string sequence = hexBytes("30 03 02 01 05");
    std::size_t cursor = 0;
    int type = 0;
    ReadItem(sequence, cursor, type);
    EXPECT_EQ(ReadItem(sequence, cursor, type), "5");
    EXPECT_EQ(type, 2);
    EXPECT_EQ(cursor, sequence.size());
    // Nothing is left: an empty NULL read that does not move.
    EXPECT_EQ(ReadItem(sequence, cursor, type), "");
    EXPECT_EQ(type, 5);
    EXPECT_EQ(cursor, sequence.size());
}

// Whatever arrives, reading stops at the end of the buffer, never copies more
// than is there and never trusts a declared length.
TEST(Ber, ReadItemOnBadInput)
{
    const std::string tail46(46, 'x');
    const std::vector<ItemCase> cases = {
        {"empty buffer", "", "", 5, 0},
        {"one byte", hexBytes("02"), "", 5, 0},
        {"content past the end", hexBytes("04 05 61 62"), "", 4, 2},
        {"constructed content past the end", hexBytes("30 05 02 01"), "", 48, 2},
        {"four-octet length", hexBytes("04 84 FF FF FF FF 61"), "", 4, 6},
        {"nine-octet length that would wrap to 46",
         hexBytes("04 89 01 00 00 00 00 00 00 00 2E") + tail46, "", 4, 11},
        {"nine-octet length with leading zeros",
         hexBytes("04 89 00 00 00 00 00 00 00 00 2E") + tail46, tail46, 4, 57},
        {"indefinite form", hexBytes("04 80 61"), "", 4, 2},
        {"length cut off", hexBytes("04 82 01"), "", 4, 3},
        {"high-tag-number tag", hexBytes("1F 02 01 05"), hexBytes("01 05"), 31, 4},
        {"high-tag-number tag with its number octet", hexBytes("9F 78 04 01 02 03 04"), "", 159, 2},
        {"OID with a sub-identifier above 2^32", hexBytes("06 06 2B 90 80 80 80 05"), "", 6, 8},
        {"OID with a sub-identifier of 2^32 - 1", hexBytes("06 06 2B 8F FF FF FF 7F"), "1.3.-1", 6,
         8},
        {"OID ending with the continuation bit", hexBytes("06 03 2B 06 81"), "", 6, 5},
    };
    for (const ItemCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t cursor = 0;
        int type = -1;
        const std::string text = ReadItem(c.bytes, cursor, type);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(cursor, c.cursorAfter);
        EXPECT_LE(cursor, c.bytes.size());
    }
}

TEST(Ber, ReadItemWithTheCursorPastTheEndReadsNothing)
{
    std::size_t cursor = 10;
    int type = 0;
    EXPECT_EQ(ReadItem(hexBytes("02 01 05"), cursor, type), "");
    EXPECT_EQ(type, 5);
    EXPECT_EQ(cursor, 10u);
}

// The walk used to decode messages must agree with ReadItem on every item.
TEST(Ber, WalkItemAgreesWithReadItem)
{
    const std::vector<std::string> items = {
        hexBytes("02 01 FF"),
        hexBytes("02 04 7F FF FF FF"),
        hexBytes("02 00"),
        hexBytes("0A 01 03"),
        hexBytes("41 05 00 FF FF FF FF"),
        hexBytes("43 03 01 00 00"),
        hexBytes("04 03 31 32 33"),
        hexBytes("04 02 2D 35"),
        hexBytes("04 01 61"),
        hexBytes("40 01 0A"),
        hexBytes("40 04 0A 00 00 01"),
        hexBytes("06 01 2B"),
        hexBytes("05 00"),
        hexBytes("30 03 02 01 05"),
        hexBytes("04 05 61"),
        hexBytes("43 05 01"),
        hexBytes("30 05 02 01"),
        hexBytes("02"),
        hexBytes("02 84 FF FF FF FF 01"),
    };
    for (const std::string& bytes : items) {
        SCOPED_TRACE(toHex(bytes));
        std::size_t readCursor = 0;
        int type = 0;
        const std::string text = ReadItem(bytes, readCursor, type);
        std::size_t walkCursor = 0;
        const BerItem item = walkItem(bytes, walkCursor);
        EXPECT_EQ(walkCursor, readCursor);
        EXPECT_EQ(item.tag, type);
        EXPECT_EQ(itemNumber(item), decimalInt32OrZero(text));
        if (item.constructed) {
            EXPECT_EQ(item.content, text);
            EXPECT_EQ(itemText(item), "");
        } else {
            EXPECT_EQ(itemText(item), text);
        }
    }
}

} // namespace
