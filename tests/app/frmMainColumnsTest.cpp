// A strip with more sensors than the screen is high: further columns to the
// left, the first column where the user put it, and the whole window still
// brought onto the screen.
#include "MainFormFixture.h"
#include "core/FakeSensorNetwork.h"

#include "TSensorControls.h"
#include "TVrScope.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

class MainFormColumns : public MainFormFixture
{
protected:
    std::shared_ptr<FakeSensorNetwork> m_net = std::make_shared<FakeSensorNetwork>();

    // As many full sets as fill the screen's available height twice over.
    int seedTallStrip(int left, int top)
    {
        const int available = QGuiApplication::primaryScreen()->availableGeometry().height();
        const int sensors = 2 * (available / 170) + 1;
        TMonitorSettings s = typicalSettings();
        s.LatencySensor = true;
        for (int i = 0; i < sensors; ++i)
            s.Sensors.push_back(configuredSensor("127.0.0.1", "S" + std::to_string(i)));
        seedStore(s);
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "Left", left, rdInteger);
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "Top", top, rdInteger);
        return sensors;
    }

    static int32_t stored(const char* name)
    {
        int32_t value = 0;
        regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, name), value);
        return value;
    }
};

TEST_F(MainFormColumns, SensorsThatDoNotFitContinueToTheLeftAndTheStoredPlaceStays)
{
    testApplication();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // Three columns fit the width only when the first is at the right.
    ASSERT_GE(area.width(), 3 * 260 + 5);
    const int left = area.right() + 1 - 260 - 5;
    const int sensors = seedTallStrip(left, area.top() + 10);
    {
        auto form = makeForm(m_net);
        const int perColumn = area.height() / 170;
        const int columns = (sensors + perColumn - 1) / perColumn;
        ASSERT_EQ(columns, 3);
        EXPECT_EQ(form->width(), 260 * columns);
        EXPECT_LE(form->height(), area.height());
        // The first column stays at the stored place; the others to its left.
        EXPECT_EQ(form->windowLeft(), left);
        EXPECT_EQ(form->x(), left - 260 * (columns - 1));
        // Sensor order: down the first column, then down the next to the left.
        for (int i = 0; i < sensors; ++i) {
            const QRect scope = form->sensorControls(i)->Scope->geometry();
            const int column = i / perColumn;
            EXPECT_EQ(scope.left(), 260 * (columns - 1 - column) + 26) << i;
            EXPECT_EQ(scope.top(), 170 * (i % perColumn) + 16) << i;
        }
        // The close button at the first column's top right.
        EXPECT_EQ(form->shutdownButton()->geometry().topLeft(),
                  QPoint(260 * (columns - 1) + 243, 0));
    }
    // Saved as it was stored.
    EXPECT_EQ(stored("Left"), left);
    EXPECT_EQ(stored("Top"), area.top() + 10);
}

TEST_F(MainFormColumns, AStripOfColumnsOffTheScreenIsBroughtBack)
{
    testApplication();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    seedTallStrip(area.right() + 2000, area.bottom() + 2000);
    auto form = makeForm(m_net);
    ASSERT_GT(form->width(), 260);
    EXPECT_TRUE(area.contains(form->frameGeometry()))
        << form->x() << "," << form->y() << " " << form->width() << "x" << form->height();
}

} // namespace
