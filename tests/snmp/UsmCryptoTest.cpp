// Keys, digests and ciphers of the user-based security model against values
// computed apart from this code: RFC 3414 A.3's published keys, and Python's
// hashlib/hmac and the openssl command line for the rest.
#include "HexBytes.h"
#include "UsmAuthentication.h"
#include "UsmKeys.h"
#include "UsmPrivacy.h"

#include <gtest/gtest.h>

namespace {

const std::string kEngine = hexBytes("00 00 00 00 00 00 00 00 00 00 00 02");
const std::string kMessage = "travimetra message";

std::string hex(const std::string& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out += digits[(static_cast<unsigned char>(c) >> 4) & 0xF];
        out += digits[static_cast<unsigned char>(c) & 0xF];
    }
    return out;
}

struct KeyRow
{
    AuthProtocol protocol;
    const char* key;       // password-to-key of "maplesyrup"
    const char* localized; // localised to engine 00..02
    const char* digest;    // truncated HMAC of kMessage under the localised key
};

const KeyRow kKeys[] = {
    // RFC 3414 A.3.1 and A.3.2 publish the first two.
    {AuthProtocol::MD5, "9faf3283884e92834ebc9847d8edd963", "526f5eed9fcce26f8964c2930787d82b",
     "cb59173215f320c170e56d03"},
    {AuthProtocol::SHA1, "9fb5cc0381497b3793528939ff788d5d79145211",
     "6695febc9288e36282235fc7151f128497b38f3f", "be63c36f18dd0a544837613d"},
    {AuthProtocol::SHA224, "282a5867ee9aac639ad59df9572c7d3ac0fbc13a905b6df07dbbf00b",
     "0bd8827c6e29f8065e08e09237f177e410f69b90e1782be682075674",
     "0d918e7ef12b8266919cadaed7bc5a95"},
    {AuthProtocol::SHA256, "ab51014d1e077f6017df2b12bee5f5aa72993177e9bb569c4dff5a4ca0b4afac",
     "8982e0e549e866db361a6b625d84cccc11162d453ee8ce3a6445c2d6776f0f8b",
     "6a354ded990f6dbf24545b4deacf57dc4489e3c6bdd6bbfa"},
    {AuthProtocol::SHA384,
     "e06eccdf2c68a06ed034723c9c26e0db3b669e1e2efed49150b55377a2e98f383c86fb836857444654b287c93f"
     "51ff64",
     "3b298f16164a11184279d5432bf169e2d2a48307de02b3d3f7e2b4f36eb6f0455a53689a3937eea07319a633d2"
     "ccba78",
     "4b42eac6e0a94a4bea74f8f6c16e50b3b7c8b225d7fdc120aac21a7dfb41f2a4"},
    {AuthProtocol::SHA512,
     "7e4396de5aadc77be853819b98c9406265b3a9c37cc3176569847a4e4f6fba63dd3a73d04924d31a63f95a601f"
     "9385af6be4ed1b37f87d040f7c6ed6f8d38a91",
     "22a5a36cedfcc085807a128d7bc6c2382167ad6c0dbc5fdff856740f3d84c099ad1ea87a8db096714d9788bd54"
     "4047c9021e4229ce27e4c0a69250adfcffbb0b",
     "54d061b0eaab7e7eecbd95588acff2b8bd0af0300b9d496caef62953cf346d8478ea3c8f9af7e113f80ee310d5b"
     "bad8f"},
};

TEST(UsmKeys, PasswordToKeyAndLocalisationMatchPublishedVectors)
{
    for (const KeyRow& row : kKeys) {
        SCOPED_TRACE(authProtocolName(row.protocol));
        const std::string key = passwordToKey(row.protocol, "maplesyrup");
        EXPECT_EQ(hex(key), row.key);
        EXPECT_EQ(hex(localizeKey(row.protocol, key, kEngine)), row.localized);
        EXPECT_EQ(hex(localizedKeyFromPassword(row.protocol, "maplesyrup", kEngine)),
                  row.localized);
        EXPECT_EQ(localizeKey(row.protocol, key, kEngine).size(), authKeyLength(row.protocol));
    }
}

TEST(UsmKeys, NoKeyFromNothing)
{
    EXPECT_EQ(passwordToKey(AuthProtocol::SHA1, ""), "");
    EXPECT_EQ(passwordToKey(AuthProtocol::None, "maplesyrup"), "");
    EXPECT_EQ(localizedKeyFromPassword(AuthProtocol::SHA256, "", kEngine), "");
    // Another engine gives another key: a key read off one agent opens no other.
    EXPECT_NE(localizedKeyFromPassword(AuthProtocol::SHA1, "maplesyrup", kEngine),
              localizedKeyFromPassword(AuthProtocol::SHA1, "maplesyrup", kEngine + "x"));
}

TEST(UsmAuthentication, TruncatedDigestsMatchHmacComputedElsewhere)
{
    for (const KeyRow& row : kKeys) {
        SCOPED_TRACE(authProtocolName(row.protocol));
        const std::string key = hexBytes(row.localized);
        const std::string digest = usmAuthenticationDigest(row.protocol, key, kMessage);
        EXPECT_EQ(hex(digest), row.digest);
        EXPECT_EQ(digest.size(), authMacLength(row.protocol));
        EXPECT_TRUE(usmDigestMatches(row.protocol, key, kMessage, digest));
        std::string flipped = digest;
        flipped.back() = static_cast<char>(flipped.back() ^ 1);
        EXPECT_FALSE(usmDigestMatches(row.protocol, key, kMessage, flipped));
        EXPECT_FALSE(usmDigestMatches(row.protocol, key, kMessage + ".", digest));
        EXPECT_FALSE(usmDigestMatches(row.protocol, key, kMessage, digest.substr(1)));
        EXPECT_FALSE(usmDigestMatches(row.protocol, key, kMessage, ""));
    }
    EXPECT_FALSE(usmDigestMatches(AuthProtocol::None, "", kMessage, ""));
}

TEST(UsmPrivacy, AesCfbUsesBootsTimeAndSaltAsIv)
{
    // openssl enc -aes-128-cfb -K <first 16 of the SHA-1 key> -iv 00000005 0000012c <salt>
    const std::string key = hexBytes("6695febc9288e36282235fc7151f128497b38f3f");
    const std::string salt = hexBytes("0102030405060708");
    const std::string plain = "scoped pdu bytes!";
    std::string cipher;
    ASSERT_TRUE(usmEncrypt(PrivProtocol::AES128, key, 5, 300, salt, plain, cipher));
    EXPECT_EQ(hex(cipher), "1f793801b82ae25df892ffd38791063e7a");
    std::string back;
    ASSERT_TRUE(usmDecrypt(PrivProtocol::AES128, key, 5, 300, salt, cipher, back));
    EXPECT_EQ(back, plain);
    // Another engine time is another IV: nothing readable comes out.
    ASSERT_TRUE(usmDecrypt(PrivProtocol::AES128, key, 5, 301, salt, cipher, back));
    EXPECT_NE(back, plain);
}

TEST(UsmPrivacy, DesCbcUsesPreIvXorSaltAndWholeBlocks)
{
    const std::string key = hexBytes("526f5eed9fcce26f8964c2930787d82b");
    const std::string salt = hexBytes("0000000500000007");
    if (!usmPrivacyAvailable(PrivProtocol::DES))
        GTEST_SKIP() << "single DES not available in this OpenSSL";
    std::string cipher;
    ASSERT_TRUE(usmEncrypt(PrivProtocol::DES, key, 5, 0, salt, "sixteen byte msg", cipher));
    // openssl enc -des-cbc -nopad -K 526f5eed9fcce26f -iv 8964c2960787d82c
    EXPECT_EQ(hex(cipher), "ee24b81c1dbe88658b0e4e4d3f8c1de7");
    std::string padded;
    ASSERT_TRUE(usmEncrypt(PrivProtocol::DES, key, 5, 0, salt, "seven b", padded));
    EXPECT_EQ(padded.size(), 8u);
    std::string back;
    EXPECT_FALSE(usmDecrypt(PrivProtocol::DES, key, 5, 0, salt, cipher.substr(1), back));
    EXPECT_TRUE(back.empty());
}

TEST(UsmPrivacy, RefusesShortKeysAndSalts)
{
    std::string out;
    EXPECT_FALSE(usmEncrypt(PrivProtocol::AES128, std::string(15, 'k'), 0, 0, std::string(8, 's'),
                            "x", out));
    EXPECT_FALSE(usmEncrypt(PrivProtocol::AES128, std::string(16, 'k'), 0, 0, std::string(7, 's'),
                            "x", out));
    EXPECT_FALSE(
        usmDecrypt(PrivProtocol::None, std::string(16, 'k'), 0, 0, std::string(8, 's'), "x", out));
    const std::string aesSalt = usmMakeSalt(PrivProtocol::AES128, 7);
    EXPECT_EQ(aesSalt.size(), 8u);
    EXPECT_NE(aesSalt, usmMakeSalt(PrivProtocol::AES128, 7));
    EXPECT_EQ(usmMakeSalt(PrivProtocol::DES, 7).substr(0, 4), hexBytes("00000007"));
}

TEST(UsmProtocols, NamesRoundTripAndNothingElseParses)
{
    for (const AuthProtocol protocol :
         {AuthProtocol::None, AuthProtocol::MD5, AuthProtocol::SHA1, AuthProtocol::SHA224,
          AuthProtocol::SHA256, AuthProtocol::SHA384, AuthProtocol::SHA512}) {
        AuthProtocol parsed = AuthProtocol::MD5;
        ASSERT_TRUE(parseAuthProtocol(authProtocolName(protocol), parsed));
        EXPECT_EQ(parsed, protocol);
    }
    for (const PrivProtocol protocol :
         {PrivProtocol::None, PrivProtocol::DES, PrivProtocol::AES128}) {
        PrivProtocol parsed = PrivProtocol::DES;
        ASSERT_TRUE(parsePrivProtocol(privProtocolName(protocol), parsed));
        EXPECT_EQ(parsed, protocol);
    }
    for (const SecurityLevel level :
         {SecurityLevel::NoAuthNoPriv, SecurityLevel::AuthNoPriv, SecurityLevel::AuthPriv}) {
        SecurityLevel parsed = SecurityLevel::AuthPriv;
        ASSERT_TRUE(parseSecurityLevel(securityLevelName(level), parsed));
        EXPECT_EQ(parsed, level);
    }
    AuthProtocol auth = AuthProtocol::SHA256;
    PrivProtocol priv = PrivProtocol::AES128;
    SecurityLevel level = SecurityLevel::AuthPriv;
    for (const char* text : {"", "sha-1", "SHA1 ", "AES", "authpriv"}) {
        EXPECT_FALSE(parseAuthProtocol(text, auth)) << text;
        EXPECT_FALSE(parsePrivProtocol(text, priv)) << text;
        EXPECT_FALSE(parseSecurityLevel(text, level)) << text;
    }
    // A failed parse leaves the value as it was.
    EXPECT_EQ(auth, AuthProtocol::SHA256);
    EXPECT_EQ(priv, PrivProtocol::AES128);
    EXPECT_EQ(level, SecurityLevel::AuthPriv);
}

} // namespace
