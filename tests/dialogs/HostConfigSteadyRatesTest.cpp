#include "HostConfigFixture.h"

#include <QCheckBox>

#include <vector>

namespace {

class HostConfigSteadyRatesTest : public HostConfigFixture<ScriptedDeviceNetwork>
{
protected:
    void SetUp() override { setUpSmallRouter(); }
};

TEST_F(HostConfigSteadyRatesTest, TheBoxShowsAndKeepsTheSensorsRule)
{
    struct Case
    {
        const char* what;
        int mode;    // 1 add, 2 edit
        bool stored; // the edited entry's SteadyRates
        bool shown;  // the box when the dialog opens
        bool click;  // the user clicks the box once
        bool saved;  // the entry's SteadyRates after OK
    };
    const std::vector<Case> cases = {
        {"a new sensor starts with steady rates", 1, false, true, false, true},
        {"a new sensor with the box cleared", 1, false, true, true, false},
        {"a stored sensor with steady rates", 2, true, true, false, true},
        {"a stored sensor without them", 2, false, false, false, false},
        {"turned off", 2, true, true, true, false},
        {"turned on again", 2, false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSensorConfig stored;
        stored.Active = true;
        stored.HostName = "Office";
        stored.HostIP = "10.0.0.1";
        stored.Community = "vandor";
        stored.Sensor = "3";
        stored.SensorName = "eth0";
        stored.SpeedType = TSpeedType::Live;
        stored.SteadyRates = c.stored;
        owner->list = {stored};
        owner->mode = c.mode;
        owner->row = 1;
        open();
        auto* box = get<QCheckBox>("SteadyRatesChB");
        EXPECT_EQ(box->isChecked(), c.shown);
        if (c.mode == 1)
            connectTo();
        if (c.click)
            box->click();
        get<QPushButton>("OKBT")->click();
        ASSERT_EQ(form->result(), QDialog::Accepted);
        const std::size_t entries = c.mode == 1 ? 2u : 1u;
        ASSERT_EQ(owner->list.size(), entries);
        EXPECT_EQ(owner->list.back().SteadyRates, c.saved);
        form.reset();
        m_messages->messages.clear();
    }
}

} // namespace
