// The program itself: started on the offscreen platform over a seeded store,
// ended by SIGTERM like a log-out, it must save its settings on the way out.
#include "MainFormFixture.h"

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

class Program : public MainFormFixture
{
};

TEST_F(Program, TerminationSignalEndsLikeExitAndSaves)
{
    TMonitorSettings s = typicalSettings();
    s.Interval = 60;
    // A live sensor on an address where nothing answers: its saved maximum
    // must come back as 1.
    s.Sensors = {configuredSensor("127.0.0.59", "Live")};
    s.Sensors[0].SpeedType = stLive;
    seedStore(s, 8);
    WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "DownSpeed", 5000, rdInteger);

    for (const int signal : {SIGTERM, SIGINT}) {
        const char* argv[] = {TRAVIMETRA_PROGRAM, nullptr};
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, TRAVIMETRA_PROGRAM, nullptr, nullptr, const_cast<char**>(argv),
                              environ),
                  0);
        // Running once the start has been counted.
        int32_t timesRun = 0;
        const int expected = signal == SIGTERM ? 9 : 10;
        for (int i = 0; i < 100 && timesRun != expected; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            try {
                regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun"),
                                timesRun);
            } catch (const std::exception&) {
            }
        }
        EXPECT_EQ(timesRun, expected);
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "DownSpeed", 5000, rdInteger);
        ASSERT_EQ(kill(pid, signal), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        int32_t downSpeed = 0;
        regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "DownSpeed"), downSpeed);
        EXPECT_EQ(downSpeed, 1);
    }
}

} // namespace
