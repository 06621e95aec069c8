// The latency sensor, the traffic log and the external-address row of the
// main window, with the poll's network scripted.

#include "LocalHttpServer.h"
#include "MainFormFixture.h"
#include "core/FakeSensorNetwork.h"

#include "ApplicationReport.h"
#include "LatencyDisplay.h"
#include "TVrTimer.h"
#include "VrColor.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <fstream>
#include <regex>
#include <sched.h>
#include <sys/mount.h>

namespace {

const std::string kDown1 = "1.3.6.1.2.1.2.2.1.10.1";
const std::string kUp1 = "1.3.6.1.2.1.2.2.1.16.1";
constexpr const char* kHttpAddress = "127.0.0.73";

QColor textColor(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

std::vector<std::string> lines(const std::string& path)
{
    std::vector<std::string> result;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> result;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = line.find(';', start);
        result.push_back(line.substr(start, end - start));
        if (end == std::string::npos)
            return result;
        start = end + 1;
    }
}

// Collects what the application would show in its error message boxes.
class ReportCollector
{
public:
    ReportCollector()
    {
        m_previous = ApplicationReport::setReportFunction(
            [this](const QString& text) { m_reports.push_back(text.toStdString()); });
    }
    ~ReportCollector() { ApplicationReport::setReportFunction(m_previous); }

    // Processes events until `count` reports arrived or `ms` passed.
    const std::vector<std::string>& waitFor(std::size_t count, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (m_reports.size() < count && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return m_reports;
    }

private:
    ApplicationReport::ReportFunction m_previous;
    std::vector<std::string> m_reports;
};

class MainFormAuxiliary : public MainFormFixture
{
protected:
    TMonitorSettings loggingSettings(const std::string& logFile)
    {
        TMonitorSettings s = typicalSettings();
        TSensorRecord sensor = configuredSensor("10.9.8.7");
        sensor.TimerToUse = TTimerToUse::LocalTickCount;
        s.Sensors = {sensor};
        s.EnableLog = true;
        s.LogType = TLogType::OneFile;
        s.LogSecMinType = TLogSecMinType::Seconds;
        s.LogTime = 1;
        s.LogFile = logFile;
        return s;
    }

    std::shared_ptr<FakeSensorNetwork> m_net = std::make_shared<FakeSensorNetwork>();
};

TEST_F(MainFormAuxiliary, LatencyTickShowsTheRoundTrip)
{
    TMonitorSettings s = typicalSettings();
    s.LatencySensor = true;
    s.LatencyHost = "latency.example";
    seedStore(s);
    auto form = makeForm(m_net);
    QLabel* label = form->latencyLabel();
    EXPECT_EQ(label->text(), "Please wait...");
    EXPECT_TRUE(form->latencyTimer()->enabled());

    struct Case
    {
        int r;
        int position;
        TColor color;
        const char* caption;
    };
    for (const Case& c : {Case{0, 1, 0x00FF00, "Network Latency: <1 ms"},
                          Case{80, 80, 0x00FF00, "Network Latency: 80 ms"},
                          Case{81, 81, 0x00FFFF, "Network Latency: 81 ms"},
                          Case{-1, 0, 0x808080, "Host did not reply"},
                          Case{151, 151, 0x0000FF, "Network Latency: 151 ms"},
                          Case{350, 200, 0x0000FF, "Network Latency: 350 ms"}}) {
        m_net->m_pingResult = c.r;
        form->LatencyTimerTimer();
        form->networkJobs().settle();
        EXPECT_EQ(form->latencyBar()->position(), c.position) << c.r;
        EXPECT_EQ(textColor(label), VrColor::toQColor(c.color)) << c.r;
        EXPECT_EQ(label->text().toStdString(), c.caption);
        // The label grows with its caption.
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    }
    EXPECT_EQ(m_net->m_pings, std::vector<std::string>(6, "latency.example"));
}

TEST_F(MainFormAuxiliary, LatencyStripFollowsTheSwitch)
{
    TMonitorSettings s = typicalSettings();
    s.LatencySensor = true;
    seedStore(s);
    auto form = makeForm(m_net);
    m_net->m_pingResult = 12;
    form->LatencyTimerTimer();
    form->networkJobs().settle();

    form->settings().LatencySensor = false;
    form->UpdateControlProperties();
    EXPECT_FALSE(form->latencyTimer()->enabled());
    EXPECT_FALSE(form->latencyBar()->isVisibleTo(form.get()));
    EXPECT_FALSE(form->latencyLabel()->isVisibleTo(form.get()));

    form->settings().LatencySensor = true;
    form->UpdateControlProperties();
    EXPECT_TRUE(form->latencyTimer()->enabled());
    EXPECT_TRUE(form->latencyLabel()->isVisibleTo(form.get()));
    EXPECT_EQ(form->latencyLabel()->text(), "Please wait...");
    EXPECT_EQ(textColor(form->latencyLabel()), VrColor::toQColor(0x808080));
}

TEST_F(MainFormAuxiliary, LogTicksReadThroughThePollsNetwork)
{
    const std::string logFile = (m_root / "state" / "traffic.log").string();
    seedStore(loggingSettings(logFile));
    auto form = makeForm(m_net);
    m_net->m_ticks = 5000;
    m_net->m_tickStep = 30000; // one log tick reads the clock once per sensor
    m_net->script(kDown1, {{true, "1000"}, {true, "3073000"}});
    m_net->script(kUp1, {{true, "10"}, {true, "30730"}});
    form->LogTimerTimer();
    form->networkJobs().settle();
    form->LogTimerTimer();
    form->networkJobs().settle();

    const auto written = lines(logFile);
    ASSERT_EQ(written.size(), 2u);
    const auto first = fields(written[0]);
    ASSERT_EQ(first.size(), 7u);
    // The tests run in the C locale: month/day/year, 24-hour time.
    EXPECT_TRUE(std::regex_match(first[0], std::regex(R"(\d\d/\d\d/\d\d( \d\d:\d\d:\d\d)?)")))
        << first[0];
    EXPECT_EQ(first[1], "Router");
    EXPECT_EQ(first[2], "10.9.8.7");
    const auto second = fields(written[1]);
    ASSERT_EQ(second.size(), 7u);
    EXPECT_EQ(second[3], "102400");
    EXPECT_EQ(second[4], "100.0");
    EXPECT_EQ(second[5], "1024");
    EXPECT_EQ(second[6], "1.0");
}

TEST_F(MainFormAuxiliary, UnwritableLogIsReportedAndTheTimerGoesOn)
{
    const std::string missing = (m_root / "no such folder" / "traffic.log").string();
    seedStore(loggingSettings(missing));
    m_net->answer(kDown1, "1000");
    m_net->answer(kUp1, "1000");
    ReportCollector reports;
    auto form = makeForm(m_net, true);
    const auto& seen = reports.waitFor(2, 10000);
    ASSERT_GE(seen.size(), 2u) << "the log timer stopped after its first error";
    EXPECT_NE(seen[0].find("Cannot open log file"), std::string::npos) << seen[0];
    EXPECT_NE(seen[0].find(missing), std::string::npos) << seen[0];
    EXPECT_TRUE(form->logTimer()->enabled());

    // A device is no log file: refused before anything is written to it.
    form->settings().LogFile = "/dev/full";
    const auto& more = reports.waitFor(seen.size() + 2, 10000);
    ASSERT_FALSE(more.empty());
    EXPECT_NE(more.back().find("Cannot open log file \"/dev/full\": Not a regular file"),
              std::string::npos)
        << more.back();
    EXPECT_TRUE(form->logTimer()->enabled());
}

TEST_F(MainFormAuxiliary, FullDiskIsReportedAndTheTimerGoesOn)
{
    // A mount namespace for this thread (the one that writes the log), so
    // the small file system never shows outside the test.
    const std::filesystem::path small = m_root / "small";
    std::filesystem::create_directories(small);
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=8192") != 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    {
        // Fill it.
        std::ofstream filler(small / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        for (int i = 0; i < 16 && filler; ++i)
            filler << block << std::flush;
    }
    seedStore(loggingSettings((small / "traffic.log").string()));
    m_net->answer(kDown1, "1000");
    m_net->answer(kUp1, "1000");
    {
        ReportCollector reports;
        auto form = makeForm(m_net, true);
        const auto& seen = reports.waitFor(2, 10000);
        ASSERT_GE(seen.size(), 2u);
        EXPECT_NE(seen[1].find("No space left on device"), std::string::npos) << seen[1];
        EXPECT_TRUE(form->logTimer()->enabled());
    }
    ::umount2(small.c_str(), MNT_DETACH);
}

TEST_F(MainFormAuxiliary, ExternalAddressRowIsDormant)
{
    seedStore(typicalSettings());
    auto form = makeForm(m_net);
    EXPECT_FALSE(form->exteIPTimer()->enabled());
    EXPECT_EQ(form->exteIPTimer()->interval(), 10000u);
    EXPECT_FALSE(form->externalAddressLabel()->isVisibleTo(form.get()));
    EXPECT_FALSE(form->externalAddressCaption()->isVisibleTo(form.get()));
    EXPECT_EQ(form->externalAddressLabel()->text(), "N/A");
    EXPECT_EQ(form->externalAddressCaption()->text(), "External IP Address :");
    EXPECT_EQ(form->externalAddressLabel()->x(), 117);
}

TEST_F(MainFormAuxiliary, ExternalAddressFromTheServicesFirstLine)
{
    LocalHttpServer server(kHttpAddress);
    ASSERT_TRUE(server.listening());
    seedStore(typicalSettings());
    TMainForm::Options options;
    options.network = m_net;
    options.startTimers = false;
    options.externalAddressUrl = server.url();
    auto form = std::make_unique<TMainForm>(options);
    QLabel* caption = form->externalAddressLabel();

    server.respond("HTTP/1.0 200 OK\r\nContent-Length: 21\r\n\r\n198.51.100.7\r\nsecond\r\n");
    form->ExteIPTimerTimer();
    form->networkJobs().settle();
    EXPECT_EQ(caption->text(), "198.51.100.7");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].rfind("GET / HTTP/1.0\r\n", 0), 0u) << server.requests()[0];

    // An empty body has no first line: the caption stays.
    server.respond("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
    form->ExteIPTimerTimer();
    form->networkJobs().settle();
    EXPECT_EQ(caption->text(), "198.51.100.7");

    // A complete error page is an answer like any other.
    server.respond("HTTP/1.0 404 Not Found\r\n\r\nnot here\nreally");
    form->ExteIPTimerTimer();
    form->networkJobs().settle();
    EXPECT_EQ(caption->text(), "not here");
}

TEST_F(MainFormAuxiliary, UnreachableServiceKeepsTheCaption)
{
    std::string url;
    {
        LocalHttpServer closed(kHttpAddress);
        ASSERT_TRUE(closed.listening());
        url = closed.url(); // nothing listens there once it is gone
    }
    seedStore(typicalSettings());
    TMainForm::Options options;
    options.network = m_net;
    options.startTimers = false;
    options.externalAddressUrl = url;
    auto form = std::make_unique<TMainForm>(options);
    form->ExteIPTimerTimer();
    form->networkJobs().settle();
    EXPECT_EQ(form->externalAddressLabel()->text(), "N/A");
}

} // namespace
