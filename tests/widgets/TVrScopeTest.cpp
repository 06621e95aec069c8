#include "TVrScope.h"

#include "GuiTestApp.h"
#include "ImageProbe.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

TRAVIMETRA_GUI_TEST_APP;

namespace {

using namespace VrColor;

QString fields(std::initializer_list<const char*> values)
{
    QString text;
    for (const char* v : values)
        text += QString::fromLatin1(v);
    return text;
}

// A 40 x 100 scope over 0 .. 100: base row 49, grid every 16 pixels.
struct SmallScope : ::testing::Test
{
    TVrScope scope;
    void SetUp() override { scope.resize(40, 100); }
};

TEST_F(SmallScope, PushWithoutChannelsChangesNothingAndDoesNotRedraw)
{
    ASSERT_TRUE(showAndWait(scope));
    const int paints = scope.paintCount();
    scope.pushValue(0, 50);
    EXPECT_EQ(scope.paintCount(), paints);
    EXPECT_EQ(scope.channels().count(), 0);
}

TEST_F(SmallScope, PushRedrawsAtOnce)
{
    scope.channels().add();
    ASSERT_TRUE(showAndWait(scope));
    const int paints = scope.paintCount();
    scope.pushValue(0, 50);
    EXPECT_EQ(scope.paintCount(), paints + 1);
    // An equal property value does nothing, a new one redraws.
    scope.setGridColor(scope.gridColor());
    EXPECT_EQ(scope.paintCount(), paints + 1);
    scope.setGridColor(clRed);
    EXPECT_EQ(scope.paintCount(), paints + 2);
    scope.channels().items(0).setColor(clRed);
    EXPECT_EQ(scope.paintCount(), paints + 3);
}

// Counts the paint events that reach a widget.
struct PaintEvents : QObject
{
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

// A poll pushes two samples into every graph of the window: each push draws
// the image at once, but the screen is brought up to date once for all of
// them, not once per push.
TEST_F(SmallScope, ManyPushesReachTheScreenInOnePaint)
{
    scope.channels().add();
    ASSERT_TRUE(showAndWait(scope));
    spinFor(50);
    PaintEvents paints;
    scope.installEventFilter(&paints);
    const int redraws = scope.paintCount();
    for (int i = 0; i < 20; ++i)
        scope.pushValue(0, 100);
    EXPECT_EQ(scope.paintCount(), redraws + 20);
    EXPECT_EQ(paints.count, 0);
    EXPECT_TRUE(waitUntil([&] { return paints.count >= 1; }));
    spinFor(50);
    EXPECT_EQ(paints.count, 1);
    // The paint copied what the pushes drew; it did not draw again.
    EXPECT_EQ(scope.paintCount(), redraws + 20);
    // What reached the screen holds the pushed samples: row 0 at the edge.
    const QImage shown = scope.grab().toImage();
    EXPECT_EQ(pixelAt(shown, 39, 0), clYellow);
}

// A graph below the bottom of every screen (a tall window of many sensors)
// is not drawn on a push; it is drawn, with every sample, when it comes
// into view.
TEST(TVrScope, AGraphOutOfViewIsDrawnWhenItComesIntoView)
{
    QWidget window;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window.setGeometry(screen.left(), screen.top(), 60, 100);
    TVrScope scope(&window);
    scope.channels().add();
    scope.setGeometry(0, 0, 40, 100);
    ASSERT_TRUE(showAndWait(window));
    ASSERT_TRUE(scope.onScreen());
    window.move(screen.left(), screen.bottom() + 500);
    ASSERT_TRUE(waitUntil([&] { return !scope.onScreen(); }));
    const int redraws = scope.paintCount();
    scope.pushValue(0, 100);
    scope.pushValue(0, 100);
    EXPECT_EQ(scope.paintCount(), redraws);
    EXPECT_TRUE(scope.redrawPending());
    EXPECT_EQ(scope.channels().items(0).sampleCount(), 2);

    window.move(screen.left(), screen.top());
    ASSERT_TRUE(waitUntil([&] { return !scope.redrawPending(); }));
    EXPECT_GE(scope.paintCount(), redraws + 1);
    const QImage shown = scope.grab().toImage();
    EXPECT_EQ(pixelAt(shown, 39, 0), clYellow);
}

TEST_F(SmallScope, ChannelAndValueAreClamped)
{
    scope.setMinValue(-10);
    scope.channels().add();
    scope.channels().add();
    scope.pushValue(-3, 42);
    scope.pushValue(7, -5);
    scope.pushValue(1, 1000);
    scope.pushValue(1, -1000);
    EXPECT_EQ(scope.channels().items(0).history(), "0000000042");
    EXPECT_EQ(scope.channels().items(1).history(),
              fields({"-000000010", "0000000100", "-000000005"}));
}

TEST_F(SmallScope, HistoryKeepsBufferSizeSamplesNewestFirst)
{
    TVrChannel& channel = scope.channels().add();
    scope.setMaxValue(2000);
    for (int i = 1; i <= 1000; ++i)
        scope.pushValue(0, i);
    EXPECT_EQ(channel.sampleCount(), 999);
    const QString history = channel.history();
    EXPECT_EQ(history.size(), 9990);
    EXPECT_EQ(history.left(10), "0000001000");
    EXPECT_EQ(history.right(10), "0000000002"); // the first push is gone

    scope.setBufferSize(3);
    EXPECT_EQ(channel.history(), fields({"0000001000", "0000000999", "0000000998"}));
    scope.pushValue(0, 5);
    EXPECT_EQ(channel.history(), fields({"0000000005", "0000001000", "0000000999"}));
}

TEST_F(SmallScope, RangeChangesThatEmptyOrInvertAreRefused)
{
    scope.channels().add();
    scope.channels().add();
    scope.pushValue(0, 10);
    scope.pushValue(1, 20);
    scope.setMaxValue(0);
    scope.setMaxValue(-5);
    scope.setMinValue(100);
    scope.setMinValue(-1000000000); // below the fixed-width history fields
    EXPECT_EQ(scope.maxValue(), 100);
    EXPECT_EQ(scope.minValue(), 0);
    EXPECT_EQ(scope.channels().items(0).sampleCount(), 1);

    scope.setMaxValue(200);
    EXPECT_EQ(scope.maxValue(), 200);
    EXPECT_EQ(scope.channels().items(0).sampleCount(), 0);
    EXPECT_EQ(scope.channels().items(1).sampleCount(), 0);
    scope.pushValue(0, 10);
    scope.setMinValue(-1);
    EXPECT_EQ(scope.channels().items(0).sampleCount(), 0);
}

TEST_F(SmallScope, RangesOfFastLinksAreTakenAndDrawnAtTheirRow)
{
    scope.setGridColor(clBlack);
    scope.setBaseColor(clBlack);
    scope.channels().add();
    // A 10 Gbit/s link's full scale (10,000,000 kbit/s x 128), a maximum just
    // past 10^9 and the largest 32-bit one: each is taken, and a sample at
    // 3/4 of it is drawn on the row of the percent rule, not clamped to the
    // old range.
    for (const int maximum : {1280000000, 1000000001, 2147483647}) {
        scope.setMaxValue(maximum);
        ASSERT_EQ(scope.maxValue(), maximum);
        const int sample = static_cast<int>(static_cast<long long>(maximum) * 3 / 4);
        scope.pushValue(0, sample);
        scope.pushValue(0, sample);
        ASSERT_EQ(scope.channels().items(0).sampleCount(), 2);
        // The rule: pct = T(v x 100 / (max - min)), row = H - T(H x (pct x 0.01))
        // with the 64-bit-mantissa 0.01 (so 75 % of 100 rows is 74 rows).
        const int pct = static_cast<int>(static_cast<long long>(sample) * 100 / maximum);
        const int row = 100 - static_cast<int>(100.0L * (pct * 0.01L));
        ASSERT_GT(row, 20);
        ASSERT_LT(row, 30);
        const QImage& image = scope.renderImage();
        EXPECT_EQ(columnsOf(image, row, clYellow), std::vector<int>{39}) << maximum;
        EXPECT_TRUE(columnsOf(image, 0, clYellow).empty()) << maximum;
        EXPECT_EQ(scope.channels().items(0).history().left(10),
                  QString::number(sample).rightJustified(10, QLatin1Char('0')))
            << maximum;
    }
}

TEST_F(SmallScope, EmptyHistoryShowsGridAndBaseLineOnly)
{
    scope.channels().add();
    const QImage& image = scope.renderImage();
    EXPECT_EQ(scope.baseRow(), 49);
    EXPECT_EQ(columnsOf(image, 49, clLime).size(), 40u);
    EXPECT_EQ(rowsOf(image, 16, clGreen).size(), 100u - 1u); // broken by the base line
    for (int y : {33, 17, 1, 65, 81, 97})
        EXPECT_EQ(pixelAt(image, 5, y), clGreen) << "row " << y;
    EXPECT_EQ(pixelAt(image, 5, 40), clBlack);
    EXPECT_TRUE(columnsOf(image, 30, clYellow).empty());
}

TEST_F(SmallScope, RightToLeftLineTraceNewestAtTheRightEdge)
{
    scope.setGridColor(clBlack);
    scope.channels().add();
    for (int i = 0; i < 10; ++i)
        scope.pushValue(0, 100);
    scope.pushValue(0, 500); // clamped to 100: drawn on row 0
    const QImage& image = scope.renderImage();
    // Eleven samples at x = 40, 39, ..., 30, all on row 0.
    std::vector<int> expected;
    for (int x = 30; x < 40; ++x)
        expected.push_back(x);
    EXPECT_EQ(columnsOf(image, 0, clYellow), expected);
    // The history ends: a steep segment back towards the base line at x = 29
    // (its end point, as the end of every trace, is left out).
    // The column is rounded to nearest: 30 down to row 24, then 29.
    for (int y = 1; y < 49; ++y)
        EXPECT_EQ(columnsOf(image, y, clYellow), std::vector<int>{y <= 24 ? 30 : 29})
            << "row " << y;
    EXPECT_EQ(pixelAt(image, 29, 49), clLime);
}

TEST_F(SmallScope, BarTraceIsAStepTrace)
{
    scope.setGridColor(clBlack);
    scope.setBaseColor(clBlack);
    scope.setFrequency(4);
    TVrChannel& channel = scope.channels().add();
    channel.setStyle(gsBar);
    scope.pushValue(0, 100); // older: row 0
    scope.pushValue(0, 50);  // newest: row 50
    const QImage& image = scope.renderImage();
    // Newest at x = 40 runs left to 36; the riser at 36; the older sample
    // from 36 to 32; then a drop to the base line at 32.
    EXPECT_EQ(columnsOf(image, 50, clYellow), (std::vector<int>{36, 37, 38, 39}));
    EXPECT_EQ(columnsOf(image, 0, clYellow), (std::vector<int>{32, 33, 34, 35, 36}));
    EXPECT_EQ(pixelAt(image, 36, 25), clYellow);
    EXPECT_EQ(pixelAt(image, 32, 25), clYellow);
    EXPECT_EQ(pixelAt(image, 34, 25), clBlack);
}

TEST_F(SmallScope, LeftToRightStartsAtTheLeftEdge)
{
    scope.setGridColor(clBlack);
    scope.setBaseColor(clBlack);
    scope.setDirection(sdLeftToRight);
    scope.setFrequency(4);
    scope.channels().add().setStyle(gsBar);
    scope.pushValue(0, 100);
    const QImage& image = scope.renderImage();
    // The opening segment slants from (4, base) to (0, 0), then the run to
    // x = 4 and the drop back to the base line.
    EXPECT_EQ(columnsOf(image, 0, clYellow), (std::vector<int>{0, 1, 2, 3, 4}));
    const std::vector<int> middle = columnsOf(image, 25, clYellow);
    ASSERT_EQ(middle.size(), 2u);
    EXPECT_EQ(middle[0], 2);
    EXPECT_EQ(middle[1], 4);
}

TEST_F(SmallScope, FrequencyIsTheDistanceBetweenSamples)
{
    scope.setGridColor(clBlack);
    scope.setBaseColor(clBlack);
    scope.channels().add().setStyle(gsBar);
    scope.pushValue(0, 100);
    for (int i = 0; i < 5; ++i)
        scope.pushValue(0, 50);
    // Sample 5 (the 100) sits at x = Width - 5F and runs F pixels left.
    EXPECT_EQ(columnsOf(scope.renderImage(), 0, clYellow), (std::vector<int>{34, 35}));
    scope.setFrequency(2);
    EXPECT_EQ(columnsOf(scope.renderImage(), 0, clYellow), (std::vector<int>{28, 29, 30}));
}

TEST_F(SmallScope, ChannelZeroLiesOnTopAndInvisibleChannelsKeepCollecting)
{
    scope.setGridColor(clBlack);
    TVrChannel& first = scope.channels().add();
    TVrChannel& second = scope.channels().add();
    second.setColor(clRed);
    for (int i = 0; i < 5; ++i) {
        scope.pushValue(1, 100);
        scope.pushValue(0, 100);
    }
    EXPECT_EQ(pixelAt(scope.renderImage(), 38, 0), clYellow);
    first.setVisible(false);
    scope.pushValue(0, 100);
    EXPECT_EQ(pixelAt(scope.renderImage(), 38, 0), clRed);
    EXPECT_EQ(first.sampleCount(), 6);
    first.setVisible(true);
    EXPECT_EQ(columnsOf(scope.renderImage(), 0, clYellow).size(), 5u);
}

TEST_F(SmallScope, BaseOffsetAboveHundredPutsTheBaseAboveTheTop)
{
    scope.channels().add();
    scope.setBaseOffset(150);
    EXPECT_EQ(scope.baseOffset(), 150);
    scope.setBaseOffset(256); // beyond a byte: refused
    EXPECT_EQ(scope.baseOffset(), 150);
    EXPECT_EQ(scope.baseRow(), -51);
    const QImage& image = scope.renderImage();
    // Horizontal lines only from the base downward: -35, -19, -3, 13, 29, ...
    for (int y : {13, 29, 45, 61, 77, 93})
        EXPECT_EQ(pixelAt(image, 5, y), clGreen) << "row " << y;
    EXPECT_EQ(pixelAt(image, 5, 12), clBlack);
    EXPECT_TRUE(columnsOf(image, 0, clYellow).empty());
}

TEST_F(SmallScope, PropertiesForwardToTheInternalTimer)
{
    EXPECT_TRUE(scope.threaded());
    EXPECT_EQ(scope.interval(), 100u);
    scope.setInterval(10000);
    scope.setThreaded(false);
    EXPECT_EQ(scope.interval(), 10000u);
    EXPECT_FALSE(scope.threaded());
}

TEST_F(SmallScope, TickMovesTheGridAndAsksForData)
{
    scope.setGridSize(16);
    scope.setFrequency(5);
    scope.channels().add();
    scope.channels().add();
    scope.OnNeedData = [](TVrScope*, int channel, int& value) { value = channel == 0 ? 70 : 500; };
    for (int i = 0; i < 4; ++i)
        scope.tick();
    EXPECT_EQ(scope.gridOffset(), 4); // 5, 10, 15, 20 - 16
    EXPECT_EQ(scope.channels().items(0).history().left(10), "0000000070");
    EXPECT_EQ(scope.channels().items(1).history().left(10), "0000000100");
    EXPECT_EQ(ScopeGeometry::verticalGridLines(40, 16, scope.gridOffset()).front(), -4);

    scope.setDirection(sdLeftToRight);
    scope.setAnimateGrid(true);
    scope.tick(); // 4 - 5 = -1 -> 15
    EXPECT_EQ(scope.gridOffset(), 15);
    scope.setAnimateGrid(false);
    scope.tick();
    EXPECT_EQ(scope.gridOffset(), 15);
}

TEST(TVrScope, ActiveScopeTicksThroughItsTimer)
{
    TVrScope scope;
    scope.channels().add();
    int asked = 0;
    scope.OnNeedData = [&](TVrScope*, int, int& value) {
        ++asked;
        value = 50;
    };
    scope.setInterval(5);
    scope.setActive(true);
    EXPECT_TRUE(waitUntil([&] { return asked >= 3; }));
    scope.setActive(false);
    spinFor(20);
    const int stopped = asked;
    spinFor(50);
    EXPECT_EQ(asked, stopped);
    EXPECT_EQ(scope.channels().items(0).history().left(10), "0000000050");
}

} // namespace
