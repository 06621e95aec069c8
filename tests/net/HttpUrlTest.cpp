#include "HttpUrl.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitURL, TakesAllPartsOfAFullURL)
{
    const THttpUrlParts p = SplitURL("http://ann:se:cret@example.test:8080/x/y?a=1&b=2");
    EXPECT_EQ(p.Prot, "http");
    EXPECT_EQ(p.User, "ann");
    EXPECT_EQ(p.Pass, "se:cret");
    EXPECT_EQ(p.Host, "example.test");
    EXPECT_EQ(p.Port, "8080");
    EXPECT_EQ(p.Path, "/x/y");
    EXPECT_EQ(p.Para, "a=1&b=2");
    EXPECT_EQ(p.URI, "/x/y?a=1&b=2");
}

TEST(SplitURL, FillsDefaults)
{
    THttpUrlParts p = SplitURL("example.test");
    EXPECT_EQ(p.Prot, "http");
    EXPECT_EQ(p.Host, "example.test");
    EXPECT_EQ(p.Port, "80");
    EXPECT_EQ(p.URI, "/");
    EXPECT_EQ(p.Path, "/");
    EXPECT_EQ(p.Para, "");
    EXPECT_EQ(SplitURL("HTTPS://h/").Port, "443");
    EXPECT_EQ(SplitURL("ftp://h/").Port, "21");
    EXPECT_EQ(SplitURL("http:///path").Host, "localhost");
    p = SplitURL("http://user@h");
    EXPECT_EQ(p.User, "user");
    EXPECT_EQ(p.Pass, "");
    EXPECT_EQ(p.Host, "h");
    // An "@" after the first "/" belongs to the path.
    p = SplitURL("http://h/mail@x");
    EXPECT_EQ(p.User, "");
    EXPECT_EQ(p.Host, "h");
    EXPECT_EQ(p.URI, "/mail@x");
}

TEST(SplitURL, ReadsBracketedIPv6Hosts)
{
    THttpUrlParts p = SplitURL("http://[::1]:8080/a");
    EXPECT_EQ(p.Host, "::1");
    EXPECT_EQ(p.Port, "8080");
    p = SplitURL("http://[fe80::2]/");
    EXPECT_EQ(p.Host, "fe80::2");
    EXPECT_EQ(p.Port, "80");
}

} // namespace
