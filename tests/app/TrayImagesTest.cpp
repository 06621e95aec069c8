#include "MainFormFixture.h"

#include "TrayImages.h"
#include "WindowScaling.h"

#include <set>

namespace {

TEST(TrayImages, ThirtySixDistinctPicturesOrderedByDownThenUp)
{
    testApplication();
    const QList<QIcon> icons = TrayImages::icons();
    ASSERT_EQ(icons.size(), 36);
    std::set<QByteArray> seen;
    for (int down = 0; down < TrayImages::kLevels; ++down) {
        for (int up = 0; up < TrayImages::kLevels; ++up) {
            const QImage picture = TrayImages::image(down, up);
            EXPECT_EQ(picture.size(), QSize(16, 16));
            seen.insert(QByteArray(reinterpret_cast<const char*>(picture.constBits()),
                                   int(picture.sizeInBytes())));
            // Icon 6 * down + up is that pair.
            EXPECT_EQ(icons[6 * down + up].pixmap(16, 16).toImage().convertToFormat(
                          QImage::Format_ARGB32),
                      picture);
        }
    }
    EXPECT_EQ(seen.size(), 36u);
    // Rows of the 14 inside the frame, for levels 0 .. 5.
    for (const auto& [level, rows] : {std::pair{0, 1}, {1, 4}, {2, 7}, {3, 9}, {4, 12}, {5, 14}})
        EXPECT_EQ(TrayImages::barHeight(level), rows) << level;
}

TEST(TrayImages, LevelsOutsideTheRangeStayInsideTheFrame)
{
    testApplication();
    const QColor frame(96, 96, 96);
    // The full bar, one past it and far past it: the top of the frame stays,
    // the bars fill the inside and no more; below idle is idle.
    for (const int level : {TrayImages::kLevels - 1, TrayImages::kLevels, 1000}) {
        EXPECT_EQ(TrayImages::barHeight(level), 14) << level;
        const QImage picture = TrayImages::image(level, level);
        EXPECT_EQ(picture.pixelColor(3, 0), frame) << level;
        EXPECT_EQ(picture.pixelColor(11, 0), frame) << level;
        EXPECT_EQ(picture.pixelColor(3, 1), QColor(0, 255, 0)) << level;
    }
    for (const int level : {0, -1, -1000})
        EXPECT_EQ(TrayImages::barHeight(level), 1) << level;
}

TEST(WindowScaling, MulDivRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(WindowScaling::mulDiv(133, 150, 100), 200);
    EXPECT_EQ(WindowScaling::mulDiv(11, 150, 100), 17);
    EXPECT_EQ(WindowScaling::mulDiv(17, 100, 150), 11);
    EXPECT_EQ(WindowScaling::mulDiv(-3, 1, 2), -2);
    EXPECT_EQ(WindowScaling::mulDiv(5, 1, 0), 5);
}

TEST(WindowScaling, ScalesFontsOfEverySizeTheWayTheyWereGiven)
{
    testApplication();
    const struct
    {
        int pixels;
        int points;
        int scaledPixels;
        int scaledPoints;
    } cases[] = {{1, -1, 3, -1}, {11, -1, 33, -1}, {-1, 8, -1, 24}, {-1, 1, -1, 3}};
    for (const auto& c : cases) {
        QWidget window;
        auto* label = new QWidget(&window);
        QFont font = label->font();
        if (c.pixels > 0)
            font.setPixelSize(c.pixels);
        else
            font.setPointSize(c.points);
        label->setFont(font);
        WindowScaling::scaleBy(&window, 300, 100);
        EXPECT_EQ(label->font().pixelSize(), c.scaledPixels) << c.pixels << "/" << c.points;
        EXPECT_EQ(label->font().pointSize(), c.scaledPoints) << c.pixels << "/" << c.points;
    }
}

} // namespace
