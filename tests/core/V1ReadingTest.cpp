// A value of an SNMPv1 poll as its 32-bit arithmetic takes it: the same
// number, and the same words for what is none, whether the value came typed
// from the decoder or as a text from a scripted network.
#include "BerTag.h"
#include "ConvertError.h"
#include "SensorPoll.h"

#include <gtest/gtest.h>

namespace {

TEST(V1Reading, TypedValuesReadAsTheirTextsAlwaysDid)
{
    const struct
    {
        const char* what;
        SnmpValue value;
        int32_t reading;
        const char* text; // the same value as a text of the old decoder
    } rows[] = {
        {"Counter32 past 2^31", SnmpValue::ofUnsigned(3000000000u, BerTag::Counter32), -1294967296,
         "-1294967296"},
        {"Counter32 top", SnmpValue::ofUnsigned(4294967295u, BerTag::Counter32), -1, "-1"},
        {"TimeTicks", SnmpValue::ofUnsigned(100, BerTag::TimeTicks), 100, "100"},
        {"Counter64 within 31 bits", SnmpValue::ofUnsigned(2147483647, BerTag::Counter64),
         2147483647, "2147483647"},
        {"INTEGER lowest", SnmpValue::ofInteger(-2147483647 - 1), -2147483647 - 1, "-2147483648"},
        {"digits as an octet string", SnmpValue::ofText("12345"), 12345, "12345"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(SensorPoll::v1Reading(r.value), r.reading) << r.what;
        EXPECT_EQ(SensorPoll::v1Reading(SnmpValue::ofText(r.text)), r.reading) << r.what;
    }
}

TEST(V1Reading, WhatIsNoNumberIsNamedInTheWordsOfBefore)
{
    const struct
    {
        const char* what;
        SnmpValue value;
        const char* message;
    } rows[] = {
        {"text", SnmpValue::ofText("abc"), "'abc' is not a valid integer value"},
        {"Counter64 past 31 bits", SnmpValue::ofUnsigned(2147483648u, BerTag::Counter64),
         "'2147483648' is not a valid integer value"},
        {"INTEGER past 32 bits", SnmpValue::ofInteger(int64_t(1) << 40),
         "'1099511627776' is not a valid integer value"},
    };
    for (const auto& r : rows) {
        try {
            SensorPoll::v1Reading(r.value);
            ADD_FAILURE() << r.what << ": no error";
        } catch (const TConvertError& error) {
            EXPECT_STREQ(error.what(), r.message) << r.what;
        }
    }
}

} // namespace
