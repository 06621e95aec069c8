// The program's command line for scripts: totals on standard output with no
// display at all, from the history the running program writes.
#include "usage/UsageTestSupport.h"

#include "RegSession.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    EXPECT_NE(csv.find(",123456789,30864197\n"), std::string::npos) << csv;

    const std::string wrong = runProgram("--usage --period soon", status);
    EXPECT_EQ(status, 2);
    EXPECT_NE(wrong.find("Usage: travimetra --usage"), std::string::npos) << wrong;
}

} // namespace
