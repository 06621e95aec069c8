#include "ExternalAddress.h"

#include <gtest/gtest.h>

namespace {

using ExternalAddress::captionFromAnswer;

TEST(ExternalAddress, FirstLineOfASuccessfulAnswerUnchanged)
{
    EXPECT_EQ(captionFromAnswer(true, {" 203.0.113.9 ", "second", "third"}), " 203.0.113.9 ");
    // An error page that arrived whole is still an answer.
    EXPECT_EQ(captionFromAnswer(true, {"<html>Not Found</html>"}), "<html>Not Found</html>");
    EXPECT_EQ(captionFromAnswer(true, {""}), "");
}

TEST(ExternalAddress, FailureOrEmptyBodyKeepsTheCaption)
{
    EXPECT_FALSE(captionFromAnswer(false, {"203.0.113.9"}));
    EXPECT_FALSE(captionFromAnswer(true, {}));
}

} // namespace
