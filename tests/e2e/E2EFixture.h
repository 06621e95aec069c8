#pragma once

#include "PeerRequirement.h"
#include "SnmpdPeer.h"
#include "StoreFile.h"
#include "TempDirectory.h"
#include "TravimetraProcess.h"
#include "XSession.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

// One X session with a tray, a fresh home folder and the installed program.
class E2EFixture : public ::testing::Test
{
protected:
    // Addresses of this suite's own agents and streams.
    static constexpr const char* kAgentAddress = "127.0.0.81";
    static constexpr const char* kTrafficFrom = "127.0.0.82";
    static constexpr const char* kTrafficTo = "127.0.0.83";
    static constexpr const char* kLatencyHost = "127.0.0.84";

    void SetUp() override;
    // The desktop this test runs on; a bare X server with a tray unless a
    // test asks for more.
    virtual XSession::Options sessionOptions() const { return {}; }

    const std::string& home() const { return m_home.path(); }
    XSession& x() { return m_x; }
    XWindowProbe& probe() { return m_x.probe(); }

    // Starts an agent on kAgentAddress; the interface index of "lo" there.
    int startAgent();

    // A store as a returning user has it: started before, `sensors` active
    // sensors on the agent's loopback interface, the latency sensor on.
    StoreFile::Seed returningUser(int sensors, int loIndex, int scaleSize = 100);

    // Starts the program and waits for its main window; the window, or
    // nothing (with the program's output in the failure message).
    std::unique_ptr<TravimetraProcess> launch(const std::vector<std::string>& environment = {});
    std::optional<XWindowProbe::Window> mainWindow(TravimetraProcess& program,
                                                   std::chrono::milliseconds limit);

    // Pointer actions through the X test extension, as a user's mouse does.
    void click(int x, int y, int button = 1);
    void drag(int fromX, int fromY, int toX, int toY);

    // Keyboard input to the window, focused first the way the desktop
    // focuses it (through the window manager when there is one).
    void keys(XWindowProbe::Window window, const std::vector<std::string>& keys);

    // Right-clicks at x, y and returns the popup menu that opens, if any.
    std::optional<XWindowProbe::Window> menuAt(TravimetraProcess& program, int x, int y);
    // Right-clicks at x, y and picks the n-th item of the popup menu (0 is
    // "About...", 4 "Configuration / Options...", 10 "Exit").
    bool pickFromMenu(TravimetraProcess& program, int x, int y, int item);

    // The program's top-level window titled `title` other than `besides`.
    std::optional<XWindowProbe::Window> otherWindow(TravimetraProcess& program,
                                                    const std::string& title,
                                                    XWindowProbe::Window besides,
                                                    std::chrono::milliseconds limit);

    // Saves a screenshot of a window into $TRAVIMETRA_E2E_SCREENSHOTS, if set.
    void screenshot(XWindowProbe::Window window, const std::string& name);

private:
    TempDirectory m_home;
    XSession m_x;
    std::unique_ptr<SnmpdPeer> m_agent;
};
