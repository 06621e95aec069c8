// What the decoders' bindings become as typed values: numbers stay numbers,
// texts stay texts, and nothing and exceptions are told apart.
#include "SnmpValue.h"
#include "BerTag.h"
#include "TSNMPMib.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// One row per kind and per bound of each width.
TEST(SnmpValue, RecordBindingsOfSnmpV1BecomeTheirNumbers)
{
    const struct
    {
        const char* what;
        TSNMPMib binding;
        ValueKind kind;
        std::uint64_t number;
        std::string text;
    } rows[] = {
        {"Counter32 past 2^31, rendered signed",
         {"o", "-1294967296", BerTag::Counter32},
         ValueKind::Unsigned,
         3000000000u,
         ""},
        {"Counter32 top", {"o", "-1", BerTag::Counter32}, ValueKind::Unsigned, 4294967295u, ""},
        {"Gauge32 zero", {"o", "0", BerTag::Gauge32}, ValueKind::Unsigned, 0, ""},
        {"TimeTicks", {"o", "12345", BerTag::TimeTicks}, ValueKind::Unsigned, 12345, ""},
        {"Counter64 top",
         {"o", "18446744073709551615", BerTag::Counter64},
         ValueKind::Unsigned,
         UINT64_MAX,
         ""},
        {"INTEGER negative",
         {"o", "-5", BerTag::Integer},
         ValueKind::Integer,
         static_cast<std::uint64_t>(std::int64_t(-5)),
         ""},
        {"octet string of digits",
         {"o", "12345", BerTag::OctetString},
         ValueKind::Text,
         0,
         "12345"},
        {"octet string", {"o", "eth0", BerTag::OctetString}, ValueKind::Text, 0, "eth0"},
        {"a counter that is no number", {"o", "x", BerTag::Counter32}, ValueKind::Text, 0, "x"},
        {"NULL", {"o", "", BerTag::Null}, ValueKind::None, 0, ""},
    };
    for (const auto& r : rows) {
        const SnmpValue value = SnmpValue::ofRecord(r.binding);
        EXPECT_EQ(value.kind, r.kind) << r.what;
        EXPECT_EQ(value.number, r.number) << r.what;
        EXPECT_EQ(value.text, r.text) << r.what;
        EXPECT_EQ(value.type, r.binding.ValueType) << r.what;
    }
}

TEST(SnmpValue, BindingsOfTheOtherVersionsKeepTheirNumbers)
{
    const struct
    {
        const char* what;
        SnmpBinding binding;
        ValueKind kind;
        ValueOutcome outcome;
        std::uint64_t number;
    } rows[] = {
        {"Counter64",
         {"o", BerTag::Counter64, "", UINT64_MAX},
         ValueKind::Unsigned,
         ValueOutcome::Value,
         UINT64_MAX},
        {"Counter32",
         {"o", BerTag::Counter32, "", 4294967295u},
         ValueKind::Unsigned,
         ValueOutcome::Value,
         4294967295u},
        {"INTEGER", {"o", BerTag::Integer, "7", 0}, ValueKind::Integer, ValueOutcome::Value, 7},
        {"octet string",
         {"o", BerTag::OctetString, "12345", 0},
         ValueKind::Text,
         ValueOutcome::NotANumber,
         0},
        {"noSuchInstance",
         {"o", BerTag::NoSuchInstance, "", 0},
         ValueKind::Exception,
         ValueOutcome::Exception,
         0},
        {"endOfMibView",
         {"o", BerTag::EndOfMibView, "", 0},
         ValueKind::Exception,
         ValueOutcome::Exception,
         0},
        {"NULL", {"o", BerTag::Null, "", 0}, ValueKind::None, ValueOutcome::Exception, 0},
    };
    for (const auto& r : rows) {
        const SnmpValue value = SnmpValue::ofBinding(r.binding);
        EXPECT_EQ(value.kind, r.kind) << r.what;
        EXPECT_EQ(valueOutcome(value), r.outcome) << r.what;
        EXPECT_EQ(value.number, r.number) << r.what;
    }
}

TEST(SnmpValue, OnlyNumbersWithinTheBoundAreUnsigned)
{
    const std::uint64_t max32 = 4294967295u;
    const struct
    {
        const char* what;
        SnmpValue value;
        std::uint64_t max;
        bool ok;
        std::uint64_t number;
    } rows[] = {
        {"at the bound", SnmpValue::ofUnsigned(max32, BerTag::Counter32), max32, true, max32},
        {"past the bound", SnmpValue::ofUnsigned(max32 + 1, BerTag::Counter64), max32, false, 0},
        {"INTEGER 0", SnmpValue::ofInteger(0), max32, true, 0},
        {"INTEGER -1", SnmpValue::ofInteger(-1), UINT64_MAX, false, 0},
        {"digits as text", SnmpValue::ofText("42"), max32, true, 42},
        {"text past the bound", SnmpValue::ofText("4294967296"), max32, false, 0},
        {"signed text", SnmpValue::ofText("-1"), max32, false, 0},
        {"empty text", SnmpValue::ofText(""), max32, false, 0},
        {"nothing", SnmpValue{}, max32, false, 0},
    };
    for (const auto& r : rows) {
        std::uint64_t number = 0;
        EXPECT_EQ(unsignedOf(r.value, r.max, number), r.ok) << r.what;
        EXPECT_EQ(number, r.number) << r.what;
    }
}

TEST(SnmpValue, OnlyIntegersAndCountersAreCounters)
{
    EXPECT_TRUE(SnmpValue::ofUnsigned(1, BerTag::Counter32).isCounter());
    EXPECT_TRUE(SnmpValue::ofUnsigned(1, BerTag::Counter64).isCounter());
    EXPECT_TRUE(SnmpValue::ofUnsigned(1, BerTag::Gauge32).isCounter());
    EXPECT_TRUE(SnmpValue::ofInteger(1).isCounter());
    EXPECT_FALSE(SnmpValue::ofUnsigned(1, BerTag::TimeTicks).isCounter());
    EXPECT_FALSE(SnmpValue::ofText("12345").isCounter());
    EXPECT_FALSE(SnmpValue{}.isCounter());
}

} // namespace
