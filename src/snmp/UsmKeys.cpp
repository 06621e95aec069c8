#include "UsmKeys.h"

#include "LibCrypto.h"

#include "UsmDigest.h"

#include <memory>

namespace {

constexpr std::size_t kStretchedLength = 1048576; // one megabyte, as RFC 3414 A.2 says
constexpr std::size_t kChunk = 64;

struct DigestContextFree
{
    void operator()(EVP_MD_CTX* context) const { LibCrypto::EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;

} // namespace

std::string passwordToKey(AuthProtocol protocol, const std::string& password)
{
    const EVP_MD* md = usmDigest(protocol);
    if (!md || password.empty())
        return {};
    DigestContext context(LibCrypto::EVP_MD_CTX_new());
    if (!context || LibCrypto::EVP_DigestInit_ex(context.get(), md, nullptr) != 1)
        return {};
    unsigned char chunk[kChunk];
    std::size_t index = 0;
    for (std::size_t done = 0; done < kStretchedLength; done += kChunk) {
        for (unsigned char& byte : chunk)
            byte = static_cast<unsigned char>(password[index++ % password.size()]);
        if (LibCrypto::EVP_DigestUpdate(context.get(), chunk, kChunk) != 1)
            return {};
    }
    LibCrypto::OPENSSL_cleanse(chunk, sizeof chunk);
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (LibCrypto::EVP_DigestFinal_ex(context.get(), out, &length) != 1)
        return {};
    std::string key(reinterpret_cast<const char*>(out), length);
    LibCrypto::OPENSSL_cleanse(out, sizeof out);
    return key;
}

std::string localizeKey(AuthProtocol protocol, const std::string& key, const std::string& engineId)
{
    const EVP_MD* md = usmDigest(protocol);
    if (!md || key.empty())
        return {};
    DigestContext context(LibCrypto::EVP_MD_CTX_new());
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!context || LibCrypto::EVP_DigestInit_ex(context.get(), md, nullptr) != 1 ||
        LibCrypto::EVP_DigestUpdate(context.get(), key.data(), key.size()) != 1 ||
        LibCrypto::EVP_DigestUpdate(context.get(), engineId.data(), engineId.size()) != 1 ||
        LibCrypto::EVP_DigestUpdate(context.get(), key.data(), key.size()) != 1 ||
        LibCrypto::EVP_DigestFinal_ex(context.get(), out, &length) != 1)
        return {};
    std::string localized(reinterpret_cast<const char*>(out), length);
    LibCrypto::OPENSSL_cleanse(out, sizeof out);
    return localized;
}

std::string localizedKeyFromPassword(AuthProtocol protocol, const std::string& password,
                                     const std::string& engineId)
{
    std::string key = passwordToKey(protocol, password);
    std::string localized = localizeKey(protocol, key, engineId);
    LibCrypto::OPENSSL_cleanse(key.data(), key.size());
    return localized;
}
