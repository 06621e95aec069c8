#include "DialogTestSupport.h"

#include "TUsageOptionsPage.h"
#include "frmHostConfig.h"
#include "frmOptions.h"
#include "srcRegOptions.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

// The usage page of the options dialog: what it shows, what OK hands to the
// window and the store, and that each sensor's period and quota stay with
// that sensor when the list is edited.
namespace {

using Answer = DialogMessages::Answer;

TSensorRecord named(const std::string& name)
{
    TSensorRecord r;
    r.Active = true;
    r.HostName = name;
    r.HostIP = "10.0.0.1";
    r.Community = "vandor";
    r.Sensor = "2";
    r.SensorName = "if";
    r.DownSpeed = 1024;
    r.UpSpeed = 512;
    r.SpeedType = TSpeedType::Bypass;
    r.GraphPixels = 2;
    return r;
}

TSensorUsageSettings usageOf(int startDay, int quota, TQuotaKind kind = TQuotaKind::Both)
{
    TSensorUsageSettings s;
    s.PeriodStartDay = startDay;
    s.QuotaGB = quota;
    s.QuotaKind = kind;
    return s;
}

class OptionsUsageTest : public DialogTest
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        host.loadDefaults();
        // Three sensors, each with a period and quota of its own; the start
        // day tells them apart.
        host.model.resizeSensors(3);
        host.model.Sensors[0] = named("A");
        host.model.Sensors[1] = named("B");
        host.model.Sensors[2] = named("C");
        host.usage.Sensors = {usageOf(5, 10), usageOf(15, 20, TQuotaKind::Download),
                              usageOf(28, 0)};
        net = std::make_shared<ScriptedDeviceNetwork>();
    }
    void TearDown() override
    {
        form.reset();
        DialogTest::TearDown();
    }

    void open()
    {
        form = std::make_unique<TOptionsForm>(host, net);
        form->show();
    }
    QTableWidget* usageGrid()
    {
        return form->usagePage()->findChild<QTableWidget*>("UsageSensorGrid");
    }
    QSpinBox* spin(int row, int column)
    {
        return qobject_cast<QSpinBox*>(usageGrid()->cellWidget(row, column));
    }
    std::vector<int> shownStartDays()
    {
        std::vector<int> days;
        for (int row = 0; row < usageGrid()->rowCount(); ++row)
            days.push_back(spin(row, 1)->value());
        return days;
    }
    static std::vector<int> startDays(const TUsageSettings& settings)
    {
        std::vector<int> days;
        for (const TSensorUsageSettings& s : settings.Sensors)
            days.push_back(s.PeriodStartDay);
        return days;
    }
    static std::vector<int> quotas(const TUsageSettings& settings)
    {
        std::vector<int> result;
        for (const TSensorUsageSettings& s : settings.Sensors)
            result.push_back(s.QuotaGB);
        return result;
    }
    void ok() { form->findChild<QPushButton*>("OKBT")->click(); }

    FakeMainWindowHost host;
    std::shared_ptr<ScriptedDeviceNetwork> net;
    std::unique_ptr<TOptionsForm> form;
};

TEST_F(OptionsUsageTest, pageShowsTheSettingsAndOkBringsTheEditsToTheWindowAndTheStore)
{
    host.usage.RateUnit = TRateUnit::MegabitsPerSecond;
    open();
    auto* unit = form->usagePage()->findChild<QComboBox*>("RateUnitCB");
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->currentText(), "Mbit/s");
    ASSERT_EQ(usageGrid()->rowCount(), 3);
    EXPECT_EQ(usageGrid()->item(1, 0)->text(), "B / if");
    EXPECT_EQ(shownStartDays(), std::vector<int>({5, 15, 28}));
    EXPECT_EQ(spin(1, 2)->value(), 20);

    unit->setCurrentIndex(2); // MB/s
    spin(2, 1)->setValue(31);
    spin(2, 2)->setValue(250);
    ok();

    EXPECT_EQ(host.usage.RateUnit, TRateUnit::MegabytesPerSecond);
    EXPECT_EQ(startDays(host.usage), std::vector<int>({5, 15, 31}));
    EXPECT_EQ(quotas(host.usage), std::vector<int>({10, 20, 250}));
    EXPECT_EQ(host.usage.Sensors[1].QuotaKind, TQuotaKind::Download);
    // Saved with the other settings, and read back as saved.
    const TUsageSettings stored = UsageSettingsStore::load(3, false);
    EXPECT_EQ(stored.RateUnit, TRateUnit::MegabytesPerSecond);
    EXPECT_EQ(startDays(stored), std::vector<int>({5, 15, 31}));
    EXPECT_EQ(quotas(stored), std::vector<int>({10, 20, 250}));
}

TEST_F(OptionsUsageTest, cancelLeavesTheSettingsAsTheyWere)
{
    open();
    spin(0, 1)->setValue(9);
    form->findChild<QPushButton*>("CancelBT")->click();
    EXPECT_EQ(startDays(host.usage), std::vector<int>({5, 15, 28}));
}

// An edit on the page made before the list changes goes with its sensor.
TEST_F(OptionsUsageTest, periodsAndQuotasMoveWithTheirSensors)
{
    struct Case
    {
        const char* what;
        int row; // selected in the sensor grid, from 1
        const char* button;
        std::vector<std::string> names;
        std::vector<int> days;
        std::vector<int> quotas;
    };
    const Case cases[] = {
        {"C up", 3, "UpBT", {"A", "C", "B"}, {5, 28, 15}, {10, 77, 20}},
        {"A down", 1, "DownBT", {"B", "A", "C"}, {15, 5, 28}, {20, 10, 77}},
        {"B deleted", 2, "DeleteBT", {"A", "C"}, {5, 28}, {10, 77}},
        {"A deleted", 1, "DeleteBT", {"B", "C"}, {15, 28}, {20, 77}},
        {"top row up: nothing", 1, "UpBT", {"A", "B", "C"}, {5, 15, 28}, {10, 20, 77}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.usage.Sensors = {usageOf(5, 10), usageOf(15, 20), usageOf(28, 0)};
        open();
        spin(2, 2)->setValue(77); // C's quota, not yet confirmed
        form->selectRow(c.row);
        m_messages->answers = {Answer::Yes};
        form->findChild<QPushButton*>(c.button)->click();
        std::vector<std::string> names;
        for (const TSensorConfig& e : form->SensorList)
            names.push_back(e.HostName);
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(shownStartDays(), c.days);
        ok();
        EXPECT_EQ(startDays(host.usage), c.days);
        EXPECT_EQ(quotas(host.usage), c.quotas);
        EXPECT_EQ(startDays(UsageSettingsStore::load(c.days.size(), false)), c.days);
        form.reset();
        host.model.resizeSensors(3);
        host.model.Sensors[0] = named("A");
        host.model.Sensors[1] = named("B");
        host.model.Sensors[2] = named("C");
    }
}

TEST_F(OptionsUsageTest, anAddedSensorStartsWithTheDefaultsAndTheOthersKeepTheirs)
{
    net->host = "10.0.0.9";
    net->addInterfaces({{"2", "eth1", "10000000"}});
    open();
    spin(0, 2)->setValue(33);
    whenModal<THostConfigForm>(
        [&](THostConfigForm& d) {
            d.findChild<QLineEdit*>("HostAddressEdit")->setText("10.0.0.9");
            d.findChild<QPushButton*>("RefreshBT")->click();
            d.findChild<QLineEdit*>("HostNameEdit")->setText("D");
            d.findChild<QPushButton*>("OKBT")->click();
        },
        [](THostConfigForm& d) { return d.activationDone(); });
    form->findChild<QPushButton*>("AddBT")->click();
    ASSERT_EQ(form->SensorList.size(), 4u);
    ASSERT_EQ(usageGrid()->rowCount(), 4);
    EXPECT_EQ(usageGrid()->item(3, 0)->text(), "D / eth1");
    ok();
    EXPECT_EQ(startDays(host.usage), std::vector<int>({5, 15, 28, 1}));
    EXPECT_EQ(quotas(host.usage), std::vector<int>({33, 20, 0, 0}));
}

} // namespace
