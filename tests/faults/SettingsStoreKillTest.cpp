// The settings store under a process that is killed (SIGKILL) while it saves:
// whatever the moment, the store loads completely and holds one whole set of
// values, the old or the new, and stays readable by its owner only.

#include "ProcessProbes.h"

#include "core/FakeMonitorWindow.h"

#include "RegStoreFile.h"
#include "TempDirectory.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Two complete sets of settings that differ in every value the test looks at.
TMonitorSettings generation(int which)
{
    TMonitorSettings s;
    const std::string tag = which == 0 ? "old" : "new";
    s.ScaleSize = which == 0 ? 100 : 150;
    s.Interval = which == 0 ? 5 : 7;
    s.LogFile = "/var/log/" + tag + ".log";
    s.SysLogServer = tag + ".example";
    s.LatencyHost = "127.0.0." + std::to_string(10 + which);
    // Values the dialogs allow, so that a load finds nothing to heal.
    s.LogType = TLogType::OneFile;
    s.LogTime = 30;
    s.resizeSensors(which == 0 ? 2 : 3);
    for (std::size_t i = 0; i < s.Sensors.size(); ++i) {
        TSensorRecord& r = s.Sensors[i];
        r.Active = true;
        r.HostName = tag + "-" + std::to_string(i);
        r.HostIP = "127.0.0." + std::to_string(20 + which);
        r.Community = tag + "-community";
        r.Sensor = std::to_string(i + 1);
        r.SpeedType = stDetected;
        r.GraphPixels = 1;
        r.DownSpeed = which == 0 ? 1024 : 2048;
        r.UpSpeed = which == 0 ? 512 : 4096;
    }
    return s;
}

std::string fileContent(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        }
        closedir(dir);
    }
    return names;
}

class SettingsStoreKill : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("HOME", m_dir.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", m_dir.file("config").c_str(), 1);
        setenv("XDG_STATE_HOME", m_dir.file("state").c_str(), 1);
    }

    // Which generation the store holds, -1 when it is none of them whole.
    static int loadedGeneration()
    {
        TMonitorSettings loaded;
        FakeMonitorWindow window;
        window.m_latency = 1000;
        LoadSettings(loaded, window);
        for (int which : {0, 1}) {
            const TMonitorSettings expected = generation(which);
            if (loaded.Interval != expected.Interval || loaded.ScaleSize != expected.ScaleSize ||
                loaded.LogFile != expected.LogFile ||
                loaded.SysLogServer != expected.SysLogServer ||
                loaded.LatencyHost != expected.LatencyHost ||
                loaded.Sensors.size() != expected.Sensors.size())
                continue;
            bool same = true;
            for (std::size_t i = 0; i < loaded.Sensors.size(); ++i) {
                const TSensorRecord& a = loaded.Sensors[i];
                const TSensorRecord& b = expected.Sensors[i];
                same = same && a.HostName == b.HostName && a.HostIP == b.HostIP &&
                       a.Community == b.Community && a.Sensor == b.Sensor &&
                       a.DownSpeed == b.DownSpeed && a.UpSpeed == b.UpSpeed && a.Active;
            }
            if (same)
                return which;
        }
        return -1;
    }

    TempDirectory m_dir;
};

TEST_F(SettingsStoreKill, AThousandKillsInTheMiddleOfSaveSettings)
{
    const long kills = ProcessProbes::countFromEnvironment("TRAVIMETRA_FAULT_KILLS", 1000);
    {
        TMonitorSettings first = generation(0);
        FakeMonitorWindow window;
        window.m_latency = 1000;
        SaveSettings(first, window);
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun", 1, rdInteger);
    }
    const std::string store = RegStoreFile::path();
    const std::string folder = store.substr(0, store.find_last_of('/'));
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delayMicroseconds(0, 15000);
    int seen[2] = {0, 0};

    for (long kill = 0; kill < kills; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves the two generations in turn until it is killed.
            for (int which = 1;; which ^= 1) {
                TMonitorSettings s = generation(which);
                FakeMonitorWindow window;
                window.m_latency = 1000;
                window.m_latency = 1000;
                SaveSettings(s, window);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saver ended by itself";

        // Loading changes nothing: every value is there.
        const std::string before = fileContent(store);
        const int which = loadedGeneration();
        ASSERT_NE(which, -1) << "after kill " << kill << ":\n" << before;
        ASSERT_EQ(fileContent(store), before) << "the load had to fill in values";
        ++seen[which];
        struct stat info
        {
        };
        ASSERT_EQ(stat(store.c_str(), &info), 0);
        ASSERT_EQ(info.st_mode & 07777, 0600u);
    }
    std::printf("[ figures  ] %ld kills: old values %d times, new values %d times, "
                "files left in the folder: %zu\n",
                kills, seen[0], seen[1], folderEntries(folder).size());
    // Nothing of the interrupted writes piles up beside the store: at most the
    // one temporary of the last write cut off, which the next save replaces.
    std::vector<std::string> left = folderEntries(folder);
    std::sort(left.begin(), left.end());
    if (left.size() == 2)
        EXPECT_EQ(left[1], "Travimetra.reg.tmp");
    else
        EXPECT_EQ(left, std::vector<std::string>{"Travimetra.reg"});
    TMonitorSettings last = generation(1);
    FakeMonitorWindow window;
    SaveSettings(last, window);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"Travimetra.reg"});
}

} // namespace
