#include "UsmPrivacy.h"

#include "LibCrypto.h"

#include <memory>

namespace {

constexpr std::size_t kSaltLength = 8;
constexpr std::size_t kDesBlock = 8;

struct CipherFree
{
    void operator()(EVP_CIPHER* cipher) const { LibCrypto::EVP_CIPHER_free(cipher); }
};
struct CipherContextFree
{
    void operator()(EVP_CIPHER_CTX* context) const { LibCrypto::EVP_CIPHER_CTX_free(context); }
};
using Cipher = std::unique_ptr<EVP_CIPHER, CipherFree>;
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

// Single DES lives in OpenSSL 3's legacy provider; loading it also needs the
// default provider loaded by name, or AES and the digests would go away. The
// handles are given back at exit, before OpenSSL's own clean-up runs.
class LegacyProviders
{
public:
    LegacyProviders()
        : m_legacy(LibCrypto::OSSL_PROVIDER_load(nullptr, "legacy")),
          m_default(LibCrypto::OSSL_PROVIDER_load(nullptr, "default"))
    {
    }
    ~LegacyProviders()
    {
        if (m_legacy)
            LibCrypto::OSSL_PROVIDER_unload(m_legacy);
        if (m_default)
            LibCrypto::OSSL_PROVIDER_unload(m_default);
    }
    LegacyProviders(const LegacyProviders&) = delete;
    LegacyProviders& operator=(const LegacyProviders&) = delete;

private:
    OSSL_PROVIDER* m_legacy;
    OSSL_PROVIDER* m_default;
};

void loadLegacyProviderOnce()
{
    static const LegacyProviders providers;
}

Cipher fetchCipher(PrivProtocol protocol)
{
    if (protocol == PrivProtocol::AES128)
        return Cipher(LibCrypto::EVP_CIPHER_fetch(nullptr, "AES-128-CFB", nullptr));
    if (protocol == PrivProtocol::DES) {
        loadLegacyProviderOnce();
        return Cipher(LibCrypto::EVP_CIPHER_fetch(nullptr, "DES-CBC", nullptr));
    }
    return nullptr;
}

void putBigEndian(unsigned char* out, std::uint32_t value)
{
    out[0] = static_cast<unsigned char>(value >> 24);
    out[1] = static_cast<unsigned char>(value >> 16);
    out[2] = static_cast<unsigned char>(value >> 8);
    out[3] = static_cast<unsigned char>(value);
}

// Key and IV of one message; false when the inputs cannot give them.
bool keyAndIv(PrivProtocol protocol, const std::string& localizedKey, std::uint32_t engineBoots,
              std::uint32_t engineTime, const std::string& salt, unsigned char* iv)
{
    if (salt.size() != kSaltLength || localizedKey.size() < privKeyLength(protocol))
        return false;
    if (protocol == PrivProtocol::AES128) {
        putBigEndian(iv, engineBoots);
        putBigEndian(iv + 4, engineTime);
        for (std::size_t i = 0; i < kSaltLength; ++i)
            iv[8 + i] = static_cast<unsigned char>(salt[i]);
        return true;
    }
    if (protocol == PrivProtocol::DES) {
        for (std::size_t i = 0; i < kDesBlock; ++i)
            iv[i] = static_cast<unsigned char>(localizedKey[kDesBlock + i] ^ salt[i]);
        return true;
    }
    return false;
}

bool run(PrivProtocol protocol, bool encrypt, const std::string& localizedKey,
         std::uint32_t engineBoots, std::uint32_t engineTime, const std::string& salt,
         const std::string& in, std::string& out)
{
    out.clear();
    unsigned char iv[16] = {};
    if (!keyAndIv(protocol, localizedKey, engineBoots, engineTime, salt, iv))
        return false;
    Cipher cipher = fetchCipher(protocol);
    CipherContext context(LibCrypto::EVP_CIPHER_CTX_new());
    if (!cipher || !context)
        return false;
    std::string input = in;
    if (protocol == PrivProtocol::DES) {
        if (encrypt)
            input.resize((input.size() + kDesBlock - 1) / kDesBlock * kDesBlock, '\0');
        else if (input.size() % kDesBlock != 0)
            return false;
    }
    const auto* key = reinterpret_cast<const unsigned char*>(localizedKey.data());
    if (LibCrypto::EVP_CipherInit_ex(context.get(), cipher.get(), nullptr, key, iv,
                                     encrypt ? 1 : 0) != 1 ||
        LibCrypto::EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1)
        return false;
    std::string result(input.size() + 16, '\0');
    int written = 0;
    int finalWritten = 0;
    auto* target = reinterpret_cast<unsigned char*>(result.data());
    if (LibCrypto::EVP_CipherUpdate(context.get(), target, &written,
                                    reinterpret_cast<const unsigned char*>(input.data()),
                                    static_cast<int>(input.size())) != 1 ||
        LibCrypto::EVP_CipherFinal_ex(context.get(), target + written, &finalWritten) != 1)
        return false;
    result.resize(static_cast<std::size_t>(written + finalWritten));
    out.swap(result);
    LibCrypto::OPENSSL_cleanse(input.data(), input.size());
    return true;
}

} // namespace

std::string usmMakeSalt(PrivProtocol protocol, std::uint32_t engineBoots)
{
    unsigned char salt[kSaltLength];
    if (LibCrypto::RAND_bytes(salt, sizeof salt) != 1)
        return {};
    if (protocol == PrivProtocol::DES)
        putBigEndian(salt, engineBoots);
    return std::string(reinterpret_cast<const char*>(salt), sizeof salt);
}

bool usmEncrypt(PrivProtocol protocol, const std::string& localizedKey, std::uint32_t engineBoots,
                std::uint32_t engineTime, const std::string& salt, const std::string& plain,
                std::string& cipherText)
{
    return run(protocol, true, localizedKey, engineBoots, engineTime, salt, plain, cipherText);
}

bool usmDecrypt(PrivProtocol protocol, const std::string& localizedKey, std::uint32_t engineBoots,
                std::uint32_t engineTime, const std::string& salt, const std::string& cipherText,
                std::string& plain)
{
    return run(protocol, false, localizedKey, engineBoots, engineTime, salt, cipherText, plain);
}

std::size_t usmPrivacyBlock(PrivProtocol protocol)
{
    switch (protocol) {
    case PrivProtocol::AES128:
        return 16;
    case PrivProtocol::DES:
        return kDesBlock;
    case PrivProtocol::None:
        break;
    }
    return 0;
}

bool usmPrivacyAvailable(PrivProtocol protocol)
{
    return fetchCipher(protocol) != nullptr;
}
