// The traffic log of the running program when its folder disappears and when
// its file system is full: each failure is reported through the log timer's
// report, the program goes on polling, and logging resumes, with whole lines
// only, once the cause is gone.

#include "app/MainFormFixture.h"

#include "ApplicationReport.h"
#include "PeerRequirement.h"
#include "TrafficLog.h"
#include "srcRegOptions.h"

#include <QElapsedTimer>

#include <chrono>
#include <fstream>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// Mounts made here stay in a mount namespace of this process; it has to be
// made before any thread exists.
bool s_privateMounts = [] {
    if (unshare(CLONE_NEWNS) != 0)
        return false;
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}();

// An agent with a steady 100 kB/s on both counters and a running uptime.
class SteadyTraffic : public ISensorNetwork
{
public:
    bool readValue(const std::string& oid, const std::string&, const std::string&,
                   std::string& value) override
    {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - m_start)
                            .count();
        value = oid.rfind("1.3.6.1.2.1.1.3", 0) == 0 ? std::to_string(1000 + ms / 10)
                                                     : std::to_string(1000 + ms * 100);
        ++reads;
        return true;
    }
    int pingRoundTrip(const std::string&) override { return 5; }
    uint32_t tickCount() override { return 0; }
    int reads = 0;

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

std::vector<std::string> fileLines(const std::string& path, bool* endsWithNewline = nullptr)
{
    std::ifstream in(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), {});
    if (endsWithNewline)
        *endsWithNewline = content.empty() || content.back() == '\n';
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find('\n', start);
        lines.push_back(content.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

// A log line: stamp;HostName;HostIP;down;down kb;up;up kb.
bool wholeLine(const std::string& line, const std::string& hostName)
{
    int fields = 1;
    for (char c : line)
        fields += c == ';';
    return fields == 7 && line.find(";" + hostName + ";127.0.0.96;") != std::string::npos;
}

class LogFault : public MainFormFixture
{
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        m_previous = ApplicationReport::setReportFunction(
            [this](const QString& text) { m_reports.push_back(text.toStdString()); });
    }
    void TearDown() override
    {
        m_form.reset();
        ApplicationReport::setReportFunction(m_previous);
        if (!m_mounted.empty())
            umount2(m_mounted.c_str(), MNT_DETACH);
        MainFormFixture::TearDown();
    }

    void startLogging(TLogType logType, const std::string& file, const std::string& folder,
                      const std::string& hostName)
    {
        TMonitorSettings s = typicalSettings();
        s.Interval = 1;
        s.EnableLog = true;
        s.LogType = logType;
        s.LogFile = file;
        s.LogFolder = folder;
        s.LogTime = 1;
        s.LogSecMinType = TLogSecMinType::Seconds;
        s.Sensors = {configuredSensor("127.0.0.96", hostName)};
        seedStore(s);
        m_form = makeForm(m_net, true);
    }

    // Runs the event loop until `done` or the time is up.
    template <typename Condition> bool waitFor(Condition done, int milliseconds = 4000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < milliseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    std::vector<std::string> m_reports;
    ApplicationReport::ReportFunction m_previous;
    std::string m_mounted;
    std::shared_ptr<SteadyTraffic> m_net = std::make_shared<SteadyTraffic>();
    std::unique_ptr<TMainForm> m_form;
};

TEST_F(LogFault, FolderThatDisappearsIsReportedAndLoggingResumesWhenItIsBack)
{
    const std::string folder = (m_root / "logs").string();
    std::filesystem::create_directories(folder);
    startLogging(TrafficLog::ltFilePerSensor, "", folder, "Router");
    const std::string file = folder + "/Router@127.0.0.96.log";
    ASSERT_TRUE(waitFor([&] { return fileLines(file).size() >= 1; }));
    ASSERT_TRUE(m_reports.empty()) << m_reports.front();

    std::filesystem::remove_all(folder);
    ASSERT_TRUE(waitFor([&] { return m_reports.size() >= 2; }));
    for (const std::string& report : m_reports)
        EXPECT_EQ(report, "Cannot open log file \"" + file + "\": No such file or directory");
    // Still polling all the while.
    const int reads = m_net->reads;
    TSensorControls* c = m_form->sensorControls(0);
    ASSERT_TRUE(waitFor([&] { return m_net->reads > reads + 10; }));
    EXPECT_TRUE(c->DownLabel->text().startsWith("DL: "));

    std::filesystem::create_directories(folder);
    ASSERT_TRUE(waitFor([&] { return fileLines(file).size() >= 2; }));
    const std::size_t reported = m_reports.size();
    bool newline = false;
    for (const std::string& line : fileLines(file, &newline))
        EXPECT_TRUE(wholeLine(line, "Router")) << line;
    EXPECT_TRUE(newline);
    EXPECT_LE(m_reports.size(), reported + 1); // at most a tick that was under way
}

TEST_F(LogFault, FullFileSystemIsReportedLeavesNoTornLineAndLoggingResumes)
{
    if (!s_privateMounts && !(runningInCI() && geteuid() == 0))
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    ASSERT_TRUE(s_privateMounts);
    const std::string folder = (m_root / "small").string();
    std::filesystem::create_directories(folder);
    ASSERT_EQ(mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k"), 0);
    m_mounted = folder;

    // Long lines, so that one soon runs into the end of the space: the
    // longest host name the store keeps.
    const std::string host = "Router-" + std::string(kMaxStoredNameBytes - 7, 'x');
    const std::string log = folder + "/Travimetra.log";
    startLogging(TrafficLog::ltOneFile, log, "", host);
    ASSERT_TRUE(waitFor([&] { return fileLines(log).size() >= 1; }));

    // Fill what is left of the file system.
    const std::string filler = folder + "/filler";
    {
        std::ofstream out(filler, std::ios::binary);
        const std::string block(1024, 'f');
        while (out.write(block.data(), block.size()))
            out.flush();
    }
    // What is left of the log's last page takes some 15 such lines, one a second.
    ASSERT_TRUE(waitFor([&] { return !m_reports.empty(); }, 25000));
    EXPECT_EQ(m_reports[0], "Cannot write log file \"" + log + "\": No space left on device");
    bool newline = false;
    std::vector<std::string> lines = fileLines(log, &newline);
    EXPECT_TRUE(newline) << "a torn line was left at the end";
    for (const std::string& line : lines)
        EXPECT_TRUE(wholeLine(line, host)) << line.substr(0, 60);

    std::filesystem::remove(filler);
    const std::size_t before = lines.size();
    ASSERT_TRUE(waitFor([&] { return fileLines(log).size() >= before + 2; }));
    lines = fileLines(log, &newline);
    EXPECT_TRUE(newline);
    for (const std::string& line : lines)
        EXPECT_TRUE(wholeLine(line, host)) << line.substr(0, 60);
    std::printf("[ figures  ] full file system: %zu reports, %zu whole lines after the space "
                "came back\n",
                m_reports.size(), lines.size());
}

} // namespace
