#pragma once

#include "ChildProcess.h"
#include "TempDirectory.h"

#include <string>

// A D-Bus session bus of the test's own (never the user's session), and on
// it, when asked, GNOME Keyring's Secret Service with an unlocked keyring
// whose files live in the test's folder.
class SecretServicePeer
{
public:
    // What unlocks the keyring (the login password of its user).
    static constexpr const char* kKeyringPassword = "keyring-of-the-test";

    SecretServicePeer();
    ~SecretServicePeer();

    // Starts the bus; false with a reason in error() when dbus-daemon is
    // missing or the bus never comes up.
    bool startBus();
    // Starts the keyring daemon on the bus and waits until it owns the
    // Secret Service name.
    bool startKeyring();
    void stop();

    // The address to put in DBUS_SESSION_BUS_ADDRESS.
    std::string busAddress() const { return "unix:path=" + m_dir.file("bus"); }
    const std::string& error() const { return m_error; }

private:
    bool serviceOnBus();

    std::string m_error;
    TempDirectory m_dir;
    ChildProcess m_bus;
    ChildProcess m_keyring;
};
