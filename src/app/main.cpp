#include "HeadlessLaunch.h"
#include "Platform.h"
#include "SnmpSensorNetwork.h"
#include "UsageCommandLine.h"
#include "frmMain.h"

#include <QApplication>

#include <clocale>

int main(int argc, char* argv[])
{
    // The totals for scripts need no display and no second window.
    if (UsageCommandLine::wanted(argc, argv))
        return UsageCommandLine::main(argc, argv);
    if (HeadlessLaunch::wanted(argc, argv))
        return HeadlessLaunch::exec(argc, argv);
    Platform::prepareWindowSystem();
    QApplication app(argc, argv);
    // Labels and logs format numbers the way the user's C locale does.
    std::setlocale(LC_ALL, "");
    QApplication::setApplicationName("Travimetra");
    // No display name: Qt would append it to every window title, and the
    // dialogs' captions are exact texts.

    // The window may live in the tray; closing a message box then must not
    // end the program. Exit and the termination signals quit explicitly.
    QApplication::setQuitOnLastWindowClosed(false);
    Platform::quitOnTerminationSignals();

    TMainForm::Options options;
    options.network = std::make_shared<SnmpSensorNetwork>();
    TMainForm form(options);
    if (Platform::terminationRequested())
        return 0; // the window's end saves what may be saved
    if (!form.startMinimized())
        form.show();
    return app.exec();
}
