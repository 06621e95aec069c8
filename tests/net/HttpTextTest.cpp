#include "HttpText.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(HttpText, EncodesBase64)
{
    EXPECT_EQ(HttpText::base64(""), "");
    EXPECT_EQ(HttpText::base64("f"), "Zg==");
    EXPECT_EQ(HttpText::base64("fo"), "Zm8=");
    EXPECT_EQ(HttpText::base64("foo"), "Zm9v");
    EXPECT_EQ(HttpText::base64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(HttpText::base64("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
}

TEST(HttpText, SplitsLinesAtEveryLineEnd)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(HttpText::splitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(HttpText::splitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(HttpText::splitLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(HttpText::splitLines(""), Lines{});
}

TEST(HttpText, ParsesNumbersStrictly)
{
    std::int64_t value = 0;
    EXPECT_TRUE(HttpText::parseDecimal("13", value));
    EXPECT_EQ(value, 13);
    EXPECT_TRUE(HttpText::parseDecimal("-4", value));
    EXPECT_EQ(value, -4);
    for (const char* bad : {"", "+", "1a", " 1", "99999999999999999999"})
        EXPECT_FALSE(HttpText::parseDecimal(bad, value)) << bad;

    bool valid = false, overflow = false;
    EXPECT_EQ(HttpText::parseHex("1a", valid, overflow), 26u);
    EXPECT_TRUE(valid);
    EXPECT_EQ(HttpText::parseHex("zz", valid, overflow), 0u);
    EXPECT_FALSE(valid);
    HttpText::parseHex("1ffffffffffffffff", valid, overflow);
    EXPECT_TRUE(overflow);
}

TEST(HttpText, DecimalLimitsMetExactly)
{
    std::int64_t value = 0;
    ASSERT_TRUE(HttpText::parseDecimal("9223372036854775807", value));
    EXPECT_EQ(value, std::numeric_limits<std::int64_t>::max());
    // One more, in the last digit or in a longer number: refused, not wrapped.
    for (const char* over : {"9223372036854775808", "9223372036854775809", "92233720368547758070"})
        EXPECT_FALSE(HttpText::parseDecimal(over, value)) << over;

    bool valid = false, overflow = false;
    EXPECT_EQ(HttpText::parseHex("ffffffffffffffff", valid, overflow), ~std::uint64_t(0));
    EXPECT_FALSE(overflow);
    HttpText::parseHex("10000000000000000", valid, overflow);
    EXPECT_TRUE(overflow);
}

} // namespace
