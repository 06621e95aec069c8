#include "MainFormFixture.h"

#include "Platform.h"

#include <QTimer>

#include <csignal>

namespace {

// The termination signals end the event loop the way "Exit" does.
TEST(Platform, TerminationSignalsQuitTheEventLoop)
{
    QApplication& app = testApplication();
    Platform::quitOnTerminationSignals();
    for (const int signal : {SIGTERM, SIGINT}) {
        bool timedOut = false;
        QTimer::singleShot(0, [signal] { std::raise(signal); });
        QTimer::singleShot(5000, [&] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        EXPECT_EQ(app.exec(), 0);
        EXPECT_FALSE(timedOut);
    }
}

// A signal during start-up, handled while the window is built (events
// processed before exec), still ends the program once the loop runs.
TEST(Platform, ATerminationSignalBeforeTheEventLoopIsNotLost)
{
    QApplication& app = testApplication();
    Platform::quitOnTerminationSignals();
    std::raise(SIGTERM);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    bool timedOut = false;
    QTimer::singleShot(5000, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    EXPECT_EQ(app.exec(), 0);
    EXPECT_FALSE(timedOut);
}

} // namespace
