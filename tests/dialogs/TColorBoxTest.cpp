#include "DialogTestSupport.h"

#include "TColorBox.h"

namespace {

// The fixture also brings up the application the box needs.
class TColorBoxTest : public DialogTest
{
};

TEST_F(TColorBoxTest, colourValuesKeepRedInTheLowByte)
{
    EXPECT_EQ(TColorBox::toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(TColorBox::toQColor(0x800000), QColor(0, 0, 128));
    EXPECT_EQ(TColorBox::fromQColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
}

TEST_F(TColorBoxTest, standardColoursAreItemsAndOthersBecomeCustom)
{
    TColorBox box;
    box.setSelected(0x00FF00);
    EXPECT_EQ(box.currentText(), "Lime");
    EXPECT_EQ(box.selected(), 0x00FF00u);
    const int standardCount = box.count();

    box.setSelected(0x123456);
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_EQ(box.currentText(), "Custom");
    EXPECT_EQ(box.selected(), 0x123456u);
    EXPECT_EQ(box.count(), standardCount + 1);

    // One custom item at most; a standard colour is found past it.
    box.setSelected(0x654321);
    EXPECT_EQ(box.count(), standardCount + 1);
    box.setSelected(0xFF0000);
    EXPECT_EQ(box.currentText(), "Blue");

    // Picking an item in the list is what selected() reports.
    const int red = box.findText("Red");
    box.setCurrentIndex(red);
    emit box.activated(red);
    EXPECT_EQ(box.selected(), 0x0000FFu);

    // A stored value's unused top byte is no colour.
    box.setSelected(0xFF000080);
    EXPECT_EQ(box.currentText(), "Maroon");
    EXPECT_EQ(box.selected(), 0x000080u);
}

} // namespace
