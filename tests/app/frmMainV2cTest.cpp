// The window with an SNMPv2c sensor: the version comes from the store, a
// sensor that follows its interface to a new number writes the number back
// and says so in its title's tool tip, and a sensor whose interface is gone
// shows its error texts.

#include "MainFormFixture.h"
#include "core/ScriptedV2cAgent.h"

#include "TSensorControls.h"

#include <QLabel>

namespace {

class MainFormV2c : public MainFormFixture
{
protected:
    void seedV2cSensor()
    {
        TMonitorSettings s = typicalSettings();
        s.Sensors = {configuredSensor("127.0.0.1", "Router")}; // interface 1, "eth0"
        seedStore(s);
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "SnmpVersion", 1, rdInteger);
    }
    void poll(TMainForm& form)
    {
        form.UpdateAllMonitors();
        form.networkJobs().settle();
    }
    static std::string storedIndex()
    {
        std::string index;
        regVariantToText(ReadRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "Sensor"), index);
        return index;
    }

    std::shared_ptr<ScriptedV2cAgent> m_agent = std::make_shared<ScriptedV2cAgent>();
};

TEST_F(MainFormV2c, SensorFollowsItsRenumberedInterfaceAndTheStoreKeepsIt)
{
    seedV2cSensor();
    m_agent->interfaces = {{1, {"lo", 0, 0}}, {2, {"eth0", 1000, 1000}}};
    auto form = makeForm(m_agent);
    poll(*form);
    TSensorControls* c = form->sensorControls(0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(storedIndex(), "2");
    EXPECT_NE(c->TitleLabel->toolTip().indexOf("is now number 2"), -1)
        << c->TitleLabel->toolTip().toStdString();
    // Every request went out as SNMPv2c.
    for (const TReadRequest& request : m_agent->takeRequests())
        EXPECT_EQ(request.version, 1);

    m_agent->interfaces[2].in += 10 * 1024 * 5;
    m_agent->upTime += 500; // Interval 5
    poll(*form);
    EXPECT_EQ(c->DownLabel->text(), "DL: 10.0 kb/s");
    EXPECT_EQ(m_agent->takeRequests().size(), 1u); // one request per poll
}

TEST_F(MainFormV2c, SensorWhoseInterfaceIsGoneShowsItsErrorTexts)
{
    seedV2cSensor();
    m_agent->interfaces = {{1, {"lo", 0, 0}}, {2, {"wlan0", 0, 0}}};
    auto form = makeForm(m_agent);
    poll(*form);
    TSensorControls* c = form->sensorControls(0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->DownLabel->text(), "Error on DL sensor");
    EXPECT_EQ(c->UpLabel->text(), "Error on UL sensor");
    EXPECT_NE(c->TitleLabel->toolTip().indexOf("no interface named \"eth0\""), -1);
    EXPECT_EQ(storedIndex(), "1");
}

} // namespace
