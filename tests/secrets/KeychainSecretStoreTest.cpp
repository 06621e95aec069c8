// The desktop keyring through a Secret Service daemon on a D-Bus session of
// the test's own; the user's session is never touched.
#include "KeychainSecretStore.h"
#include "PeerRequirement.h"
#include "SecretServicePeer.h"
#include "SecretStoreContract.h"

#include <QCoreApplication>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Both the keyring library and Qt's D-Bus connect once per process, so the
// bus is chosen before anything talks to it, and the case without a keyring
// runs before the keyring starts on that bus.
TEST(KeychainSecretStore, WithoutAndThenWithASecretService)
{
    SecretServicePeer peer;
    REQUIRE_PEER(peer.startBus(), peer.error());
    ::setenv("DBUS_SESSION_BUS_ADDRESS", peer.busAddress().c_str(), 1);
    int argc = 1;
    char name[] = "keychain-test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    KeychainSecretStore store("Travimetra-test");
    store.TimeoutMs = 10000;
    std::string error;
    std::string secret = "stale";
    const SecretStatus none = store.read("snmpv3/host/ann/auth", secret, error);
    EXPECT_NE(none, SecretStatus::Ok);
    EXPECT_EQ(none, SecretStatus::Unavailable)
        << "no keyring must not look like an empty one: " << error;
    EXPECT_EQ(secret, "");
    EXPECT_NE(store.store("snmpv3/host/ann/auth", "maplesyrup", error), SecretStatus::Ok);

    REQUIRE_PEER(peer.startKeyring(), peer.error());
    checkSecretStoreContract(store);

    // Kept by the daemon, not by the object: a new store reads it back.
    ASSERT_EQ(store.store("snmpv3/host/ann/auth", "maplesyrup", error), SecretStatus::Ok) << error;
    KeychainSecretStore other("Travimetra-test");
    ASSERT_EQ(other.read("snmpv3/host/ann/auth", secret, error), SecretStatus::Ok) << error;
    EXPECT_EQ(secret, "maplesyrup");
    // Another application's entries are another service's.
    KeychainSecretStore stranger("Someone-else");
    EXPECT_EQ(stranger.read("snmpv3/host/ann/auth", secret, error), SecretStatus::NotFound);
}

} // namespace
