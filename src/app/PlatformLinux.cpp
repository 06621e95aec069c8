#include "Platform.h"

#include "ApplicationQuit.h"
#include "SignalPipe.h"
#include "XdgAutostart.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdlib>

namespace Platform {

void prepareWindowSystem()
{
    const char* display = std::getenv("DISPLAY");
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (display && *display && !(chosen && *chosen))
        setenv("QT_QPA_PLATFORM", "xcb", 1);
}

void setAutoStart(bool enabled, const std::string& executable)
{
    if (enabled)
        XdgAutostart::writeEntry(executable);
    else
        XdgAutostart::removeEntry();
}

namespace {
bool g_terminationRequested = false;

// quit() ends only the application's own loop once exec() runs; a signal
// that arrives earlier, while the window is still being built or a start-up
// message box waits in a loop of its own, must end those loops too: exit()
// leaves every running loop and makes later ones return at once. main()
// then sees terminationRequested() and does not enter exec().
void quitOnceRunning()
{
    g_terminationRequested = true;
    if (QThread::currentThread()->loopLevel() == 0) {
        QTimer::singleShot(20, QCoreApplication::instance(), quitOnceRunning);
        return;
    }
    ApplicationQuit::request();
}
} // namespace

bool terminationRequested()
{
    return g_terminationRequested;
}

void quitOnTerminationSignals()
{
    SignalPipe::watch({SIGTERM, SIGINT}, QCoreApplication::instance(),
                      [](int) { quitOnceRunning(); });
}

} // namespace Platform
