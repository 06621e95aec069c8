// The program's command line for scripts: totals on standard output with no
// display at all, from the history the running program writes.
#include "usage/UsageTestSupport.h"

#include "RegSession.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

class UsageProgramTest : public UsageFixture
{
protected:
    // Runs the program with `arguments` and no display; returns its output.
    std::string runProgram(const std::string& arguments, int& status)
    {
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " TRAVIMETRA_PROGRAM " " +
            arguments + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        std::string output;
        char buffer[512];
        while (pipe && fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        status = pipe ? WEXITSTATUS(pclose(pipe)) : -1;
        return output;
    }
};

TEST_F(UsageProgramTest, PrintsTheTotalsOfTheStoredSensors)
{
    {
        TRegSession session;
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "NumberOfHosts", 1, rdInteger);
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "HostName", std::string("Router"),
                      rdString);
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "HostIP", std::string("10.1.1.1"),
                      rdString);
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "Sensor", std::string("4"), rdString);
        session.commit();
    }
    // Written by a recorder that stays open, as the running program's does.
    TUsageRecorder recorder(dbPath(), nullptr);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    feedMinute(recorder, "10.1.1.1#4", now - 120, 123456789);
    recorder.flush(now);

    int status = -1;
    const std::string csv = runProgram("--usage --csv --sensor Router", status);
    EXPECT_EQ(status, 0) << csv;
    EXPECT_NE(csv.find("\"Router\",\"10.1.1.1#4\","), std::string::npos) << csv;
    EXPECT_NE(csv.find(",123456789,30864197,0,0\n"), std::string::npos) << csv;

    const std::string wrong = runProgram("--usage --period soon", status);
    EXPECT_EQ(status, 2);
    EXPECT_NE(wrong.find("Usage: travimetra --usage"), std::string::npos) << wrong;
}

struct StoreCase
{
    const char* name;
    std::string content;
};

// A report reads the settings as they are: a file its reader does not
// understand whole is neither moved aside nor written again.
TEST_F(UsageProgramTest, TheReportLeavesTheSettingsFileByteForByte)
{
    const std::string header = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quorvane\\Travimetra]\n";
    const StoreCase cases[] = {
        {"a value and a trailing comment", header + "\"NumberOfHosts\"=dword:00000000 ; none\n"},
        {"a comment line after a value", header + "\"NumberOfHosts\"=dword:00000000\n; none\n"},
        {"a line nobody understands", header + "\"NumberOfHosts\"=dword:00000000\nnonsense\n"},
        {"understood whole", header + "\"NumberOfHosts\"=dword:00000000\n"},
    };
    const auto folder = m_root / "config" / "Quorvane";
    const auto store = folder / "Travimetra.reg";
    for (const bool withHistory : {true, false}) {
        std::filesystem::remove_all(m_root / "data");
        if (withHistory) {
            TUsageRecorder recorder(dbPath(), nullptr);
            feedMinute(recorder, "10.1.1.1#4", std::time(nullptr) - 120, 1000);
            recorder.flush(std::time(nullptr));
        }
        for (const StoreCase& c : cases) {
            std::filesystem::remove_all(folder);
            std::filesystem::create_directories(folder);
            std::ofstream(store, std::ios::binary) << c.content;
            const auto written = std::filesystem::last_write_time(store);
            int status = -1;
            const std::string output = runProgram("--usage", status);
            EXPECT_EQ(status, withHistory ? 0 : 1) << c.name << ": " << output;
            std::ifstream in(store, std::ios::binary);
            const std::string after((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
            EXPECT_EQ(after, c.content) << c.name;
            EXPECT_EQ(std::filesystem::last_write_time(store), written) << c.name;
            std::vector<std::string> files;
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                files.push_back(entry.path().filename().string());
            EXPECT_EQ(files, std::vector<std::string>{"Travimetra.reg"}) << c.name;
        }
    }
}

} // namespace
