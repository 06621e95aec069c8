#include "E2EFixture.h"

#include "PrivateLoopback.h"
#include "Waiting.h"

#include <cstdlib>
#include <sstream>
#include <unistd.h>

using namespace std::chrono_literals;

void E2EFixture::SetUp()
{
    // Once for the whole suite: every test after the first is already there.
    static std::string isolationError;
    static const bool isolated = enterPrivateLoopback(isolationError);
    REQUIRE_PEER(isolated, isolationError);
    REQUIRE_PEER(::access(TravimetraProcess::executable().c_str(), X_OK) == 0,
                 "no installed program at " + TravimetraProcess::executable() +
                     " (set TRAVIMETRA_E2E_PREFIX)");
    REQUIRE_PEER(!findExecutable("xdotool").empty() && !findExecutable("xclip").empty() &&
                     !findExecutable("import").empty(),
                 "xdotool, xclip or ImageMagick is not installed");
    REQUIRE_PEER(m_x.start(sessionOptions()), m_x.error());
}

int E2EFixture::startAgent()
{
    m_agent = std::make_unique<SnmpdPeer>(kAgentAddress);
    if (!m_agent->start()) {
        ADD_FAILURE() << "snmpd: " << m_agent->error();
        return -1;
    }
    // ifDescr.N = "lo"
    const std::string walk = runCommand({"snmpwalk", "-v1", "-c", SnmpdPeer::community(), "-On",
                                         "-Oq", kAgentAddress, "1.3.6.1.2.1.2.2.1.2"});
    std::istringstream lines(walk);
    std::string oid, descr;
    while (lines >> oid >> descr) {
        if (descr == "lo" || descr == "\"lo\"")
            return std::stoi(oid.substr(oid.rfind('.') + 1));
    }
    ADD_FAILURE() << "no loopback interface in the agent's table:\n" << walk;
    return -1;
}

StoreFile::Seed E2EFixture::returningUser(int sensors, int loIndex, int scaleSize)
{
    StoreFile::ReturningUser user;
    user.home = home();
    user.sensors = sensors;
    user.top = XSession::kHeight - 380 - 1;
    user.left = XSession::kWidth - 260 - 1;
    user.scaleSize = scaleSize;
    user.sysLogServer = "127.0.0.85";
    user.logTime = 6;
    user.latencySensor = true;
    user.latencyHost = kLatencyHost;
    StoreFile::Seed seed = StoreFile::returningUser(user);
    for (int i = 0; i < sensors; ++i)
        seed.sensor(i, "Loopback " + std::to_string(i + 1), kAgentAddress, loIndex, 10000);
    return seed;
}

std::unique_ptr<TravimetraProcess> E2EFixture::launch(const std::vector<std::string>& environment)
{
    auto program = std::make_unique<TravimetraProcess>(m_x.display(), home());
    for (const std::string& entry : environment)
        program->addEnvironment(entry);
    EXPECT_TRUE(program->start());
    return program;
}

std::optional<XWindowProbe::Window> E2EFixture::mainWindow(TravimetraProcess& program,
                                                           std::chrono::milliseconds limit)
{
    std::optional<XWindowProbe::Window> window;
    waitUntil(
        [&] {
            window = probe().topLevel(program.pid(), "Travimetra");
            return window.has_value() || !program.running();
        },
        limit);
    return window;
}

void E2EFixture::click(int x, int y, int button)
{
    m_x.run({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y), "click",
             std::to_string(button)});
}

void E2EFixture::drag(int fromX, int fromY, int toX, int toY)
{
    // In steps, the way a hand moves, so the window follows each motion.
    m_x.run({"xdotool", "mousemove", "--sync", std::to_string(fromX), std::to_string(fromY),
             "mousedown", "1"});
    for (int step = 1; step <= 5; ++step) {
        const int x = fromX + (toX - fromX) * step / 5;
        const int y = fromY + (toY - fromY) * step / 5;
        m_x.run({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y)});
    }
    m_x.run({"xdotool", "mouseup", "1"});
}

void E2EFixture::screenshot(XWindowProbe::Window window, const std::string& name)
{
    const char* folder = std::getenv("TRAVIMETRA_E2E_SCREENSHOTS");
    if (!folder || !*folder)
        return;
    int status = -1;
    m_x.run({"import", "-window", std::to_string(window), std::string(folder) + "/" + name},
            &status);
    EXPECT_EQ(status, 0) << "screenshot " << name;
}

void E2EFixture::keys(XWindowProbe::Window window, const std::vector<std::string>& keys)
{
    // A window manager hands the focus over on request; without one the
    // focus is set directly, as the pointer would.
    if (m_x.options().windowManager)
        m_x.run({"xdotool", "windowactivate", "--sync", std::to_string(window)});
    else
        m_x.run({"xdotool", "windowfocus", "--sync", std::to_string(window)});
    std::vector<std::string> argv = {"xdotool", "key", "--clearmodifiers"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    m_x.run(argv);
}

std::optional<XWindowProbe::Window> E2EFixture::menuAt(TravimetraProcess& program, int x, int y)
{
    click(x, y, 3);
    std::optional<XWindowProbe::Window> menu;
    waitUntil(
        [&] {
            for (auto w : probe().windowsOf(program.pid()))
                if (probe().overrideRedirect(w) && probe().viewable(w) &&
                    probe().geometry(w).height > 100)
                    menu = w;
            return menu.has_value();
        },
        std::chrono::seconds(5));
    return menu;
}

bool E2EFixture::pickFromMenu(TravimetraProcess& program, int x, int y, int item)
{
    if (!menuAt(program, x, y))
        return false;
    // The menu has the keyboard once it is open: down to the item, Return.
    std::vector<std::string> argv = {"xdotool", "key"};
    for (int i = 0; i <= item; ++i)
        argv.push_back("Down");
    argv.push_back("Return");
    m_x.run(argv);
    return true;
}

std::optional<XWindowProbe::Window> E2EFixture::otherWindow(TravimetraProcess& program,
                                                            const std::string& title,
                                                            XWindowProbe::Window besides,
                                                            std::chrono::milliseconds limit)
{
    std::optional<XWindowProbe::Window> found;
    waitUntil(
        [&] {
            for (auto w : probe().windowsOf(program.pid()))
                if (w != besides && probe().viewable(w) && !probe().overrideRedirect(w) &&
                    probe().title(w) == title)
                    found = w;
            return found.has_value();
        },
        limit);
    return found;
}
