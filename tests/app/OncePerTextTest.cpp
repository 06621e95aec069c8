#include "OncePerText.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(OncePerTextTest, EachTextIsWrittenOnceAsOneLine)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    OncePerText out(file);
    EXPECT_TRUE(out.tell("Error on DL sensor"));
    EXPECT_FALSE(out.tell("Error on DL sensor"));
    EXPECT_TRUE(out.tell("The settings file could not be read completely. It was kept as\n\r"
                         "/x.reg\n\rSettings start again."));
    std::rewind(file);
    char buffer[512] = {};
    const std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    EXPECT_EQ(std::string(buffer, got),
              "travimetra: Error on DL sensor\n"
              "travimetra: The settings file could not be read completely. It was kept as; "
              "/x.reg; Settings start again.\n");
}

struct LineCase
{
    const char* in;
    const char* out;
};

TEST(OncePerTextTest, EveryKindOfLineBreakBecomesOneSeparator)
{
    const LineCase cases[] = {{"a\nb", "a; b"},
                              {"a\rb", "a; b"},
                              {"a\n\rb", "a; b"},
                              {"a\r\nb", "a; b"},
                              {"a\n\nb", "a; ; b"},
                              {"plain", "plain"},
                              {"", ""}};
    for (const LineCase& c : cases)
        EXPECT_EQ(OncePerText::oneLine(c.in), c.out) << c.in;
}

} // namespace
