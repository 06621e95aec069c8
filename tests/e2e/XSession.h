#pragma once

#include "ChildProcess.h"
#include "TempDirectory.h"
#include "XWindowProbe.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A private X display for one test: Xvfb, optionally openbox and picom, and
// tint2 as an XEmbed tray host (a panel with nothing but the notification
// area, at the top left, so it never covers the program's window at the
// bottom right).
class XSession
{
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 800;

    // The desktop around the program.
    struct Options
    {
        int width = kWidth;
        int height = kHeight;
        // openbox as the window manager, as on a real desktop; without it
        // nothing decorates, places, stacks or focuses windows.
        bool windowManager = false;
        // picom as the compositor, which draws the window's opacity.
        bool compositor = false;
    };

    XSession();
    ~XSession();

    // Starts the server, the window manager and compositor when asked for,
    // and the tray, and waits until each is there; false with error().
    bool start(const Options& options);
    bool start() { return start(Options()); }
    const Options& options() const { return m_options; }
    const std::string& display() const { return m_display; }
    const std::string& error() const { return m_error; }
    XWindowProbe& probe() { return *m_probe; }

    // Runs an X client (xdotool, xclip, import...) on this display.
    std::string run(std::vector<std::string> argv, int* status = nullptr) const;

private:
    // Starts an X client on this display and waits until `ready` holds.
    bool startClient(ChildProcess& process, const std::string& name,
                     const std::vector<std::string>& arguments, const std::function<bool()>& ready);
    bool startWindowManager();
    bool startCompositor();

    TempDirectory m_dir;
    ChildProcess m_server;
    ChildProcess m_windowManager;
    ChildProcess m_compositor;
    ChildProcess m_tray;
    Options m_options;
    std::string m_display;
    std::string m_error;
    std::unique_ptr<XWindowProbe> m_probe;
};
