#include "DecimalText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

struct ParseCase
{
    const char* text;
    bool valid;
    std::int32_t value;
};

TEST(DecimalText, ParsesOnlyPlainSigned32BitDecimals)
{
    const std::vector<ParseCase> cases = {
        {"0", true, 0},
        {"42", true, 42},
        {"-1", true, -1},
        {"007", true, 7},
        {"2147483647", true, std::numeric_limits<std::int32_t>::max()},
        {"-2147483648", true, std::numeric_limits<std::int32_t>::min()},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"4294967295", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"+5", false, 0},
        {" 5", false, 0},
        {"5 ", false, 0},
        {"12a", false, 0},
        {"0x10", false, 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::int32_t value = 99;
        EXPECT_EQ(parseDecimalInt32(c.text, value), c.valid);
        EXPECT_EQ(value, c.valid ? c.value : 99); // untouched when refused
        EXPECT_EQ(decimalInt32OrZero(c.text), c.value);
    }
}

TEST(DecimalText, WritesEveryRangeOfValues)
{
    const std::vector<std::int64_t> values = {0,
                                              9,
                                              10,
                                              99,
                                              100,
                                              123456,
                                              -1,
                                              -10,
                                              std::numeric_limits<std::int64_t>::max(),
                                              std::numeric_limits<std::int64_t>::min()};
    for (const std::int64_t value : values) {
        SCOPED_TRACE(value);
        std::string text = "x";
        appendDecimal(text, value);
        EXPECT_EQ(text, "x" + std::to_string(value));
        EXPECT_LE(text.size() - 1, MaxDecimalChars);
    }
}

} // namespace
