#include "frmMain.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

int argc = 1;
char arg0[] = "frmMainTest";
char* argv[] = {arg0, nullptr};

TEST(MainForm, IsABorderlessToolWindowThatStaysOnTop)
{
    QApplication app(argc, argv);
    TMainForm form;
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    // A tool window has no task-bar entry.
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(form.windowTitle(), "Travimetra");
}

} // namespace
