#include "TMetricsOptionsPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

class TMetricsOptionsPageTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "test";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }
};

TEST_F(TMetricsOptionsPageTest, ShowsTheStoredSettingsAndGivesBackWhatWasTyped)
{
    TMetricsOptionsPage page;
    const TMetricsSettings defaults;
    EXPECT_EQ(page.settings(), defaults);
    EXPECT_EQ(page.whereText(), "The figures are not served.");

    TMetricsSettings stored;
    stored.Enabled = true;
    stored.Address = "127.0.0.5";
    stored.Port = 9100;
    page.setSettings(stored);
    EXPECT_EQ(page.settings(), stored);
    EXPECT_EQ(page.whereText(), "A scraper reads them at http://127.0.0.5:9100/metrics");
    EXPECT_EQ(page.warningText(), "");

    page.findChild<QLineEdit*>("MetricsAddressEdit")->setText("  ::1 ");
    page.findChild<QSpinBox*>("MetricsPortEdit")->setValue(65535);
    EXPECT_EQ(page.settings().Address, "::1");
    EXPECT_EQ(page.settings().Port, 65535);
    EXPECT_EQ(page.whereText(), "A scraper reads them at http://[::1]:65535/metrics");
}

struct WarningCase
{
    const char* address;
    bool enabled;
    bool warned;
};

TEST_F(TMetricsOptionsPageTest, AnAddressBeyondThisComputerSaysWhoCanRead)
{
    const WarningCase cases[] = {
        {"127.0.0.1", true, false},  {"::1", true, false},          {"0.0.0.0", true, true},
        {"192.168.1.2", true, true}, {"192.168.1.2", false, false}, {"localhost", true, true},
    };
    TMetricsOptionsPage page;
    for (const WarningCase& c : cases) {
        page.findChild<QCheckBox*>("MetricsChB")->setChecked(c.enabled);
        page.findChild<QLineEdit*>("MetricsAddressEdit")->setText(c.address);
        EXPECT_EQ(page.warningText(),
                  c.warned ? QString::fromUtf8(MetricsAddress::kOpenNetworkWarning) : QString())
            << c.address;
    }
}

} // namespace
