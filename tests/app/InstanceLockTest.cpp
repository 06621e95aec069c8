#include "InstanceLock.h"

#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

TEST(InstanceLockTest, TheSecondTakerIsRefusedAndToldWhoHoldsTheLock)
{
    TempDirectory runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    const InstanceLock::TTaken first = InstanceLock::take();
    ASSERT_TRUE(first.lock);
    EXPECT_FALSE(first.refused);
    const InstanceLock::TTaken second = InstanceLock::take();
    EXPECT_FALSE(second.lock);
    EXPECT_TRUE(second.refused);
    // This test program runs without "--headless": it counts as the window.
    EXPECT_EQ(second.holder, "the window (process " + std::to_string(getpid()) + ")");
    unsetenv("XDG_RUNTIME_DIR");
}

struct RefusalCase
{
    const char* holder;
    const char* text;
};

TEST(InstanceLockTest, TheWindowsRefusalNamesTheHeadlessMonitorOnly)
{
    const RefusalCase cases[] = {
        {"", "Travimetra is already running !"},
        {"the window (process 12)", "Travimetra is already running !"},
        {"the headless monitor (process 34)",
         "Travimetra is already running !\n\rIt runs as the headless monitor (process 34), "
         "without a window."},
    };
    for (const RefusalCase& c : cases) {
        InstanceLock::TTaken taken;
        taken.refused = true;
        taken.holder = c.holder;
        EXPECT_EQ(InstanceLock::refusalText(taken), c.text) << c.holder;
    }
}

} // namespace
