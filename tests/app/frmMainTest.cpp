#include "MainFormFixture.h"
#include "core/FakeSensorNetwork.h"
#include "core/HeldSensorNetwork.h"
#include "widgets/ShownText.h"
#include "widgets/Watchdog.h"

#include "ApplicationReport.h"
#include "LogTimerPeriod.h"
#include "MessageBoxes.h"
#include "SensorPoll.h"
#include "TCoolTrayIcon.h"
#include "TMainMenu.h"
#include "TVrLevelBar.h"
#include "TVrTimer.h"
#include "XdgAutostart.h"
#include "peers/PeerRequirement.h"

#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLockFile>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kDown1 = "1.3.6.1.2.1.2.2.1.10.1";
const std::string kUp1 = "1.3.6.1.2.1.2.2.1.16.1";

class MainForm : public MainFormFixture
{
protected:
    std::shared_ptr<FakeSensorNetwork> m_net = std::make_shared<FakeSensorNetwork>();

    // Scripts one answered poll of every agent: time readings, then counters.
    void scriptPoll(const std::string& time1, const std::string& time2, const std::string& down,
                    const std::string& up)
    {
        m_net->script(SensorPoll::kUpTimeOid, {{true, time1}, {true, time1}, {true, time2}});
        m_net->answer(kDown1, down);
        m_net->answer(kUp1, up);
    }

    static QRect geometryOf(QWidget* w) { return w->geometry(); }
};

TEST_F(MainForm, IsABorderlessToolWindowThatStaysOnTop)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1")};
    seedStore(s);
    auto form = makeForm(m_net);
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    // A tool window has no task-bar entry.
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(form->windowTitle(), "Travimetra");

    form->settings().AlwaysOnTop = false;
    form->AlwaysOnTopCheck();
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainForm, StartUpCountsTheStartAndAppliesTheStore)
{
    TMonitorSettings s = typicalSettings();
    s.Interval = 7;
    s.Sensors = {configuredSensor("127.0.0.1")};
    s.Sensors[0].DownSpeed = 2048;
    s.Sensors[0].UpSpeed = 512;
    seedStore(s, 41, 128);
    auto form = makeForm(m_net);
    int32_t timesRun = 0;
    ASSERT_TRUE(
        regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun"), timesRun));
    EXPECT_EQ(timesRun, 42);
    EXPECT_FALSE(form->settings().FirstRun);
    EXPECT_EQ(form->masterTimer()->interval(), 7000u);
    EXPECT_EQ(form->alphaBlendValue(), 128);
    EXPECT_NEAR(form->windowOpacity(), 128 / 255.0, 0.01);
    EXPECT_EQ(form->settings().TrayDownSpeed, 2048);
    EXPECT_EQ(form->settings().TrayUpSpeed, 512);
    EXPECT_EQ(form->trayIcon()->iconList().size(), 36);
    EXPECT_EQ(form->trayIcon()->iconIndex(), 0);
}

TEST_F(MainForm, FirstRunWritesEveryDefaultAndHoldsItInMemory)
{
    auto form = makeForm(m_net);
    const TMonitorSettings& s = form->settings();
    EXPECT_TRUE(s.FirstRun);
    EXPECT_EQ(s.NumberOfHosts, 1);
    EXPECT_EQ(s.ScaleSize, 100);
    EXPECT_EQ(s.Interval, 5);
    ASSERT_EQ(s.Sensors.size(), 1u);
    EXPECT_FALSE(s.Sensors[0].Active);
    EXPECT_EQ(s.Sensors[0].HostIP, "192.168.1.1");
    EXPECT_EQ(s.Sensors[0].DownSpeed, 1024);
    // The defaults are in memory too: the master timer runs at once.
    EXPECT_EQ(form->masterTimer()->interval(), 5000u);
    EXPECT_EQ(form->height(), 0);

    const char* global[] = {"TimesRun",     "NumberOfHosts",    "Top",           "Left",
                            "Alpha",        "AlwaysOnTop",      "ScaleSize",     "Interval",
                            "BackColor",    "ShowExtendedInfo", "ShowX",         "XAction",
                            "AutoStart",    "StartMinimized",   "ShowHints",     "DoPing",
                            "EnableLog",    "LogFile",          "LogFolder",     "LogType",
                            "SysLogServer", "LogTime",          "LogSecMinType", "LatencySensor",
                            "LatencyTimer", "LatencyHost"};
    const char* sensor[] = {"Active",           "HostName",    "HostIP",      "Community",
                            "Sensor",           "SensorName",  "DownSpeed",   "UpSpeed",
                            "SpeedType",        "SwapedInOut", "ULColor",     "DLColor",
                            "LightColor",       "DarkColor",   "GraphPixels", "LighterLine",
                            "UseLightColorFor", "TimerToUse",  "HalfHeight",  "SnmpVersion"};
    EXPECT_EQ(std::size(global), 26u);
    EXPECT_EQ(std::size(sensor), 20u);
    for (const char* name : global)
        EXPECT_NO_THROW(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, name)) << name;
    for (const char* name : sensor)
        EXPECT_NO_THROW(ReadRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), name)) << name;
    // The start was counted on top of the default written by the load.
    int32_t timesRun = -1;
    regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun"), timesRun);
    EXPECT_EQ(timesRun, 1);
    // AutoStart's default True is in memory as in the store: the entry is there.
    EXPECT_TRUE(std::filesystem::exists(XdgAutostart::entryPath()));
}

TEST_F(MainForm, TwoFullSetsAndTheLatencyBarMake260By380)
{
    TMonitorSettings s = typicalSettings();
    s.LatencySensor = true;
    s.Sensors = {configuredSensor("127.0.0.1", "A"), configuredSensor("127.0.0.2", "B")};
    seedStore(s);
    auto form = makeForm(m_net);
    EXPECT_EQ(form->size(), QSize(260, 380));

    for (int i = 0; i < 2; ++i) {
        const int y = 170 * i;
        TSensorControls* c = form->sensorControls(i);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->TitleLabel->pos(), QPoint(8, y + 1));
        EXPECT_EQ(c->TitleLabel->height(), 13);
        EXPECT_EQ(c->Scope->geometry(), QRect(26, y + 16, 232, 133));
        EXPECT_EQ(c->Scale->geometry(), QRect(0, y + 11, 26, 141));
        EXPECT_EQ(c->DownLabel->pos(), QPoint(8, y + 151));
        EXPECT_EQ(c->DownLabel->text(), "Download Speed");
        EXPECT_EQ(c->UpLabel->geometry().top(), y + 151);
        // Starts at 184 unless the font is too wide for the strip; then it
        // ends inside the window instead.
        const QRect up = c->UpLabel->geometry();
        EXPECT_LE(up.right(), 258);
        EXPECT_TRUE(up.x() == 184 || (up.x() < 184 && up.right() == 258)) << up.x();
        EXPECT_EQ(c->UpLabel->text(), "Upload Speed");
        EXPECT_EQ(c->TitleLabel->font().pixelSize(), 11);
    }
    EXPECT_EQ(form->sensorControls(0)->TitleLabel->text(), "A / eth0 @ 127.0.0.1");
    EXPECT_EQ(ShownText::ofToolTip(form->sensorControls(0)->TitleLabel->toolTip()),
              "A / eth0 @ 127.0.0.1");
    EXPECT_EQ(form->latencyBar()->geometry().topLeft(), QPoint(8, 345));
    EXPECT_EQ(form->latencyLabel()->geometry().topLeft(), QPoint(8, 359));
    EXPECT_EQ(form->latencyLabel()->text(), "Please wait...");
    EXPECT_FALSE(form->latencyBar()->isHidden());
    EXPECT_TRUE(form->latencyTimer()->enabled());
    EXPECT_EQ(form->shutdownButton()->geometry(), QRect(243, 0, 15, 15));
    EXPECT_FALSE(form->shutdownButton()->isHidden());
}

TEST_F(MainForm, HalfHeightSetsAndAnEmptyWindow)
{
    TMonitorSettings s = typicalSettings();
    s.ShowExtendedInfo = false;
    s.ShowX = false;
    s.Sensors = {configuredSensor("127.0.0.1", "Half"), configuredSensor("127.0.0.2", "Full")};
    s.Sensors[0].HalfHeight = true;
    seedStore(s);
    auto form = makeForm(m_net);
    TSensorControls* half = form->sensorControls(0);
    EXPECT_EQ(half->DownLabel->y(), 86);
    EXPECT_EQ(half->UpLabel->y(), 86);
    EXPECT_EQ(half->Scale->geometry(), QRect(0, 15, 26, 75));
    EXPECT_EQ(half->Scale->ticks(), 3);
    EXPECT_EQ(half->Scope->geometry(), QRect(26, 16, 232, 68));
    EXPECT_EQ(form->sensorControls(1)->TitleLabel->y(), 106);
    EXPECT_EQ(form->sensorControls(1)->TitleLabel->text(), "Full");
    EXPECT_EQ(form->size(), QSize(260, 275));
    EXPECT_TRUE(form->shutdownButton()->isHidden());
    EXPECT_TRUE(form->latencyBar()->isHidden());
    EXPECT_FALSE(form->latencyTimer()->enabled());

    // No active sensor: nothing but the strip's width; the latency row adds 40.
    form->DeleteControls();
    for (TSensorRecord& r : form->settings().Sensors)
        r.Active = false;
    form->UpdateControls();
    form->UpdateControlProperties();
    EXPECT_EQ(form->size(), QSize(260, 0));
    // A sensor taken off the window takes its graph along.
    EXPECT_TRUE(form->sensorControls(0)->Scope.isNull());
    form->settings().LatencySensor = true;
    form->UpdateControlProperties();
    EXPECT_EQ(form->size(), QSize(260, 40));
}

TEST_F(MainForm, ScaleSizeScalesEverythingFontsIncluded)
{
    TMonitorSettings s = typicalSettings();
    s.ScaleSize = 150;
    s.LatencySensor = true;
    s.Sensors = {configuredSensor("127.0.0.1", "A"), configuredSensor("127.0.0.2", "B")};
    seedStore(s);
    auto form = makeForm(m_net);
    const auto check = [&] {
        EXPECT_EQ(form->size(), QSize(390, 570));
        TSensorControls* c = form->sensorControls(1);
        EXPECT_EQ(c->Scope->geometry(), QRect(39, 279, 348, 200));
        EXPECT_EQ(c->Scale->geometry(), QRect(0, 272, 39, 212));
        EXPECT_EQ(c->TitleLabel->geometry().topLeft(), QPoint(12, 257));
        EXPECT_EQ(c->TitleLabel->height(), 20);
        EXPECT_EQ(c->TitleLabel->font().pixelSize(), 17);
        EXPECT_EQ(c->Scale->font().pixelSize(), 12);
        EXPECT_EQ(form->shutdownButton()->geometry(), QRect(365, 0, 23, 23));
        EXPECT_EQ(form->shutdownButton()->font().pixelSize(), 20);
    };
    check();
    // A rebuild lays out afresh: nothing drifts.
    form->DeleteControls();
    form->UpdateControls();
    form->UpdateControlProperties();
    check();
    // Back to 100 %.
    form->settings().ScaleSize = 100;
    form->UpdateControlProperties();
    EXPECT_EQ(form->size(), QSize(260, 380));
    EXPECT_EQ(form->sensorControls(1)->Scope->geometry(), QRect(26, 186, 232, 133));
    EXPECT_EQ(form->sensorControls(1)->TitleLabel->font().pixelSize(), 11);
}

TEST_F(MainForm, GraphRangesColoursAndCounterOids)
{
    TMonitorSettings s = typicalSettings();
    s.BackColor = 0x202020;
    s.Sensors = {configuredSensor("127.0.0.1")};
    s.Sensors[0].LighterLine = true;
    s.Sensors[0].UpSpeed = 256;
    s.Sensors[0].SwapedInOut = true;
    s.Sensors[0].Sensor = "4";
    s.Sensors[0].GraphPixels = 3;
    s.Sensors[0].UseLightColorFor = true;
    seedStore(s);
    auto form = makeForm(m_net);
    TSensorControls* c = form->sensorControls(0);
    EXPECT_EQ(c->Scope->minValue(), -1);
    EXPECT_EQ(c->Scope->maxValue(), 131072);
    EXPECT_EQ(c->Scope->baseOffset(), 25);
    EXPECT_EQ(c->Scope->gridSize(), 11);
    EXPECT_EQ(c->Scope->frequency(), 3);
    EXPECT_EQ(c->Scope->gridColor(), 0x800000u);
    EXPECT_EQ(c->Scope->baseColor(), 0xFF0000u);
    EXPECT_EQ(c->Scope->color(), 0x202020u);
    EXPECT_TRUE(c->Scope->threaded());
    ASSERT_EQ(c->Scope->channels().count(), 2);
    EXPECT_EQ(c->Scope->channels().items(0).color(), 0x00FF00u);
    EXPECT_EQ(c->Scope->channels().items(1).color(), 0x0000FFu);
    EXPECT_EQ(c->Scale->minValue(), 0);
    EXPECT_EQ(c->Scale->maxValue(), 128);
    EXPECT_EQ(c->Scale->peakLevel(), 89);
    EXPECT_EQ(c->Scale->ticks(), 8);
    EXPECT_EQ(c->Scale->orientation(), voVertical);
    EXPECT_EQ(c->Scale->fontColor(), 0xFF0000u);
    EXPECT_FALSE(c->Scale->showSign());
    EXPECT_EQ(form->settings().Sensors[0].DownOID, "1.3.6.1.2.1.2.2.1.16.4");
    EXPECT_EQ(form->settings().Sensors[0].UpOID, "1.3.6.1.2.1.2.2.1.10.4");

    // A rebuild keeps the scope (and its channels) and starts the rate afresh.
    TVrScope* scope = c->Scope;
    c->Scope->pushValue(0, 5);
    form->settings().Sensors[0].PrevDownCount = 77;
    form->DeleteControls();
    EXPECT_TRUE(c->TitleLabel.isNull());
    form->UpdateControls();
    form->UpdateControlProperties();
    EXPECT_EQ(form->sensorControls(0)->Scope.data(), scope);
    EXPECT_EQ(scope->channels().count(), 2);
    EXPECT_EQ(scope->channels().items(0).sampleCount(), 1);
    EXPECT_EQ(form->settings().Sensors[0].PrevDownCount, 0);
}

TEST_F(MainForm, PollPassFillsLabelsGraphsHintAndTray)
{
    TMonitorSettings s = typicalSettings();
    s.Interval = 2;
    s.Sensors = {configuredSensor("127.0.0.1", "A"), configuredSensor("127.0.0.2", "Off"),
                 configuredSensor("127.0.0.3", "C")};
    s.Sensors[1].Active = false;
    seedStore(s);
    auto form = makeForm(m_net);
    form->masterTimer()->setInterval(123);

    scriptPoll("1000", "1000", "100000", "100000");
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(form->masterTimer()->interval(), 2000u);
    TSensorControls* a = form->sensorControls(0);
    EXPECT_EQ(a->DownLabel->text(), "DL: 0.0 kb/s");
    EXPECT_EQ(a->Scope->channels().items(0).sampleCount(), 1);
    EXPECT_EQ(a->Scope->channels().items(1).sampleCount(), 1);
    // The inactive sensor is neither asked nor shown.
    for (const std::string& request : m_net->m_requests)
        EXPECT_EQ(request.find("127.0.0.2"), std::string::npos) << request;

    // 10 s later: 409600 bytes down (40 kB/s), 102400 up (10 kB/s).
    scriptPoll("2000", "2000", "509600", "202400");
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(a->DownLabel->text(), "DL: 40.0 kb/s");
    EXPECT_EQ(a->UpLabel->text(), "UL: 10.0 kb/s");
    EXPECT_EQ(a->Scope->channels().items(0).sample(0), 40960);
    EXPECT_EQ(a->Scope->channels().items(1).sample(0), 10240);
    EXPECT_EQ(form->trayHint(), "Travimetra\n\r"
                                "\n\rA -> DL: 40.0 kb/s | UL: 10.0 kb/s"
                                "\n\rC -> DL: 40.0 kb/s | UL: 10.0 kb/s");
    EXPECT_EQ(form->trayIcon()->hint().toStdString(), form->trayHint());
    // 40960 B/s of 1024 kbit/s is level 2, 10240 B/s level 1.
    EXPECT_EQ(form->trayIcon()->iconIndex(), 6 * 2 + 1);
    // The right-aligned upload label keeps its right edge.
    EXPECT_EQ(a->UpLabel->geometry().right(), form->sensorControls(2)->UpLabel->geometry().right());
}

// Both samples of a poll go into one drawing of the graph, not one each.
TEST_F(MainForm, EachAppliedPollDrawsItsGraphOnce)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1")};
    seedStore(s);
    auto form = makeForm(m_net);
    form->show();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    TVrScope* scope = form->sensorControls(0)->Scope;
    scriptPoll("1000", "1000", "100000", "100000");
    for (int poll = 1; poll <= 2; ++poll) {
        const int drawings = scope->paintCount();
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        EXPECT_EQ(scope->channels().items(0).sampleCount(), poll);
        EXPECT_EQ(scope->paintCount(), drawings + 1) << poll;
    }
}

TEST_F(MainForm, SilentAgentPingFailureAndInactiveFirstSensor)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1", "A"), configuredSensor("127.0.0.2", "B")};
    s.Sensors[0].Active = false;
    seedStore(s);
    auto form = makeForm(m_net);
    form->trayIcon()->setIconIndex(7);

    form->UpdateAllMonitors(); // nobody answers

    form->networkJobs().settle();
    TSensorControls* b = form->sensorControls(1);
    EXPECT_EQ(b->DownLabel->text(), "Error on DL sensor");
    EXPECT_EQ(b->UpLabel->text(), "Error on UL sensor");
    EXPECT_EQ(b->Scope->channels().items(0).sample(0), 1);
    EXPECT_EQ(form->trayHint(), "Travimetra\n\r\n\rB -> Error on DL sensor | Error on UL sensor");
    // Only sensor 0 moves the tray icon.
    EXPECT_EQ(form->trayIcon()->iconIndex(), 7);

    form->settings().DoPing = true;
    m_net->m_pingResult = -1;
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(b->DownLabel->text(), "Error on response");
    EXPECT_EQ(b->UpLabel->text(), "Error on response");
    EXPECT_EQ(b->Scope->channels().items(0).sampleCount(), 1);
    EXPECT_EQ(form->trayHint(), "Travimetra\n\r");
    EXPECT_EQ(m_net->m_pings, std::vector<std::string>{"127.0.0.2"});

    m_net->m_pingResult = 3;
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(b->Scope->channels().items(0).sampleCount(), 2);
}

// Processes events until `done` holds; the watchdog of the caller bounds it.
template <class Done> void processUntil(Done done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
}

// Ten answering agents and one silent one at Interval 1: every answering
// graph advances once per tick, the silent sensor is not read again while
// its read is out, and once it ends the sensor is polled like the others.
TEST_F(MainForm, ASilentAgentHoldsUpOnlyItsOwnGraph)
{
    Watchdog watchdog("ticks with a silent agent", std::chrono::seconds(120));
    auto net = std::make_shared<HeldSensorNetwork>();
    net->answer(SensorPoll::kUpTimeOid, "100");
    net->answer(kDown1, "5000");
    net->answer(kUp1, "6000");
    const int kSilent = 3;
    TMonitorSettings s = typicalSettings();
    s.Interval = 1;
    for (int i = 0; i < 11; ++i)
        s.Sensors.push_back(
            configuredSensor("127.0.0." + std::to_string(100 + i), "S" + std::to_string(i)));
    net->heldHost = s.Sensors[kSilent].HostIP;
    seedStore(s);
    auto form = makeForm(net);
    // Let the held read go whatever happens, before the form joins its threads.
    struct Release
    {
        HeldSensorNetwork& net;
        ~Release() { net.release(); }
    } release{*net};
    const auto samples = [&](int i) {
        return form->sensorControls(i)->Scope->channels().items(0).sampleCount();
    };
    const auto answeringHave = [&](int count) {
        for (int i = 0; i < 11; ++i)
            if (i != kSilent && samples(i) != count)
                return false;
        return true;
    };

    for (int tick = 1; tick <= 4; ++tick) {
        form->UpdateAllMonitors();
        processUntil([&] { return answeringHave(tick); });
        EXPECT_EQ(samples(kSilent), 0) << tick;
        EXPECT_TRUE(form->networkJobs().sensorOut(kSilent)) << tick;
    }
    // One read of the silent agent is out, never a second one beside it.
    EXPECT_EQ(net->heldReads(), 1);
    std::string hint = "Travimetra\n\r";
    for (int i = 0; i < 11; ++i)
        if (i != kSilent)
            hint += "\n\rS" + std::to_string(i) + " -> DL: 0.0 kb/s | UL: 0.0 kb/s";
    EXPECT_EQ(form->trayHint(), hint);
    EXPECT_FALSE(form->sensorControls(kSilent)->DownLabel->text().startsWith("DL: "));

    // Its read ends: its graph advances on its own, without a tick.
    net->release();
    processUntil([&] { return samples(kSilent) == 1; });
    EXPECT_FALSE(form->networkJobs().sensorOut(kSilent));
    EXPECT_EQ(form->sensorControls(kSilent)->DownLabel->text(), "DL: 0.0 kb/s");
    EXPECT_NE(form->trayHint().find("\n\rS3 -> DL: 0.0 kb/s"), std::string::npos);
    EXPECT_TRUE(answeringHave(4));

    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_TRUE(answeringHave(5));
    EXPECT_EQ(samples(kSilent), 2);
    EXPECT_EQ(net->heldReads(), 2 * 5);
}

TEST_F(MainForm, LiveSensorGrowsItsGraphAndRestartsIt)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1")};
    s.Sensors[0].SpeedType = stLive;
    seedStore(s); // saved live: speeds 1
    auto form = makeForm(m_net);
    TSensorControls* c = form->sensorControls(0);
    EXPECT_EQ(form->settings().Sensors[0].DownSpeed, 1);
    EXPECT_EQ(c->Scope->maxValue(), 128);
    EXPECT_EQ(form->settings().TrayDownSpeed, 1);

    scriptPoll("0", "0", "1000", "1000");
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(c->Scope->channels().items(0).sampleCount(), 1);
    scriptPoll("100", "100", "6000", "2000"); // 5000 and 1000 B/s
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(c->Scope->maxValue(), 5000);
    EXPECT_EQ(c->Scale->maxValue(), 5000);
    // The new range emptied the history before this poll's samples went in.
    EXPECT_EQ(c->Scope->channels().items(0).sampleCount(), 1);
    EXPECT_EQ(c->Scope->channels().items(0).sample(0), 5000);
    // Any traffic over a tray scale of 1 kbit/s is the top level.
    EXPECT_EQ(form->trayIcon()->iconIndex(), 35);

    scriptPoll("200", "200", "7000", "3000"); // lower: no change
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(c->Scope->maxValue(), 5000);
    EXPECT_EQ(c->Scope->channels().items(0).sampleCount(), 2);
}

TEST_F(MainForm, ConversionErrorStopsOnlyItsSensorAndNoSensorsMeansNoPoll)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1", "A"), configuredSensor("127.0.0.2", "B")};
    s.Sensors[1].Sensor = "2";
    seedStore(s);
    std::vector<QString> reports;
    const auto previous =
        ApplicationReport::setReportFunction([&](const QString& text) { reports.push_back(text); });
    auto form = makeForm(m_net);
    scriptPoll("100", "101", "not a number", "5");
    m_net->answer("1.3.6.1.2.1.2.2.1.10.2", "7");
    m_net->answer("1.3.6.1.2.1.2.2.1.16.2", "8");
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    ApplicationReport::setReportFunction(previous);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports.front(), "'not a number' is not a valid integer value");
    // A takes its error branch; B is polled as if nothing happened.
    EXPECT_EQ(form->sensorControls(0)->DownLabel->text(), "Error on DL sensor");
    EXPECT_EQ(form->sensorControls(1)->DownLabel->text(), "DL: 0.0 kb/s");
    EXPECT_EQ(form->sensorControls(1)->Scope->channels().items(0).sampleCount(), 1);
    EXPECT_NE(form->trayHint().find("B -> DL: 0.0 kb/s | UL: 0.0 kb/s"), std::string::npos);

    form->DeleteControls();
    form->settings().resizeSensors(0);
    form->UpdateControls();
    form->UpdateControlProperties();
    m_net->m_requests.clear();
    form->settings().Interval = 9;
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_TRUE(m_net->m_requests.empty());
    EXPECT_EQ(form->trayHint(), "Travimetra\n\r");
    EXPECT_EQ(form->masterTimer()->interval(), 9000u);
    EXPECT_EQ(form->size(), QSize(260, 0));
}

TEST_F(MainForm, ConversionErrorReachesTheTimerReport)
{
    TMonitorSettings s = typicalSettings();
    s.Interval = 1;
    s.Sensors = {configuredSensor("127.0.0.1")};
    seedStore(s);
    std::vector<QString> reports;
    const auto previous =
        ApplicationReport::setReportFunction([&](const QString& text) { reports.push_back(text); });
    m_net->script(SensorPoll::kUpTimeOid, {{true, "100"}, {true, "1x"}});
    m_net->answer(kDown1, "0");
    m_net->answer(kUp1, "0");
    {
        auto form = makeForm(m_net, true);
        QElapsedTimer clock;
        clock.start();
        while (reports.empty() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        // The timer carries on after the report.
        EXPECT_TRUE(form->masterTimer()->enabled());
    }
    ApplicationReport::setReportFunction(previous);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), "'1x' is not a valid integer value");
}

TEST_F(MainForm, TimersFollowTheirSettings)
{
    TMonitorSettings s = typicalSettings();
    s.EnableLog = true;
    s.LogTime = 30;
    s.LogSecMinType = TLogSecMinType::Minutes;
    s.Sensors = {configuredSensor("127.0.0.1")};
    seedStore(s);
    auto form = makeForm(m_net);
    EXPECT_TRUE(form->logTimer()->enabled());
    EXPECT_EQ(form->logTimer()->interval(), 1800000u);
    EXPECT_FALSE(form->exteIPTimer()->enabled());
    form->settings().LogSecMinType = TLogSecMinType::Seconds;
    form->UpdateControlProperties();
    EXPECT_EQ(form->logTimer()->interval(), 30000u);
    form->settings().EnableLog = false;
    form->UpdateControlProperties();
    EXPECT_FALSE(form->logTimer()->enabled());

    // The log's period: seconds or minutes, within 32 bits, none for another unit.
    const struct
    {
        int time;
        int unit;
        std::uint32_t period;
    } logPeriods[] = {
        {5, 0, 5000u},           {5, 1, 300000u}, {-3, 1, 0u}, {INT32_MAX, 0, 4294967295u},
        {71582, 1, 4294920000u}, {5, 2, 0u}};
    for (const auto& c : logPeriods) {
        s.LogTime = c.time;
        s.LogSecMinType = static_cast<TLogSecMinType>(c.unit);
        EXPECT_EQ(LogTimerPeriod::of(s), c.period) << c.time << " in unit " << c.unit;
    }
    s.EnableLog = false;
    EXPECT_EQ(LogTimerPeriod::of(s), std::nullopt);
    EXPECT_EQ(TMainForm::pollPeriod(5), 5000u);
    EXPECT_EQ(TMainForm::pollPeriod(-3), 0u);
    EXPECT_EQ(TMainForm::pollPeriod(INT32_MAX), 4294967295u);
}

// A window whose caller drives the poll itself never polls on its own, not
// even once a pass or the options have given its timers new periods: a tick
// of its own would read the agents behind the caller's back.
TEST_F(MainForm, AWindowWithoutTimersNeverTicks)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1")};
    s.EnableLog = true;
    s.LatencySensor = true;
    seedStore(s);
    auto form = makeForm(m_net);
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    const std::size_t requests = m_net->m_requests.size();
    EXPECT_GT(requests, 0u);
    for (TVrTimer* timer : {form->masterTimer(), form->logTimer(), form->latencyTimer()}) {
        timer->setInterval(20);
        timer->setEnabled(true);
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(m_net->m_requests.size(), requests);
    EXPECT_TRUE(m_net->m_pings.empty());
}

TEST_F(MainForm, DestructionSavesTheSettings)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1")};
    s.Sensors[0].SpeedType = stLive;
    seedStore(s);
    {
        auto form = makeForm(m_net);
        form->settings().Interval = 17;
        form->settings().Sensors[0].DownSpeed = 99999;
        form->move(12, 34);
    }
    int32_t value = 0;
    regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "Interval"), value);
    EXPECT_EQ(value, 17);
    regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "DownSpeed"), value);
    EXPECT_EQ(value, 1);
    regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "Left"), value);
    EXPECT_EQ(value, 12);
}

TEST_F(MainForm, AutoStartEntryFollowsTheSetting)
{
    TMonitorSettings s = typicalSettings();
    s.AutoStart = true;
    s.Sensors = {configuredSensor("127.0.0.1")};
    seedStore(s);
    const std::filesystem::path entry = m_root / "config" / "autostart" / "Travimetra.desktop";
    ASSERT_FALSE(std::filesystem::exists(entry.parent_path()));
    auto form = makeForm(m_net);
    ASSERT_TRUE(std::filesystem::exists(entry));
    std::ifstream in(entry);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(
        text.str().find("Exec=\"" + QCoreApplication::applicationFilePath().toStdString() + "\"\n"),
        std::string::npos)
        << text.str();
    form->settings().AutoStart = false;
    form->UpdateControlProperties();
    EXPECT_FALSE(std::filesystem::exists(entry));
}

// The program's path quoted as the shell would not expand it, the program to
// try and the icon; no entry for a path that is not absolute or that would
// start a key of its own on a new line.
TEST(XdgAutostart, TheEntryNamesTheProgramToTryAndItsIconAndIsValid)
{
    struct Case
    {
        std::string executable;
        const char* exec; // nothing: no entry
        const char* tryExec;
    };
    const Case cases[] = {
        {"/usr/bin/travimetra", "Exec=\"/usr/bin/travimetra\"\n", "TryExec=/usr/bin/travimetra\n"},
        {"/opt/a b/$x\"y`z%/travimetra", "Exec=\"/opt/a b/\\\\$x\\\\\"y\\\\`z%%/travimetra\"\n",
         "TryExec=/opt/a b/$x\"y`z%/travimetra\n"},
        {"/opt/back\\slash/travimetra", "Exec=\"/opt/back\\\\\\\\slash/travimetra\"\n",
         "TryExec=/opt/back\\\\slash/travimetra\n"},
        {"relative/travimetra", nullptr, nullptr},
        {"/a\nExec=/bin/evil", nullptr, nullptr},
        {"/a\rExec=/bin/evil", nullptr, nullptr},
        {std::string("/a\0/bin/evil", 12), nullptr, nullptr},
    };
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.executable);
        const auto text = XdgAutostart::entryText(c.executable);
        if (!c.exec) {
            EXPECT_FALSE(text.has_value());
            continue;
        }
        ASSERT_TRUE(text.has_value());
        EXPECT_NE(text->find(c.exec), std::string::npos) << *text;
        EXPECT_NE(text->find(c.tryExec), std::string::npos) << *text;
        EXPECT_NE(text->find("\nIcon=com.quorvane.Travimetra\n"), std::string::npos) << *text;

        // What desktops check an entry with.
        REQUIRE_PEER(!validator.isEmpty(), "desktop-file-utils is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Travimetra.desktop"));
        std::ofstream(path.toStdString()) << *text;
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {path});
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.exitCode(), 0);
        EXPECT_EQ(validate.readAll().toStdString(), "") << *text;
    }
}

TEST_F(MainForm, TheLeftButtonDragsAndTheRightOneOpensTheMenu)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1")};
    seedStore(s);
    auto form = makeForm(m_net);
    TVrScope* scope = form->sensorControls(0)->Scope;
    QLabel* title = form->sensorControls(0)->TitleLabel;
    struct Case
    {
        QWidget* control;
        Qt::MouseButton button;
        QPoint expected; // where the window ends, from 100,100
    };
    const Case cases[] = {
        {scope, Qt::LeftButton, QPoint(120, 90)},    {title, Qt::LeftButton, QPoint(120, 90)},
        {scope, Qt::RightButton, QPoint(100, 100)},  {title, Qt::RightButton, QPoint(100, 100)},
        {scope, Qt::MiddleButton, QPoint(100, 100)},
    };
    for (const Case& c : cases) {
        form->move(100, 100);
        const auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
            QMouseEvent event(type, QPointF(c.control->mapFromGlobal(global)), QPointF(global),
                              type == QEvent::MouseMove ? Qt::NoButton : c.button, buttons,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(c.control, &event);
        };
        send(QEvent::MouseButtonPress, QPoint(150, 150), c.button);
        send(QEvent::MouseMove, QPoint(170, 140), c.button);
        EXPECT_EQ(form->pos(), c.expected)
            << c.control->metaObject()->className() << " " << c.button;
        send(QEvent::MouseButtonRelease, QPoint(170, 140), Qt::NoButton);
        send(QEvent::MouseMove, QPoint(300, 300), Qt::NoButton);
        EXPECT_EQ(form->pos(), c.expected);
    }

    // The right click's menu request, from a graph or a label, reaches the
    // window and opens the popup menu there.
    for (QWidget* control : {static_cast<QWidget*>(scope), static_cast<QWidget*>(title)}) {
        QMenu* menu = form->mainMenu()->popupMenu();
        menu->hide();
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(3, 3),
                                  control->mapToGlobal(QPoint(3, 3)));
        QCoreApplication::sendEvent(control, &request);
        EXPECT_TRUE(menu->isVisible()) << control->metaObject()->className();
        menu->hide();
    }
}

TEST_F(MainForm, ACloseRequestIsExit)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1")};
    seedStore(s);
    auto form = makeForm(m_net);
    form->show();
    form->move(140, 60);
    // What Alt+F4 or the window manager's close button sends: the event
    // loop ends (as "Exit" ends it) and the window stays until it does.
    bool quitRequested = false;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] { quitRequested = true; });
    QTimer::singleShot(0, form.get(), [&] { form->close(); });
    QTimer::singleShot(3000, qApp, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the close request did not end the program";
    EXPECT_TRUE(quitRequested);
    // The window goes with the program and saves on its way.
    form.reset();
    int32_t left = 0, top = 0;
    regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "Left"), left);
    regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "Top"), top);
    EXPECT_EQ(left, 140);
    EXPECT_EQ(top, 60);
}

TEST_F(MainForm, ASavedPlaceOffEveryScreenIsBroughtBackAndAnotherKept)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case
    {
        QPoint saved;
        QPoint expected; // for a 260 x 210 window (one sensor, the latency strip)
    };
    const Case cases[] = {
        {QPoint(area.x() + 30, area.y() + 40), QPoint(area.x() + 30, area.y() + 40)},
        {QPoint(area.right() + 2000, area.y() + 40), QPoint(area.right() + 1 - 260, area.y() + 40)},
        {QPoint(area.x() - 100, area.bottom() - 20), QPoint(area.x(), area.bottom() + 1 - 210)},
    };
    for (const Case& c : cases) {
        TMonitorSettings s = typicalSettings();
        s.Sensors = {configuredSensor("127.0.0.1")};
        s.LatencySensor = true;
        seedStore(s);
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "Left", c.saved.x(), rdInteger);
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "Top", c.saved.y(), rdInteger);
        {
            auto form = makeForm(m_net);
            ASSERT_EQ(form->size(), QSize(260, 210));
            EXPECT_EQ(form->pos(), c.expected) << c.saved.x() << "," << c.saved.y();
        }
        int32_t left = 0, top = 0;
        regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "Left"), left);
        regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "Top"), top);
        EXPECT_EQ(QPoint(left, top), c.expected);
    }
}

TEST_F(MainForm, AStripGrownAtTheScreensEdgeStaysOnTheScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1")};
    seedStore(s);
    auto form = makeForm(m_net);
    ASSERT_EQ(form->size(), QSize(260, 170));
    // At the bottom right corner, then grown by half (the options' OK with
    // a window size of 150 %).
    form->move(area.right() + 1 - 260, area.bottom() + 1 - 170);
    form->scaleWindowBy(150, 100);
    EXPECT_EQ(form->size(), QSize(390, 255));
    EXPECT_EQ(form->pos(), QPoint(area.right() + 1 - 390, area.bottom() + 1 - 255));
    // Grown where there is room: it stays where it is.
    form->move(area.x() + 10, area.y() + 20);
    form->scaleWindowBy(100, 150);
    form->scaleWindowBy(150, 100);
    EXPECT_EQ(form->pos(), QPoint(area.x() + 10, area.y() + 20));
}

TEST_F(MainForm, TheLatencyBarHasOneBlackFrameAndOneHundredTwentySegments)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1")};
    s.LatencySensor = true;
    seedStore(s);
    auto form = makeForm(m_net);
    TVrLevelBar* bar = form->latencyBar();
    // One frame (the inner space) and nothing of the 3-D edges.
    EXPECT_EQ(bar->bevel().width(), 1);
    const QImage& image = bar->renderImage();
    ASSERT_EQ(image.size(), QSize(241, 12));
    const QColor black(0, 0, 0);
    for (int x = 0; x < 241; ++x) {
        EXPECT_EQ(image.pixelColor(x, 0), black) << x;
        EXPECT_EQ(image.pixelColor(x, 11), black) << x;
    }
    // Position 0: every segment dark, 1 pixel wide, every second column from
    // x = 1: zone sizes 47, 42 and 31 (40 % and 35 % of 120 with the percent
    // rule's 0.01 just below one hundredth).
    const QColor zones[] = {QColor(0, 0x80, 0), QColor(0x80, 0x80, 0), QColor(0x80, 0, 0)};
    int counts[3] = {0, 0, 0};
    for (int k = 0; k < 120; ++k) {
        const QColor c = image.pixelColor(1 + 2 * k, 5);
        for (int z = 0; z < 3; ++z)
            counts[z] += c == zones[z];
        if (k < 119) {
            EXPECT_EQ(image.pixelColor(2 + 2 * k, 5), black) << "gap after segment " << k;
        }
    }
    EXPECT_EQ(counts[0], 47);
    EXPECT_EQ(counts[1], 42);
    EXPECT_EQ(counts[2], 31);
}

TEST_F(MainForm, ScaledLabelsShowTheirWholeText)
{
    for (const int scale : {100, 150, 200, 500}) {
        TMonitorSettings s = typicalSettings();
        s.ScaleSize = scale;
        s.ShowExtendedInfo = false;
        s.Sensors = {configuredSensor("127.0.0.1", "Router in the hall")};
        seedStore(s);
        auto form = makeForm(m_net);
        for (QLabel* label :
             {form->sensorControls(0)->TitleLabel.data(), form->sensorControls(0)->DownLabel.data(),
              form->sensorControls(0)->UpLabel.data()}) {
            const QFontMetrics metrics(label->font());
            EXPECT_GE(label->width(), metrics.horizontalAdvance(label->text()))
                << scale << " " << label->text().toStdString();
            EXPECT_GE(label->height(), metrics.height()) << scale;
        }
        form.reset();
    }
}

TEST_F(MainForm, CloseButtonMinimisesOrEnds)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1")};
    seedStore(s);
    auto form = makeForm(m_net);
    form->show();
    form->ShutdownBTClick();
    EXPECT_FALSE(form->isVisible());
    form->TrayIconClick();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainForm, SecondInstanceIsRefusedWithoutSaving)
{
    QLockFile held(QString::fromStdString((m_root / "runtime" / "Travimetra.lock").string()));
    ASSERT_TRUE(held.tryLock(0));
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
            MessageBoxes::setFunction([](MessageBoxes::Kind kind, const QString& text) {
                std::fprintf(stderr, "%s box: %s\n",
                             kind == MessageBoxes::Kind::Error ? "error" : "info",
                             text.toUtf8().constData());
            });
            makeForm(m_net);
        },
        ::testing::ExitedWithCode(0), "error box: Travimetra is already running !");
    EXPECT_FALSE(std::filesystem::exists(m_root / "config" / "Quorvane" / "Travimetra.reg"));
}

TEST_F(MainForm, LockOfACrashedInstanceIsTakenOver)
{
    const QString path = QString::fromStdString((m_root / "runtime" / "Travimetra.lock").string());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile lock(path);
        _exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(std::filesystem::exists(path.toStdString()));

    auto form = makeForm(m_net);
    QLockFile second(path);
    EXPECT_FALSE(second.tryLock(0));
}

} // namespace

namespace {

TEST_F(MainForm, NamesFromTheStoreAndAgentsShowAsPlainText)
{
    for (const QString& text : ShownText::hostileTexts()) {
        SCOPED_TRACE(text.toStdString());
        TMonitorSettings s = typicalSettings();
        s.ShowExtendedInfo = true;
        s.Sensors = {configuredSensor("127.0.0.1")};
        s.Sensors[0].HostName = text.toStdString();
        s.Sensors[0].SensorName = "<i>eth0</i>";
        seedStore(s);
        auto form = makeForm(m_net);
        const QLabel* title = form->sensorControls(0)->TitleLabel;
        const QString joined = text + QStringLiteral(" / <i>eth0</i> @ 127.0.0.1");
        EXPECT_EQ(ShownText::ofLabel(*title), joined);
        EXPECT_EQ(ShownText::ofToolTip(title->toolTip()), joined);
        for (const QLabel* label :
             {form->sensorControls(0)->DownLabel.data(), form->sensorControls(0)->UpLabel.data()}) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
        }
    }
}

TEST_F(MainForm, AStoreSetAsideIsToldOnceWithoutWaiting)
{
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor("127.0.0.1", "Attic")};
    seedStore(s);
    const auto store = m_root / "config" / "Quorvane" / "Travimetra.reg";
    std::ofstream(store, std::ios::app) << "this line is nobody's\n";
    std::vector<std::pair<MessageBoxes::Kind, QString>> shown;
    const auto previous = MessageBoxes::setFunction(
        [&](MessageBoxes::Kind kind, const QString& text) { shown.emplace_back(kind, text); });
    QStringList reports;
    const auto previousReport =
        ApplicationReport::setReportFunction([&](const QString& text) { reports << text; });
    {
        auto form = makeForm(m_net);
        EXPECT_EQ(form->settings().Sensors.at(0).HostName, "Attic") << "what was read is kept";
    }
    {
        auto again = makeForm(m_net);
    }
    MessageBoxes::setFunction(previous);
    ApplicationReport::setReportFunction(previousReport);
    EXPECT_TRUE(reports.isEmpty()) << reports.join("|").toStdString();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, MessageBoxes::Kind::Notice);
    std::vector<std::filesystem::path> copies;
    for (const auto& entry : std::filesystem::directory_iterator(store.parent_path())) {
        if (entry.path().filename().string().rfind("Travimetra.reg.unreadable-", 0) == 0)
            copies.push_back(entry.path());
    }
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_TRUE(shown[0].second.contains(QString::fromStdString(copies[0].string())))
        << shown[0].second.toStdString();
}

} // namespace
