#include "AddressLiteral.h"

#include <gtest/gtest.h>

namespace {

TEST(AddressLiteral, RecognisesIPv4Literals)
{
    for (const char* text : {"127.0.0.1", "0.0.0.0", "255.255.255.255", "10.0.0.1"})
        EXPECT_TRUE(AddressLiteral::isIP4(text)) << text;
    for (const char* text : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.", ".1.2.3", "1..2.3",
                             "1.2.3.4a", "a.b.c.d", "1.2.3.1000", " 1.2.3.4"})
        EXPECT_FALSE(AddressLiteral::isIP4(text)) << text;
}

TEST(AddressLiteral, RecognisesIPv6LiteralsWithZones)
{
    for (const char* text : {"::1", "::", "::0", "fe80::1%lo", "2001:db8::", "1:2:3:4:5:6:7:8",
                             "1:2:3:4:5:6:7::", "ABCD:ef01::9"})
        EXPECT_TRUE(AddressLiteral::isIP6(text)) << text;
    for (const char* text : {"", ":", ":::", "1:2:3:4:5:6:7:8:9", "1::2::3", "12345::", "fe80::1%",
                             "g::1", "1:2:3:4:5:6:7:8::", "1:", "router.home", "127.0.0.1"})
        EXPECT_FALSE(AddressLiteral::isIP6(text)) << text;
}

} // namespace
