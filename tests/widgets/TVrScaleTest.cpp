#include "TVrScale.h"

#include "GuiTestApp.h"
#include "ImageProbe.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

using namespace VrColor;

// The main window's scale beside a graph.
struct GraphScale : ::testing::Test
{
    TVrScale scale;
    void SetUp() override
    {
        scale.setOrientation(voVertical);
        scale.setGeometry(0, 0, 26, 141);
        scale.setTicks(8);
        scale.setMaxValue(1000);
        scale.setPeakLevel(700);
        scale.setShowSign(false);
        scale.setLayout(tlTop);
        scale.setScaleOffset(0);
    }
    QStringList texts()
    {
        QStringList result;
        for (const auto& label : scale.labels())
            result << label.text;
        return result;
    }
};

TEST_F(GraphScale, LabelsStackUpwardInEqualSteps)
{
    const auto labels = scale.labels();
    ASSERT_EQ(labels.size(), 9u);
    EXPECT_EQ(texts(), QStringList({"0", "125", "250", "375", "500", "625", "750", "875", "1000"}));
    for (int k = 0; k <= 8; ++k)
        EXPECT_EQ(labels[static_cast<std::size_t>(k)].cell, QRect(0, 126 - 15 * k, 26, 15));
    // 750, 875 and 1000 reach the peak level.
    for (int k = 0; k <= 8; ++k)
        EXPECT_EQ(labels[static_cast<std::size_t>(k)].color, k >= 6 ? clLime : clGreen);
}

TEST_F(GraphScale, LastLabelStaysBelowAnUnevenMaximum)
{
    scale.setMaxValue(100);
    EXPECT_EQ(texts(), QStringList({"0", "12", "24", "36", "48", "60", "72", "84", "96"}));
    scale.setPeakLevel(48); // equal counts as peak
    EXPECT_EQ(scale.labels()[4].color, clLime);
    EXPECT_EQ(scale.labels()[3].color, clGreen);
}

TEST_F(GraphScale, ALabelFormatTakesEachValueWithTheMaximumAndCanBeUndone)
{
    std::vector<std::pair<std::int64_t, int>> asked;
    scale.setLabelFormat([&asked](std::int64_t value, int maxValue) {
        asked.emplace_back(value, maxValue);
        return QString::number(value / 100.0, 'f', 2);
    });
    EXPECT_TRUE(scale.hasLabelFormat());
    const auto labels = scale.labels();
    EXPECT_EQ(texts().mid(0, 3), QStringList({"0.00", "1.25", "2.50"}));
    EXPECT_EQ(texts().back(), "10.00");
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), std::make_pair(std::int64_t(1000), 1000));
    // Places and colours stay the scale's own.
    EXPECT_EQ(labels[0].cell, QRect(0, 126, 26, 15));
    EXPECT_EQ(labels[8].color, clLime);

    scale.setLabelFormat({});
    EXPECT_FALSE(scale.hasLabelFormat());
    EXPECT_EQ(texts().back(), "1000");
}

TEST_F(GraphScale, SignAndLeadingZeros)
{
    scale.setMinValue(-125);
    scale.setMaxValue(875);
    scale.setShowSign(true);
    EXPECT_EQ(texts().mid(0, 3), QStringList({"-125", "0", "+125"}));
    scale.setMinValue(7);
    scale.setLeadingZero(true);
    EXPECT_EQ(texts().front(), "+007");
}

TEST_F(GraphScale, TickMarksAreDrawnMidCell)
{
    scale.setTickMarks(tmTopLeft);
    scale.setTicksHeight(5);
    scale.setFont(QFont(scale.font().family(), 1)); // keep glyphs out of the way
    scale.setFontColor(clBlack);
    scale.setPeakColor(clBlack);
    const QImage& image = scale.renderImage();
    // Cell tops 126, 111, ...: marks on rows 133, 118, ..., 13, from x 0 to 5.
    EXPECT_EQ(columnsOf(image, 133, clGreen), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(columnsOf(image, 13, clGreen), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(columnsOf(image, 132, clGreen).empty());
}

TEST_F(GraphScale, LabelsAreDrawnInExactlyTheirTwoColours)
{
    // The main window's colours: navy labels, blue peak labels, on black,
    // at both of the window's usual font sizes (100 % and 150 %).
    for (const int pixels : {8, 12}) {
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(pixels);
        scale.setFont(font);
        scale.setFontColor(clNavy);
        scale.setPeakColor(clBlue);
        scale.setColor(clBlack);
        const QImage& image = scale.renderImage();
        int navy = 0, blue = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const TColor c = pixelAt(image, x, y);
                navy += c == clNavy;
                blue += c == clBlue;
                ASSERT_TRUE(c == clNavy || c == clBlue || c == clBlack)
                    << "blended pixel " << std::hex << c << " at " << std::dec << x << "," << y
                    << " (" << pixels << " px)";
            }
        }
        // Labels 0 .. 625 below the peak level 700, 750 .. 1000 at or above it.
        EXPECT_GT(navy, 20) << pixels;
        EXPECT_GT(blue, 10) << pixels;
        // Peak labels sit in the top three cells (tops 6, 21, 36), the others below.
        for (int y = 51; y < image.height(); ++y)
            EXPECT_TRUE(columnsOf(image, y, clBlue).empty()) << "row " << y;
    }
}

TEST(TVrScale, OrientationSwapsTheSizeInPlace)
{
    TVrScale scale;
    EXPECT_EQ(scale.size(), QSize(215, 11));
    scale.move(3, 4);
    scale.setOrientation(voVertical);
    EXPECT_EQ(scale.size(), QSize(11, 215));
    EXPECT_EQ(scale.pos(), QPoint(3, 4));
    scale.setTicks(0); // no cells to divide into: refused
    EXPECT_EQ(scale.ticks(), 5);
}

TEST(TVrScale, EqualValuesDoNotRedraw)
{
    TVrScale scale;
    ASSERT_TRUE(showAndWait(scale));
    const int paints = scale.paintCount();
    scale.setPeakLevel(80);
    scale.setMaxValue(100);
    EXPECT_EQ(scale.paintCount(), paints);
    scale.setMaxValue(200);
    EXPECT_EQ(scale.paintCount(), paints + 1);
}

} // namespace
