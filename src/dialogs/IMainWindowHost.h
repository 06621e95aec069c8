#pragma once

#include "IOptionsHost.h"

#include <string>

// What the popup menu and the window shell need from the main window beyond
// what the options dialog uses.
class IMainWindowHost : public IOptionsHost
{
public:
    // Sets the download and the upload label of every sensor that has a
    // graph set on the window.
    virtual void setRateLabels(const std::string& downText, const std::string& upText) = 0;
    // Gives the window the stay-on-top style when AlwaysOnTop is set, the
    // normal style otherwise.
    virtual void AlwaysOnTopCheck() = 0;
    // Hides the window and leaves the tray icon (the tray component's
    // minimise to tray).
    virtual void minimizeToTray() = 0;
    // Shows the window again after the tray icon was clicked.
    virtual void restoreFromTray() = 0;
    virtual void bringWindowToFront() = 0;
    // Ends the application; the window saves the settings on the way out.
    virtual void quitApplication() = 0;
    // Reads every setting from the store again.
    virtual void loadSettings() = 0;
    // Opens the usage window, or brings it to the front.
    virtual void showUsageWindow() = 0;
};
