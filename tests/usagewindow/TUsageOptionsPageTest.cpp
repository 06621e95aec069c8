#include "TUsageOptionsPage.h"
#include "UsageQtApplication.h"

#include <QComboBox>
#include <QSpinBox>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(TUsageOptionsPageTest, ShowsAndReturnsEverySensorsSettings)
{
    usageQtApplication();
    TUsageSettings in;
    in.RateUnit = TRateUnit::MegabytesPerSecond;
    // Both ends of each range, and a sensor with no settings yet (the defaults).
    in.Sensors = {{15, 250, TQuotaKind::Download},
                  {31, 0, TQuotaKind::Upload},
                  {1, UsageSettingsStore::kMaxQuotaGB, TQuotaKind::Both}};
    TUsageOptionsPage page;
    page.setSettings(in, {"Router", "Modem", "Link", "New"});
    const TUsageSettings out = page.settings();
    EXPECT_EQ(out.RateUnit, in.RateUnit);
    ASSERT_EQ(out.Sensors.size(), 4u);
    const TSensorUsageSettings expected[] = {in.Sensors[0], in.Sensors[1], in.Sensors[2], {}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(out.Sensors[i].PeriodStartDay, expected[i].PeriodStartDay) << i;
        EXPECT_EQ(out.Sensors[i].QuotaGB, expected[i].QuotaGB) << i;
        EXPECT_EQ(out.Sensors[i].QuotaKind, expected[i].QuotaKind) << i;
    }
}

TEST(TUsageOptionsPageTest, EditsComeBackAndStayInRange)
{
    usageQtApplication();
    TUsageOptionsPage page;
    page.setSettings({}, {"Router"});
    auto* grid = page.findChild<QTableWidget*>("UsageSensorGrid");
    ASSERT_NE(grid, nullptr);
    auto* start = static_cast<QSpinBox*>(grid->cellWidget(0, 1));
    auto* quota = static_cast<QSpinBox*>(grid->cellWidget(0, 2));
    auto* kind = static_cast<QComboBox*>(grid->cellWidget(0, 3));
    EXPECT_EQ(quota->text(), "None"); // no quota is shown as such, not as "0 GB"
    start->setValue(45);              // beyond the month: held at 31
    quota->setValue(-3);              // below none: held at 0
    kind->setCurrentIndex(1);
    page.findChild<QComboBox*>("RateUnitCB")->setCurrentIndex(1);
    const TUsageSettings out = page.settings();
    EXPECT_EQ(out.RateUnit, TRateUnit::MegabitsPerSecond);
    EXPECT_EQ(out.Sensors[0].PeriodStartDay, 31);
    EXPECT_EQ(out.Sensors[0].QuotaGB, 0);
    EXPECT_EQ(out.Sensors[0].QuotaKind, TQuotaKind::Upload);
}

} // namespace
