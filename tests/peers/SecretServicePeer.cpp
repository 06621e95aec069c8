#include "SecretServicePeer.h"

#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace {

bool exists(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0;
}

} // namespace

SecretServicePeer::SecretServicePeer() = default;

SecretServicePeer::~SecretServicePeer()
{
    stop();
}

bool SecretServicePeer::startBus()
{
    const std::string daemon = findExecutable("dbus-daemon");
    if (daemon.empty()) {
        m_error = "dbus-daemon is not installed";
        return false;
    }
    const std::string config = m_dir.file("bus.conf");
    {
        std::ofstream out(config);
        // No service folders: nothing is started on demand, only what the
        // test starts itself is on this bus.
        out << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            << "<busconfig><type>session</type><listen>" << busAddress() << "</listen>"
            << "<auth>EXTERNAL</auth><policy context=\"default\">"
            << "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
            << "<allow own=\"*\"/></policy></busconfig>\n";
    }
    if (!m_bus.start({daemon, "--config-file=" + config, "--nofork"}, m_dir.file("bus.log"))) {
        m_error = "could not start dbus-daemon";
        return false;
    }
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (exists(m_dir.file("bus")))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_error = "the test's D-Bus session did not come up";
    return false;
}

bool SecretServicePeer::serviceOnBus()
{
    int status = -1;
    const std::string names = runCommand({"dbus-send", "--bus=" + busAddress(), "--print-reply",
                                          "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                                          "org.freedesktop.DBus.ListNames"},
                                         &status);
    return status == 0 && names.find("org.freedesktop.secrets") != std::string::npos;
}

bool SecretServicePeer::startKeyring()
{
    const std::string daemon = findExecutable("gnome-keyring-daemon");
    if (daemon.empty()) {
        m_error = "gnome-keyring-daemon is not installed";
        return false;
    }
    const std::string home = m_dir.file("home");
    const std::string runtime = m_dir.file("run");
    ::mkdir(home.c_str(), 0700);
    ::mkdir(runtime.c_str(), 0700);
    {
        std::ofstream out(m_dir.file("unlock"));
        out << kKeyringPassword;
    }
    // --unlock reads the login keyring's password from standard input; exec
    // keeps the daemon itself as the child, so stopping it stops the daemon.
    if (!m_keyring.start({"/bin/sh", "-c",
                          "exec \"$0\" --unlock --foreground --components=secrets < \"$1\"", daemon,
                          m_dir.file("unlock")},
                         m_dir.file("keyring.log"),
                         {"DBUS_SESSION_BUS_ADDRESS=" + busAddress(), "HOME=" + home,
                          "XDG_RUNTIME_DIR=" + runtime, "XDG_DATA_HOME=" + home + "/data",
                          "XDG_CONFIG_HOME=" + home + "/config"})) {
        m_error = "could not start gnome-keyring-daemon";
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (serviceOnBus())
            return true;
        if (!m_keyring.running())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_error = "the Secret Service never appeared on the test's bus";
    return false;
}

void SecretServicePeer::stop()
{
    m_keyring.stop();
    m_bus.stop();
}
