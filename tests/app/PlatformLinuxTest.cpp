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

} // namespace
