#include "UsmAuthentication.h"

#include "LibCrypto.h"

#include "UsmDigest.h"

std::string usmAuthenticationDigest(AuthProtocol protocol, const std::string& localizedKey,
                                    const std::string& message)
{
    const EVP_MD* md = usmDigest(protocol);
    if (!md || localizedKey.empty())
        return {};
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!LibCrypto::HMAC(md, localizedKey.data(), static_cast<int>(localizedKey.size()),
                         reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                         out, &length))
        return {};
    const std::size_t kept = authMacLength(protocol);
    if (length < kept)
        return {};
    return std::string(reinterpret_cast<const char*>(out), kept);
}

bool usmDigestMatches(AuthProtocol protocol, const std::string& localizedKey,
                      const std::string& message, const std::string& digest)
{
    const std::string expected = usmAuthenticationDigest(protocol, localizedKey, message);
    if (expected.empty() || digest.size() != expected.size())
        return false;
    return LibCrypto::CRYPTO_memcmp(expected.data(), digest.data(), expected.size()) == 0;
}
