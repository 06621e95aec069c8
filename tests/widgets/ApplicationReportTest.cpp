#include "ApplicationReport.h"
#include "GuiTestApp.h"

#include <QApplication>
#include <QMessageBox>

#include <thread>

namespace {

std::vector<QMessageBox*> shownReports()
{
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box && box->objectName() == "ApplicationReport" && box->isVisible())
            boxes.push_back(box);
    }
    return boxes;
}

// What a timer reports blocks nobody: the call returns at once, the window
// is not modal, the same text is not stacked up while it is on the screen,
// and a report from a network thread reaches the screen too.
TEST(ApplicationReport, ReportsAreShownWithoutBlockingAndOncePerText)
{
    ApplicationReport::report("Cannot open log file /x");
    ApplicationReport::report("Cannot open log file /x");
    ApplicationReport::report("'a' is not a valid integer value");
    ASSERT_TRUE(waitUntil([] { return shownReports().size() == 2; }));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (QMessageBox* box : shownReports())
        EXPECT_EQ(box->windowModality(), Qt::NonModal);

    // Dismissed, the same text may come again.
    for (QMessageBox* box : shownReports()) {
        if (box->text() == "Cannot open log file /x")
            box->close();
    }
    ASSERT_TRUE(waitUntil([] { return shownReports().size() == 1; }));
    std::thread([] { ApplicationReport::report("Cannot open log file /x"); }).join();
    EXPECT_TRUE(waitUntil([] { return shownReports().size() == 2; }));
    for (QMessageBox* box : shownReports())
        box->close();
}

} // namespace
