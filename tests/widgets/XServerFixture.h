#pragma once

// A private Xvfb for the tests of what only an X server tells: a display of
// its own for the whole test program, the application on the xcb platform,
// and a second client that plays other programs' windows.
#include "ChildProcess.h"
#include "GuiTestApp.h"
#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <string>
#include <unistd.h>

// Starts Xvfb on a free display and gives its name (":n"), or empty.
inline std::string startServer(ChildProcess& server, const TempDirectory& dir)
{
    const std::string xvfb = findExecutable("Xvfb");
    int fds[2];
    if (xvfb.empty() || pipe(fds) != 0)
        return {};
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const bool started = server.start({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                       "320x240x24", "-nolisten", "tcp", "-noreset"},
                                      dir.file("xvfb.log"));
    ::close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (started && ::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    return number.empty() ? std::string() : ":" + number;
}

// Another program on the display: a panel owning the tray selection of
// screen 0, or a window over ours.
class OtherClient
{
public:
    explicit OtherClient(const std::string& display)
        : m_connection(xcb_connect(display.c_str(), nullptr))
    {
    }
    ~OtherClient() { disconnect(); }

    bool connected() const { return m_connection && !xcb_connection_has_error(m_connection); }

    void takeSelection()
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const char* name = "_NET_SYSTEM_TRAY_S0";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, std::strlen(name), name), nullptr);
        xcb_set_selection_owner(m_connection, m_window, atom->atom, XCB_CURRENT_TIME);
        std::free(atom);
        xcb_flush(m_connection);
    }

    // A plain window of this client, mapped at the top of the stack.
    void mapWindow(int x, int y, int width, int height)
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root,
                          static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                          static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
    }

    void unmapWindow()
    {
        xcb_unmap_window(m_connection, m_window);
        xcb_flush(m_connection);
    }

    // The panel quits tidily: its window goes.
    void destroyWindow()
    {
        xcb_destroy_window(m_connection, m_window);
        xcb_flush(m_connection);
    }

    // The panel dies: its connection closes.
    void disconnect()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
        m_connection = nullptr;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_window = 0;
};

// Starts the display and the application once for the whole program.
class XServerEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        s_display = startServer(m_server, m_dir);
        if (s_display.empty())
            return;
        qputenv("DISPLAY", QByteArray::fromStdString(s_display));
        qputenv("QT_QPA_PLATFORM", "xcb");
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

    // ":n", or empty when Xvfb is missing or did not start.
    static inline std::string s_display;

private:
    TempDirectory m_dir;
    ChildProcess m_server;
    std::unique_ptr<QApplication> m_app;
    int m_argc = 1;
    char m_arg0[16] = "x11_test";
    char* m_argv[2] = {m_arg0, nullptr};
};

// Include in exactly one file per test program.
#define TRAVIMETRA_X_SERVER_TEST_APP                                                               \
    [[maybe_unused]] static ::testing::Environment* const g_xServer =                              \
        ::testing::AddGlobalTestEnvironment(new XServerEnvironment)

class OnXServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (s_display.empty())
            GTEST_SKIP() << "Xvfb is not installed or did not start";
    }

    const std::string& s_display = XServerEnvironment::s_display;
};
