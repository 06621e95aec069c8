// The notification area is noticed coming and going on a real X server: a
// private Xvfb, and a second client playing the panel that takes and drops
// the tray selection.
#include "TrayPresence.h"
#include "ChildProcess.h"
#include "GuiTestApp.h"
#include "TCoolTrayIcon.h"
#include "TempDirectory.h"

#include <QPixmap>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

// Starts Xvfb on a free display and gives its name (":n"), or empty.
std::string startServer(ChildProcess& server, const TempDirectory& dir)
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

// A client that owns the tray selection of screen 0 the way a panel does.
class FakePanel
{
public:
    explicit FakePanel(const std::string& display)
        : m_connection(xcb_connect(display.c_str(), nullptr))
    {
    }
    ~FakePanel() { disconnect(); }

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

class TrayPresenceOnX : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new TempDirectory();
        s_server = new ChildProcess();
        s_display = startServer(*s_server, *s_dir);
        if (s_display.empty())
            return;
        qputenv("DISPLAY", QByteArray::fromStdString(s_display));
        qputenv("QT_QPA_PLATFORM", "xcb");
        s_app = new QApplication(s_argc, s_argv);
    }
    static void TearDownTestSuite()
    {
        delete s_app;
        delete s_server;
        delete s_dir;
    }
    void SetUp() override
    {
        if (s_display.empty())
            GTEST_SKIP() << "Xvfb is not installed or did not start";
    }

    static inline TempDirectory* s_dir = nullptr;
    static inline ChildProcess* s_server = nullptr;
    static inline QApplication* s_app = nullptr;
    static inline std::string s_display;
    static inline int s_argc = 1;
    static inline char s_arg0[16] = "tray_test";
    static inline char* s_argv[2] = {s_arg0, nullptr};
};

TEST_F(TrayPresenceOnX, APanelTakingAndLeavingTheTrayIsNoticed)
{
    std::unique_ptr<TrayPresence> presence = TrayPresence::create(false);
    QList<bool> seen;
    QObject::connect(presence.get(), &TrayPresence::changed, [&](bool now) { seen << now; });

    FakePanel panel(s_display);
    ASSERT_TRUE(panel.connected());
    panel.takeSelection();
    ASSERT_TRUE(waitUntil([&] { return presence->available(); }));
    panel.destroyWindow();
    ASSERT_TRUE(waitUntil([&] { return !presence->available(); }));
    panel.takeSelection();
    ASSERT_TRUE(waitUntil([&] { return presence->available(); }));
    panel.disconnect();
    ASSERT_TRUE(waitUntil([&] { return !presence->available(); }));
    EXPECT_EQ(seen, QList<bool>({true, false, true, false}));
}

TEST_F(TrayPresenceOnX, APanelAlreadyThereCountsAndNothingChangesWithoutIt)
{
    FakePanel panel(s_display);
    ASSERT_TRUE(panel.connected());
    panel.takeSelection();
    // The program starting under a running panel: its first look agrees.
    ASSERT_TRUE(waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
    std::unique_ptr<TrayPresence> presence = TrayPresence::create(true);
    int changes = 0;
    QObject::connect(presence.get(), &TrayPresence::changed, [&](bool) { ++changes; });
    spinFor(300);
    EXPECT_TRUE(presence->available());
    EXPECT_EQ(changes, 0);
    panel.destroyWindow();
    ASSERT_TRUE(waitUntil([&] { return !presence->available(); }));
    EXPECT_EQ(changes, 1);
}

TEST_F(TrayPresenceOnX, TheIconIsHandedToAPanelThatStartsLater)
{
    TCoolTrayIcon tray;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::green);
    tray.setIcon(QIcon(pixmap));
    tray.setIconVisible(true);
    const int added = tray.addCount();

    FakePanel panel(s_display);
    ASSERT_TRUE(panel.connected());
    panel.takeSelection();
    EXPECT_TRUE(waitUntil([&] { return tray.addCount() == added + 1; }));
    panel.destroyWindow();
    spinFor(200);
    panel.takeSelection();
    EXPECT_TRUE(waitUntil([&] { return tray.addCount() == added + 2; }));
    EXPECT_TRUE(tray.iconVisible());
}

} // namespace
