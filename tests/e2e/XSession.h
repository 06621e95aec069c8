#pragma once

#include "ChildProcess.h"
#include "TempDirectory.h"
#include "XWindowProbe.h"

#include <memory>
#include <string>
#include <vector>

// A private X display for one test: Xvfb, and tint2 as an XEmbed tray host
// (a panel with nothing but the notification area, at the top left, so it
// never covers the program's window at the bottom right).
class XSession
{
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 800;

    XSession();
    ~XSession();

    // Starts both and waits until the tray is there; false with error().
    bool start();
    const std::string& display() const { return m_display; }
    const std::string& error() const { return m_error; }
    XWindowProbe& probe() { return *m_probe; }

    // Runs an X client (xdotool, xclip, import...) on this display.
    std::string run(std::vector<std::string> argv, int* status = nullptr) const;

private:
    TempDirectory m_dir;
    ChildProcess m_server;
    ChildProcess m_tray;
    std::string m_display;
    std::string m_error;
    std::unique_ptr<XWindowProbe> m_probe;
};
