// The program itself: started on the offscreen platform over a seeded store,
// ended by SIGTERM like a log-out, it must save its settings on the way out.
#include "MainFormFixture.h"

#include "PeerRequirement.h"
#include "ScriptedAgent.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

class Program : public MainFormFixture
{
protected:
    // The program on the offscreen platform; 0 when it could not be started.
    static pid_t startProgram()
    {
        const char* argv[] = {TRAVIMETRA_PROGRAM, nullptr};
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        pid_t pid = 0;
        if (posix_spawn(&pid, TRAVIMETRA_PROGRAM, nullptr, nullptr, const_cast<char**>(argv),
                        environ) != 0)
            return 0;
        return pid;
    }

    // Waits for the program to end; nothing after `limit`.
    static std::optional<int> waitEnd(pid_t pid, std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (waitpid(pid, &status, WNOHANG) == pid)
                return status;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::nullopt;
    }

    std::filesystem::path storeFile() const
    {
        return m_root / "config" / "Quorvane" / "Travimetra.reg";
    }
};

// Ten sensors on an agent that never answers: each read waits 5 s. SIGTERM
// in the middle of them must not wait them out, and the settings are still
// saved on the way out.
TEST_F(Program, TerminationWithReadsOutstandingEndsAtOnceAndSaves)
{
    ScriptedAgent silent("127.0.0.134");
    REQUIRE_PEER(silent.start([](const ScriptedAgent::Request&) {
        return std::vector<ScriptedAgent::Datagram>{};
    }),
                 silent.error());
    TMonitorSettings s = typicalSettings();
    s.Interval = 1;
    for (int i = 0; i < 10; ++i) {
        s.Sensors.push_back(configuredSensor("127.0.0.134", "Silent " + std::to_string(i)));
        s.Sensors.back().SpeedType = stLive;
    }
    seedStore(s, 2);
    const pid_t pid = startProgram();
    ASSERT_GT(pid, 0);
    // Every sensor's first read is out.
    for (int i = 0; i < 200 && silent.requests().size() < 10; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_GE(silent.requests().size(), 10u);
    WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(7), "DownSpeed", 5000, rdInteger);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    // Well under one read's time-out: the reads were ended, not waited out.
    const std::optional<int> status = waitEnd(pid, std::chrono::milliseconds(4000));
    if (!status) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        FAIL() << "the program still waited for its reads";
    }
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    // The live maximum went back to the store: the settings were saved.
    int32_t downSpeed = 0;
    regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, sensorKeyPath(7), "DownSpeed"), downSpeed);
    EXPECT_EQ(downSpeed, 1);
    // One request per read, none sent twice on the way out.
    EXPECT_LE(silent.requests().size(), 20u);
}

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
        const pid_t pid = startProgram();
        ASSERT_GT(pid, 0);
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

TEST_F(Program, TerminationSignalEndsAStartThatWaitsInAMessageBox)
{
    // A folder or a FIFO in the store's place cannot be read or set aside:
    // the start reports it in a box. The signal must end the program there,
    // and nothing may take the store's place.
    struct Case
    {
        const char* name;
        int signal;
        bool fifo;
    };
    const Case cases[] = {{"SIGTERM, folder", SIGTERM, false}, {"SIGINT, FIFO", SIGINT, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(storeFile());
        std::filesystem::create_directories(storeFile().parent_path());
        if (c.fifo) {
            ASSERT_EQ(mkfifo(storeFile().c_str(), 0600), 0);
        } else {
            std::filesystem::create_directories(storeFile());
        }
        const pid_t pid = startProgram();
        ASSERT_GT(pid, 0);
        // Time to get as far as the box.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the program should wait in its box";
        ASSERT_EQ(kill(pid, c.signal), 0);
        pid_t ended = 0;
        for (int i = 0; i < 100 && ended == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ended = waitpid(pid, &status, WNOHANG);
        }
        if (ended == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            FAIL() << "the signal did not end the program within 5 s";
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(std::filesystem::is_fifo(storeFile()), c.fifo);
        EXPECT_EQ(std::filesystem::is_directory(storeFile()), !c.fifo);
    }
    std::filesystem::remove_all(storeFile());
}

} // namespace
