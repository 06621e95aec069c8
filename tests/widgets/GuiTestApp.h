#pragma once

#include <QApplication>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

// One QApplication for a whole GUI test program (the offscreen platform is
// set by the test harness).
class GuiTestApp : public ::testing::Environment
{
public:
    void SetUp() override { m_app = std::make_unique<QApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_arg0[16] = "widgets_test";
    char* m_argv[2] = {m_arg0, nullptr};
    std::unique_ptr<QApplication> m_app;
};

// Include in exactly one file per test program.
#define TRAVIMETRA_GUI_TEST_APP                                                                    \
    [[maybe_unused]] static ::testing::Environment* const g_guiTestApp =                           \
        ::testing::AddGlobalTestEnvironment(new GuiTestApp)

// Runs the event loop until done() holds or timeoutMs pass; returns done().
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

// Runs the event loop for ms milliseconds.
inline void spinFor(int ms)
{
    waitUntil([] { return false; }, ms);
}

// Shows a widget and waits until it can paint.
inline bool showAndWait(QWidget& widget)
{
    widget.show();
    return waitUntil([&] {
        return widget.isVisible() && widget.windowHandle() && widget.windowHandle()->isExposed();
    });
}
