#include "XSession.h"

#include "Waiting.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <unistd.h>

namespace {

const char* const kTrayOnlyPanel = R"(# tint2: a notification area and nothing else
panel_items = S
panel_position = top left horizontal
panel_size = 160 28
panel_margin = 0 0
panel_padding = 2 2 2
panel_background_id = 0
panel_dock = 0
panel_layer = top
panel_monitor = all
strut_policy = none
autohide = 0
wm_menu = 0
systray_padding = 2 2 4
systray_background_id = 0
systray_sort = ascending
systray_icon_size = 22
systray_monitor = 1
)";

} // namespace

XSession::XSession() = default;

XSession::~XSession()
{
    m_probe.reset();
    m_tray.stop();
    m_compositor.stop();
    m_windowManager.stop();
    m_server.stop();
}

namespace {

// openbox's own default configuration with one desktop and no border
// around undecorated windows, so a borderless window's place on the screen
// is the place it asked for.
std::string openboxConfiguration()
{
    std::string rc;
    {
        std::ifstream in("/etc/xdg/openbox/rc.xml");
        std::stringstream text;
        text << in.rdbuf();
        rc = text.str();
    }
    const auto replace = [&rc](const std::string& from, const std::string& to) {
        const auto at = rc.find(from);
        if (at != std::string::npos)
            rc.replace(at, from.size(), to);
    };
    replace("<keepBorder>yes</keepBorder>", "<keepBorder>no</keepBorder>");
    replace("<number>4</number>", "<number>1</number>");
    return rc;
}

} // namespace

bool XSession::startClient(ChildProcess& process, const std::string& name,
                           const std::vector<std::string>& arguments,
                           const std::function<bool()>& ready)
{
    const std::string executable = findExecutable(name);
    if (executable.empty()) {
        m_error = name + " is not installed";
        return false;
    }
    std::vector<std::string> argv = {findExecutable("env"), "DISPLAY=" + m_display, executable};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    if (!process.start(argv, m_dir.file(name + ".log"))) {
        m_error = name + " did not start";
        return false;
    }
    if (!waitUntil(ready, std::chrono::seconds(10))) {
        m_error = name + " never took the screen; see " + m_dir.file(name + ".log");
        return false;
    }
    return true;
}

bool XSession::startWindowManager()
{
    const std::string rc = openboxConfiguration();
    if (rc.find("<keepBorder>no</keepBorder>") == std::string::npos) {
        m_error = "no openbox configuration in /etc/xdg/openbox";
        return false;
    }
    m_dir.write("openbox-rc.xml", rc);
    return startClient(m_windowManager, "openbox", {"--config-file", m_dir.file("openbox-rc.xml")},
                       [&] { return m_probe->windowManagerRunning(); });
}

bool XSession::startCompositor()
{
    // The X render back end: Xvfb has no OpenGL. No shadows or fading, so
    // the pixels on the screen are the windows' own, blended by opacity.
    return startClient(m_compositor, "picom",
                       {"--backend", "xrender", "--no-fading-openclose", "--config", "/dev/null"},
                       [&] { return m_probe->compositorRunning(); });
}

bool XSession::start(const Options& options)
{
    m_options = options;
    const std::string xvfb = findExecutable("Xvfb");
    const std::string tint2 = findExecutable("tint2");
    if (xvfb.empty() || tint2.empty()) {
        m_error = "Xvfb or tint2 is not installed";
        return false;
    }
    // Xvfb picks a free display number and writes it to the pipe when ready.
    int fds[2];
    if (pipe(fds) != 0) {
        m_error = "no pipe";
        return false;
    }
    const std::string screen =
        std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const bool started = m_server.start({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                         screen, "-nolisten", "tcp", "-noreset"},
                                        m_dir.file("xvfb.log"));
    ::close(fds[1]);
    std::string number;
    if (started) {
        pollfd p{fds[0], POLLIN, 0};
        char c;
        while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
        m_error = "Xvfb did not start; see " + m_dir.file("xvfb.log");
        return false;
    }
    m_display = ":" + number;
    m_probe = std::make_unique<XWindowProbe>(m_display);
    if (!m_probe->connected()) {
        m_error = "cannot connect to " + m_display;
        return false;
    }
    if (options.windowManager) {
        if (!startWindowManager())
            return false;
    } else {
        m_probe->announceOneDesktop();
    }
    if (options.compositor && !startCompositor())
        return false;
    m_dir.write("tint2rc", kTrayOnlyPanel);
    // env, because a DISPLAY of the test's own would otherwise win.
    if (!m_tray.start(
            {findExecutable("env"), "DISPLAY=" + m_display, tint2, "-c", m_dir.file("tint2rc")},
            m_dir.file("tint2.log"))) {
        m_error = "tint2 did not start";
        return false;
    }
    if (!waitUntil([&] { return m_probe->trayOwner() != 0; }, std::chrono::seconds(10))) {
        m_error = "tint2 never took the notification area; see " + m_dir.file("tint2.log");
        return false;
    }
    return true;
}

std::string XSession::run(std::vector<std::string> argv, int* status) const
{
    argv.insert(argv.begin(), {"env", "DISPLAY=" + m_display});
    return runCommand(argv, status);
}
