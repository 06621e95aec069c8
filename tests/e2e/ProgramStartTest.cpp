// Starting the program as a user does: the first start with nothing stored,
// a second start while one is running, and the end by SIGTERM.
#include "Desktop.h"
#include "Waiting.h"

#include <algorithm>
#include <csignal>
#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

// Every value the program keeps, globally and per sensor.
const char* const kGlobalValues[] = {
    "TimesRun",     "NumberOfHosts", "Top",           "Left",           "Alpha",
    "AlwaysOnTop",  "ScaleSize",     "Interval",      "BackColor",      "ShowExtendedInfo",
    "ShowX",        "XAction",       "AutoStart",     "StartMinimized", "ShowHints",
    "DoPing",       "EnableLog",     "LogFile",       "LogFolder",      "LogType",
    "SysLogServer", "LogTime",       "LogSecMinType", "LatencySensor",  "LatencyTimer",
    "LatencyHost",  "RateUnit",      "SecretsInFile"};
const char* const kSensorValues[] = {
    "Active",           "HostName",         "HostIP",         "Community",  "Sensor",
    "SensorName",       "DownSpeed",        "UpSpeed",        "SpeedType",  "SwapedInOut",
    "ULColor",          "DLColor",          "LightColor",     "DarkColor",  "GraphPixels",
    "LighterLine",      "UseLightColorFor", "TimerToUse",     "HalfHeight", "SnmpVersion",
    "UsagePeriodStart", "UsageQuotaGB",     "UsageQuotaKind", "V3UserName", "V3SecurityLevel",
    "V3AuthProtocol",   "V3PrivProtocol"};

} // namespace

TEST_F(E2EFixture, FirstStartWritesEveryDefaultIntoAPrivateStore)
{
    auto program = launch();
    ASSERT_TRUE(waitUntil([&] { return StoreFile::read(home()).has_value(); }, 10s))
        << program->output();
    // The first load writes the file in one go; give it the moment to finish.
    std::optional<StoreFile::Values> store;
    ASSERT_TRUE(waitUntil(
        [&] {
            store = StoreFile::read(home());
            // Complete once the start has been counted, after the load.
            return store && store->count("0") &&
                   store->at("0").size() == std::size(kSensorValues) &&
                   StoreFile::integer(*store, "", "TimesRun") == std::optional<std::int32_t>(1);
        },
        10s));
    for (const char* name : kGlobalValues)
        EXPECT_EQ(store->at("").count(name), 1u) << name;
    for (const char* name : kSensorValues)
        EXPECT_EQ(store->at("0").count(name), 1u) << name;
    EXPECT_EQ(StoreFile::integer(*store, "", "TimesRun"), std::optional<std::int32_t>(1));
    EXPECT_EQ(store->at("0").at("HostIP"), "\"192.168.1.1\"");
    // The logs default to the user's state folder.
    EXPECT_EQ(store->at("").at("LogFile"),
              "\"" + home() + "/.local/state/Travimetra/Travimetra.log\"");
    // The default place is the bottom right corner.
    EXPECT_EQ(StoreFile::integer(*store, "", "Left"),
              std::optional<std::int32_t>(XSession::kWidth - 260 - 1));
    // It holds community strings: the user's alone.
    struct stat info = {};
    ASSERT_EQ(::stat(StoreFile::path(home()).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

class ProgramStart : public DesktopFixture
{
};
TRAVIMETRA_ON_EVERY_DESKTOP(ProgramStart);

TEST_P(ProgramStart, FirstStartOpensTheOptions)
{
    auto program = launch();
    std::optional<XWindowProbe::Window> options;
    EXPECT_TRUE(waitUntil(
        [&] {
            options = probe().topLevel(program->pid(), "Travimetra Options");
            return options.has_value();
        },
        15s))
        << program->output();
    if (options)
        screenshot(*options, "first-start-options.png");
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

TEST_P(ProgramStart, ASecondStartSaysSoAndLeavesTheFirstRunning)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    ASSERT_TRUE(returningUser(1, lo).write(home()));
    auto first = launch();
    ASSERT_TRUE(mainWindow(*first, 10s)) << first->output();
    const auto storedBefore = StoreFile::read(home());

    auto second = launch();
    std::optional<XWindowProbe::Window> box;
    ASSERT_TRUE(waitUntil(
        [&] {
            box = probe().topLevel(second->pid(), "Travimetra");
            return box.has_value() || !second->running();
        },
        10s));
    ASSERT_TRUE(box) << "the second start showed no message; it said:\n" << second->output();
    // A message box, and no main window: the refused start ends before it
    // builds one. (The box's words cannot be read back through X; the GUI
    // tests check them.)
    const auto type = probe().atoms(*box, "_NET_WM_WINDOW_TYPE");
    EXPECT_NE(std::find(type.begin(), type.end(), "_NET_WM_WINDOW_TYPE_DIALOG"), type.end());
    const auto windows = probe().windowsOf(second->pid());
    EXPECT_EQ(std::count_if(
                  windows.begin(), windows.end(),
                  [&](auto w) { return probe().viewable(w) && probe().geometry(w).width == 260; }),
              0);
    screenshot(*box, "already-running.png");
    // A click gives the box the keyboard, Return is its OK.
    const auto g = probe().geometry(*box);
    click(g.x + g.width / 2, g.y + 10);
    x().run({"xdotool", "key", "Return"});
    EXPECT_EQ(second->waitForExit(10s), std::optional<int>(0));

    // The first goes on, and the refused start left the store alone.
    EXPECT_TRUE(first->running());
    EXPECT_TRUE(mainWindow(*first, 1s));
    EXPECT_EQ(StoreFile::read(home()), storedBefore);
    EXPECT_EQ(first->endWith(SIGTERM, 10s), std::optional<int>(0));
}
