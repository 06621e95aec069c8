#include "TICMPError.h"

#include <gtest/gtest.h>

namespace {

TEST(ICMPError, MapsIPv4TypesAndCodes)
{
    EXPECT_EQ(ICMPErrorFor(false, 0, 0), TICMPError::IE_NoError);
    EXPECT_EQ(ICMPErrorFor(false, 0, 9), TICMPError::IE_NoError);
    EXPECT_EQ(ICMPErrorFor(false, 3, 0), TICMPError::IE_UnreachRoute);
    EXPECT_EQ(ICMPErrorFor(false, 3, 1), TICMPError::IE_UnreachAddr);
    EXPECT_EQ(ICMPErrorFor(false, 3, 2), TICMPError::IE_UnreachOther);
    EXPECT_EQ(ICMPErrorFor(false, 3, 3), TICMPError::IE_UnreachPort);
    EXPECT_EQ(ICMPErrorFor(false, 3, 13), TICMPError::IE_UnreachAdmin);
    EXPECT_EQ(ICMPErrorFor(false, 11, 0), TICMPError::IE_TTLExceed);
    EXPECT_EQ(ICMPErrorFor(false, 8, 0), TICMPError::IE_Other);
    EXPECT_EQ(ICMPErrorFor(false, 129, 0), TICMPError::IE_Other);
}

TEST(ICMPError, MapsIPv6TypesAndCodes)
{
    EXPECT_EQ(ICMPErrorFor(true, 129, 0), TICMPError::IE_NoError);
    EXPECT_EQ(ICMPErrorFor(true, 1, 0), TICMPError::IE_UnreachRoute);
    EXPECT_EQ(ICMPErrorFor(true, 1, 1), TICMPError::IE_UnreachAdmin);
    EXPECT_EQ(ICMPErrorFor(true, 1, 3), TICMPError::IE_UnreachAddr);
    EXPECT_EQ(ICMPErrorFor(true, 1, 4), TICMPError::IE_UnreachPort);
    EXPECT_EQ(ICMPErrorFor(true, 1, 5), TICMPError::IE_UnreachOther);
    EXPECT_EQ(ICMPErrorFor(true, 3, 1), TICMPError::IE_TTLExceed);
    EXPECT_EQ(ICMPErrorFor(true, 0, 0), TICMPError::IE_Other);
    EXPECT_EQ(ICMPErrorFor(true, 128, 0), TICMPError::IE_Other);
}

TEST(ICMPError, HasTheUserTexts)
{
    EXPECT_EQ(ICMPErrorText(TICMPError::IE_NoError), "");
    EXPECT_EQ(ICMPErrorText(TICMPError::IE_Other), "Unknown error");
    EXPECT_EQ(ICMPErrorText(TICMPError::IE_TTLExceed), "TTL Exceeded");
    EXPECT_EQ(ICMPErrorText(TICMPError::IE_UnreachOther), "Unknown unreachable");
    EXPECT_EQ(ICMPErrorText(TICMPError::IE_UnreachRoute), "No route to destination");
    EXPECT_EQ(ICMPErrorText(TICMPError::IE_UnreachAdmin), "Administratively prohibited");
    EXPECT_EQ(ICMPErrorText(TICMPError::IE_UnreachAddr), "Address unreachable");
    EXPECT_EQ(ICMPErrorText(TICMPError::IE_UnreachPort), "Port unreachable");
}

} // namespace
