#pragma once

#include <QApplication>

// The application object the usage window tests share, created at first use
// and kept to the end of the process, so no widget ever outlives it.
inline QApplication& usageQtApplication()
{
    static int argc = 1;
    static char name[] = "usagewindow_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
