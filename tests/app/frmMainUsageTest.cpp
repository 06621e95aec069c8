#include "MainFormFixture.h"
#include "core/FakeSensorNetwork.h"

#include "RateUnit.h"
#include "SensorPoll.h"
#include "TCoolTrayIcon.h"
#include "TMainMenu.h"
#include "TUsageRecorder.h"
#include "TUsageWindow.h"
#include "UsageDatabase.h"
#include "UsageSensorKey.h"
#include "UsageWiring.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include <fstream>

// The usage history as the main window feeds it: the octets of the polls it
// applies, the quota notices on the tray, the usage window on the menu, the
// rate unit on the labels, the hint and the scales, and the history written
// before the window goes.
namespace {

const std::string kDown1 = "1.3.6.1.2.1.2.2.1.10.1";
const std::string kUp1 = "1.3.6.1.2.1.2.2.1.16.1";
constexpr int64_t kStart = 1767261600; // 2026-01-01 10:00 UTC

class MainFormUsage : public MainFormFixture
{
protected:
    std::shared_ptr<FakeSensorNetwork> m_net = std::make_shared<FakeSensorNetwork>();
    int64_t m_now = kStart;
    QStringList m_told;

    std::unique_ptr<TMainForm> makeUsageForm()
    {
        TMainForm::Options options;
        options.network = m_net;
        options.startTimers = false;
        options.wallClock = [this] { return m_now; };
        auto form = std::make_unique<TMainForm>(options);
        QObject::connect(form->trayIcon(), &TCoolTrayIcon::messageShown,
                         [this](const QString& text) { m_told << text; });
        QCoreApplication::processEvents();
        return form;
    }

    // One pass in which the agent answers with these counters at this uptime
    // (hundredths of a second), `seconds` after the last one.
    void pass(TMainForm& form, int64_t seconds, const std::string& upTime, const std::string& down,
              const std::string& up)
    {
        m_now += seconds;
        m_net->script(SensorPoll::kUpTimeOid, {{true, upTime}});
        m_net->answer(kDown1, down);
        m_net->answer(kUp1, up);
        form.UpdateAllMonitors();
        form.networkJobs().settle();
        QCoreApplication::processEvents();
    }

    static TOctets totalOf(TMainForm& form, const std::string& host, const char* interface = "1")
    {
        form.usage().flush();
        return form.usage().recorder().database()->total(usageSensorKey(host, interface), 0,
                                                         99999999);
    }

    static TMonitorSettings oneSensor(int64_t downSpeed = 1024)
    {
        TMonitorSettings s = typicalSettings();
        s.Sensors = {configuredSensor("127.0.0.1", "A")};
        s.Sensors[0].DownSpeed = downSpeed;
        return s;
    }
};

TEST_F(MainFormUsage, GoodPollsAddTheirOctetsAndErrorPollsNothing)
{
    // An interface of 10 Gbit/s: the big steps below are traffic it carries
    // (a step beyond what the interface could carry would count nothing).
    TMonitorSettings s = oneSensor(10'000'000);
    s.Sensors[0].UpSpeed = 10'000'000;
    // Its counters (interface 2) are never answered: an error poll each pass.
    s.Sensors.push_back(configuredSensor("127.0.0.2", "Silent"));
    s.Sensors.back().Sensor = "2";
    seedStore(s);
    auto form = makeUsageForm();
    struct Step
    {
        const char* what;
        bool downLost; // the download counter's read gets no answer
        std::string upTime, down, up;
        uint64_t totalDown, totalUp;
    };
    const Step steps[] = {
        {"first reading: the baseline", false, "1000", "100000", "100000", 0, 0},
        {"good poll", false, "2000", "509600", "202400", 409600, 102400},
        {"download counter lost", true, "3000", "509600", "302400", 409600, 102400},
        {"good poll after the loss", false, "4000", "609600", "402400", 509600, 302400},
        {"a big step", false, "5000", "2000609600", "402500", 2000509600u, 302500},
        {"near the counter's top", false, "6000", "-294357696", "402600", 4000509600u, 302600},
        {"past the top: the counter wraps", false, "7000", "5000", "402700",
         4000509600u + 294362696u, 302700},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.downLost) {
            m_now += 10;
            m_net->script(SensorPoll::kUpTimeOid, {{true, step.upTime}});
            m_net->script(kDown1, {{false, ""}});
            m_net->answer(kUp1, step.up);
            form->UpdateAllMonitors();
            form->networkJobs().settle();
            EXPECT_EQ(form->sensorControls(0)->DownLabel->text(), "Error on DL sensor");
        } else {
            pass(*form, 10, step.upTime, step.down, step.up);
        }
        const TOctets total = totalOf(*form, "127.0.0.1");
        EXPECT_EQ(total.down, step.totalDown);
        EXPECT_EQ(total.up, step.totalUp);
    }
    // Fifteen minutes of lost reads: the last good reading is fifteen
    // minutes old when the agent answers again, too old to vouch for what
    // the counters did meanwhile, so nothing of that gap counts.
    const TOctets before = totalOf(*form, "127.0.0.1");
    m_now += 900;
    m_net->script(kDown1, {{false, ""}});
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    pass(*form, 10, "98000", "105000", "402800");
    const TOctets after = totalOf(*form, "127.0.0.1");
    EXPECT_EQ(after.down, before.down);
    EXPECT_EQ(after.up, before.up);
    // The silent agent's sensor is in the history with nothing counted.
    EXPECT_EQ(form->sensorControls(1)->DownLabel->text(), "Error on DL sensor");
    const TOctets silent = totalOf(*form, "127.0.0.2", "2");
    EXPECT_EQ(silent.down + silent.up, 0u);
}

TEST_F(MainFormUsage, TheExitWritesTheLastMinuteBeforeTheWindowGoes)
{
    seedStore(oneSensor());
    std::string path;
    {
        auto form = makeUsageForm();
        path = form->usage().recorder().database()->path();
        pass(*form, 0, "1000", "1000", "1000");        // written at once: the first write
        pass(*form, 20, "3000", "5001000", "2001000"); // within the minute: gathered only
    }
    const auto db = TUsageDatabase::openForReading(path);
    ASSERT_NE(db, nullptr);
    const TOctets total = db->total(usageSensorKey("127.0.0.1", "1"), 0, 99999999);
    EXPECT_EQ(total.down, 5000000u);
    EXPECT_EQ(total.up, 2000000u);
}

TEST_F(MainFormUsage, QuotaNoticesReachTheTrayOncePerLevel)
{
    TMonitorSettings s = oneSensor(10'000'000); // carries 10^9 octets in a minute
    seedStore(s);
    auto form = makeUsageForm();
    form->usageSettings().Sensors.at(0).QuotaGB = 1;
    form->usageSettings().Sensors.at(0).QuotaKind = TQuotaKind::Download;
    form->UpdateControlProperties(); // as the options' OK does
    m_told.clear();

    // A write (and the quota check) at most once a minute: 61 s per pass.
    pass(*form, 61, "1000", "0", "0");
    pass(*form, 61, "7100", "850000000", "0"); // 85 % of 10^9 octets
    ASSERT_EQ(m_told.size(), 1);
    EXPECT_TRUE(m_told[0].contains("80 %")) << m_told[0].toStdString();
    pass(*form, 61, "13200", "900000000", "0"); // 90 %: nothing new
    EXPECT_EQ(m_told.size(), 1);
    pass(*form, 61, "19300", "1000000001", "0"); // past 100 %
    ASSERT_EQ(m_told.size(), 2);
    EXPECT_TRUE(m_told[1].contains("100 %")) << m_told[1].toStdString();
    pass(*form, 61, "25400", "1100000000", "0");
    EXPECT_EQ(m_told.size(), 2);
}

TEST_F(MainFormUsage, TheMenuOpensOneUsageWindowThatIsNotModal)
{
    seedStore(oneSensor());
    auto form = makeUsageForm();
    EXPECT_EQ(form->usage().window(), nullptr);
    QAction* item = form->mainMenu()->action("Usage1");
    ASSERT_NE(item, nullptr);
    item->trigger();
    TUsageWindow* window = form->usage().window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The poll goes on while it is open, and a second click brings the same
    // window back rather than another one.
    pass(*form, 10, "1000", "1000", "1000");
    EXPECT_EQ(form->sensorControls(0)->DownLabel->text(), "DL: 0.0 kb/s");
    // Octets of the current minute, not yet written, show when it comes back.
    pass(*form, 10, "2000", "5001000", "1001000");
    EXPECT_EQ(window->totalText(0, 0), "0 B");
    item->trigger();
    EXPECT_EQ(form->usage().window(), window);
    EXPECT_NE(window->totalText(0, 0), "0 B");
    EXPECT_EQ(QApplication::topLevelWidgets().count(window), 1);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form->usage().window(), nullptr);
}

TEST_F(MainFormUsage, AHistoryThatCannotBeOpenedIsToldOnceAndNotModally)
{
    // The data folder is a file: no history can be made there.
    std::ofstream(m_root / "blocker") << "x";
    setenv("XDG_DATA_HOME", (m_root / "blocker").c_str(), 1);
    seedStore(oneSensor());
    // Told while the window is built, before a test could listen to the
    // tray: without a notification area the text goes to the standard error.
    testing::internal::CaptureStderr();
    auto form = makeUsageForm();
    const std::string told = testing::internal::GetCapturedStderr();
    const auto first = told.find("Travimetra: Usage is not recorded");
    EXPECT_NE(first, std::string::npos) << told;
    EXPECT_EQ(told.find("Usage is not recorded", first + 13), std::string::npos) << told;
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The poll goes on, without a word per pass.
    pass(*form, 61, "1000", "1000", "1000");
    pass(*form, 61, "7100", "2000", "2000");
    EXPECT_TRUE(m_told.isEmpty()) << m_told.join('|').toStdString();
    EXPECT_EQ(form->sensorControls(0)->DownLabel->text(), "DL: 0.0 kb/s");
    // Asking for the window answers without opening one.
    form->mainMenu()->action("Usage1")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->usage().window(), nullptr);
    ASSERT_EQ(m_told.size(), 1);
    EXPECT_TRUE(m_told[0].contains("could not be opened")) << m_told[0].toStdString();
}

QStringList scaleTexts(const TVrScale& scale)
{
    QStringList texts;
    for (const TVrScale::Label& label : scale.labels())
        texts << label.text;
    return texts;
}

TEST_F(MainFormUsage, TheUnitChangesLabelsHintAndScaleButNotTheGraph)
{
    seedStore(oneSensor(1024)); // a scale of 0 .. 128 kibibytes per second
    auto form = makeUsageForm();
    TSensorControls* a = form->sensorControls(0);
    const QStringList kibibyteScale = scaleTexts(*a->Scale);
    ASSERT_FALSE(kibibyteScale.isEmpty());
    EXPECT_EQ(kibibyteScale.back(), "128");

    struct Case
    {
        TRateUnit unit;
        const char* down; // 40960 B/s
        const char* hint;
        double scaleTop; // the round top at or above 1024 kbit/s in the unit
    };
    const Case cases[] = {
        {TRateUnit::MegabitsPerSecond, "DL: 0.33 Mbit/s", "A -> DL: 0.33 Mbit/s | UL: 0.08 Mbit/s",
         1.2},
        {TRateUnit::MegabytesPerSecond, "DL: 0.04 MB/s", "A -> DL: 0.04 MB/s | UL: 0.01 MB/s",
         0.14},
        {TRateUnit::KibibytesPerSecond, "DL: 40.0 kb/s", "A -> DL: 40.0 kb/s | UL: 10.0 kb/s", 128},
    };
    std::string upTime = "1000";
    pass(*form, 10, upTime, "100000", "100000");
    int64_t down = 100000, up = 100000;
    for (const Case& c : cases) {
        SCOPED_TRACE(RateUnit::unitText(c.unit));
        form->usageSettings().RateUnit = c.unit;
        form->UpdateControlProperties(); // as the options' OK does
        const QStringList scale = scaleTexts(*a->Scale);
        EXPECT_NEAR(scale.back().toDouble(), c.scaleTop, 0.006);
        EXPECT_EQ(scale.front().toDouble(), 0.0);
        if (c.unit == TRateUnit::KibibytesPerSecond) {
            EXPECT_EQ(scale, kibibyteScale);
        } else {
            // Every label of one scale keeps the same number of decimals.
            const auto decimals = [](const QString& t) { return t.size() - t.indexOf('.') - 1; };
            for (const QString& text : scale)
                EXPECT_EQ(decimals(text), decimals(scale.back())) << text.toStdString();
            EXPECT_GT(decimals(scale.back()), 0);
        }

        // The rebuild starts the rates from a new baseline; then 10 s with
        // 409600 octets down and 102400 up.
        upTime = std::to_string(std::stoi(upTime) + 1000);
        pass(*form, 10, upTime, std::to_string(down), std::to_string(up));
        down += 409600;
        up += 102400;
        upTime = std::to_string(std::stoi(upTime) + 1000);
        pass(*form, 10, upTime, std::to_string(down), std::to_string(up));
        EXPECT_EQ(a->DownLabel->text(), c.down);
        EXPECT_NE(form->trayHint().find(c.hint), std::string::npos) << form->trayHint();
        // The graph keeps octets per second, whatever the labels show.
        EXPECT_EQ(a->Scope->channels().items(0).sample(0), 40960);
        EXPECT_EQ(a->Scope->channels().items(1).sample(0), 10240);
    }
}

// A live sensor's scale is grown to its highest rate in bytes per second:
// in another unit its labels must say that rate, not 1024 times it.
TEST_F(MainFormUsage, AGrownLiveScaleShowsItsHighestRateInTheChosenUnit)
{
    TMonitorSettings s = oneSensor(1024);
    s.Sensors[0].SpeedType = stLive;
    seedStore(s);
    auto form = makeUsageForm();
    form->usageSettings().RateUnit = TRateUnit::MegabitsPerSecond;
    form->UpdateControlProperties();
    TSensorControls* a = form->sensorControls(0);
    pass(*form, 10, "1000", "100000", "100000");
    // 10 s with 1,250,000 octets down: 125000 B/s, which is 1.00 Mbit/s.
    pass(*form, 10, "2000", "1350000", "200000");
    ASSERT_EQ(a->Scale->maxValue(), 125000);
    const QStringList scale = scaleTexts(*a->Scale);
    ASSERT_FALSE(scale.isEmpty());
    EXPECT_NEAR(scale.back().toDouble(), 1.0, 0.006) << scale.back().toStdString();
}

} // namespace
