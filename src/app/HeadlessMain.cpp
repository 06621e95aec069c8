#include "HeadlessMonitor.h"
#include "InstanceLock.h"
#include "OncePerText.h"
#include "SignalPipe.h"
#include "SnmpSensorNetwork.h"

#include <QCoreApplication>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>

// Travimetra without a display: started as "travimetra --headless" (which
// runs this program in its place, so that no windowing library is loaded).
int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") != 0) {
            std::fprintf(stderr, "Usage: travimetra --headless\n");
            return 2;
        }
    }
    QCoreApplication app(argc, argv);
    std::setlocale(LC_ALL, "");
    QCoreApplication::setApplicationName("Travimetra");
    OncePerText out(stderr);

    const InstanceLock::TTaken taken = InstanceLock::take();
    if (taken.refused) {
        std::string text = "Travimetra is already running !";
        if (!taken.holder.empty())
            text += " It runs as " + taken.holder + ".";
        out.tell(text);
        return 1;
    }

    HeadlessMonitor::Options options;
    options.network = std::make_shared<SnmpSensorNetwork>();
    options.tell = [&out](const std::string& text) { out.tell(text); };
    HeadlessMonitor monitor(options);
    // SIGTERM (systemd's stop, a log-out) and SIGINT end the loop; the
    // monitor's end saves. SIGHUP reads the settings store again.
    SignalPipe::watch({SIGTERM, SIGINT, SIGHUP}, &app, [&monitor](int number) {
        if (number == SIGHUP)
            monitor.reload();
        else
            QCoreApplication::quit();
    });
    monitor.reload();
    return app.exec();
}
