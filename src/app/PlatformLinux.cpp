#include "Platform.h"

#include "ApplicationQuit.h"
#include "XdgAutostart.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

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
int g_signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe; the event loop
// does the rest.
void onTerminationSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}
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
    if (g_signalPipe[0] >= 0)
        return;
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, QCoreApplication::instance(), [] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        quitOnceRunning();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace Platform
