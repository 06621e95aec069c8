#pragma once

// What every secret store must do, checked the same way for the keyring and
// the file: bytes kept exactly, keys kept apart, removal, and the two
// passwords of a sensor through SensorSecrets.

#include "ISecretStore.h"
#include "SensorSecrets.h"

#include <gtest/gtest.h>
#include <string>

inline void checkSecretStoreContract(ISecretStore& store)
{
    std::string error;
    std::string secret = "stale";
    EXPECT_EQ(store.read("never/stored", secret, error), SecretStatus::NotFound) << error;
    EXPECT_EQ(secret, "");

    const struct
    {
        const char* key;
        std::string secret;
    } cases[] = {
        {"plain", "maplesyrup"},
        {"bytes", std::string("a\0b\n=\xff", 6)},
        {"utf-8 key \xc3\xa4", "p\xc3\xa4ssw\xc3\xb6rd"},
        {"long", std::string(300, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        ASSERT_EQ(store.store(c.key, c.secret, error), SecretStatus::Ok) << error;
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        ASSERT_EQ(store.read(c.key, secret, error), SecretStatus::Ok) << error;
        EXPECT_EQ(secret, c.secret);
    }
    ASSERT_EQ(store.store("plain", "replaced", error), SecretStatus::Ok) << error;
    ASSERT_EQ(store.read("plain", secret, error), SecretStatus::Ok);
    EXPECT_EQ(secret, "replaced");
    EXPECT_EQ(store.remove("plain", error), SecretStatus::Ok) << error;
    EXPECT_EQ(store.read("plain", secret, error), SecretStatus::NotFound);
    EXPECT_EQ(store.remove("plain", error), SecretStatus::Ok) << "removing twice is fine";
    ASSERT_EQ(store.read("bytes", secret, error), SecretStatus::Ok) << "others stay";

    SensorSecrets sensors(store);
    ASSERT_EQ(sensors.save("192.0.2.1", "ann", {"authPass", "privPass"}, error), SecretStatus::Ok)
        << error;
    ASSERT_EQ(sensors.save("192.0.2.1/ann", "", {"otherAuth", ""}, error), SecretStatus::Ok);
    ASSERT_EQ(sensors.save("192.0.2.1%2Fann", "", {"thirdAuth", ""}, error), SecretStatus::Ok);
    // The keys name agent and user in the keyring: a new spelling loses what users kept.
    EXPECT_EQ(SensorSecrets::privKey("192.0.2.1/a%", "ann"), "snmpv3/192.0.2.1%2Fa%25/ann/priv");
    SensorPasswords read;
    ASSERT_EQ(sensors.load("192.0.2.1", "ann", read, error), SecretStatus::Ok);
    EXPECT_EQ(read.Auth, "authPass");
    EXPECT_EQ(read.Priv, "privPass");
    ASSERT_EQ(sensors.load("192.0.2.1/ann", "", read, error), SecretStatus::Ok);
    EXPECT_EQ(read.Auth, "otherAuth");
    EXPECT_EQ(read.Priv, "");
    // An emptied password leaves nothing behind in the store.
    ASSERT_EQ(sensors.save("192.0.2.1", "ann", {"authPass", ""}, error), SecretStatus::Ok);
    EXPECT_EQ(store.read(SensorSecrets::privKey("192.0.2.1", "ann"), secret, error),
              SecretStatus::NotFound);
    ASSERT_EQ(sensors.save("192.0.2.1", "ann", {"", "privPass"}, error), SecretStatus::Ok);
    EXPECT_EQ(store.read(SensorSecrets::authKey("192.0.2.1", "ann"), secret, error),
              SecretStatus::NotFound);
    ASSERT_EQ(sensors.forget("192.0.2.1", "ann", error), SecretStatus::Ok);
    ASSERT_EQ(sensors.load("192.0.2.1", "ann", read, error), SecretStatus::Ok);
    EXPECT_EQ(read.Auth, "");
    EXPECT_EQ(read.Priv, "");
}
