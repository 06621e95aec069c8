#include "LibCrypto.h"

#include <dlfcn.h>
#include <string.h>

namespace LibCrypto {
namespace {

// The X-list of the functions bound: one pointer each, named as in OpenSSL.
#define TRAVIMETRA_LIBCRYPTO(F)                                                                    \
    F(EVP_Digest)                                                                                  \
    F(EVP_md5)                                                                                     \
    F(EVP_sha1)                                                                                    \
    F(EVP_sha224)                                                                                  \
    F(EVP_sha256)                                                                                  \
    F(EVP_sha384)                                                                                  \
    F(EVP_sha512)                                                                                  \
    F(EVP_MD_CTX_new)                                                                              \
    F(EVP_MD_CTX_free)                                                                             \
    F(EVP_DigestInit_ex)                                                                           \
    F(EVP_DigestUpdate)                                                                            \
    F(EVP_DigestFinal_ex)                                                                          \
    F(HMAC)                                                                                        \
    F(RAND_bytes)                                                                                  \
    F(OSSL_PROVIDER_load)                                                                          \
    F(OSSL_PROVIDER_unload)                                                                        \
    F(EVP_CIPHER_fetch)                                                                            \
    F(EVP_CIPHER_free)                                                                             \
    F(EVP_CIPHER_CTX_new)                                                                          \
    F(EVP_CIPHER_CTX_free)                                                                         \
    F(EVP_CipherInit_ex)                                                                           \
    F(EVP_CIPHER_CTX_set_padding)                                                                  \
    F(EVP_CipherUpdate)                                                                            \
    F(EVP_CipherFinal_ex)                                                                          \
    F(OPENSSL_cleanse)                                                                             \
    F(CRYPTO_memcmp)

struct Functions
{
#define TRAVIMETRA_POINTER(name) decltype(&::name) name = nullptr;
    TRAVIMETRA_LIBCRYPTO(TRAVIMETRA_POINTER)
#undef TRAVIMETRA_POINTER
};

const Functions* load()
{
    static Functions functions;
    void* library = ::dlopen(TRAVIMETRA_LIBCRYPTO_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    bool complete = true;
#define TRAVIMETRA_BIND(name)                                                                      \
    functions.name = reinterpret_cast<decltype(functions.name)>(::dlsym(library, #name));          \
    complete = complete && functions.name != nullptr;
    TRAVIMETRA_LIBCRYPTO(TRAVIMETRA_BIND)
#undef TRAVIMETRA_BIND
    if (!complete) {
        ::dlclose(library);
        return nullptr;
    }
    return &functions;
}

// Loaded once, by whichever thread asks first; kept to the end.
const Functions* bound()
{
    static const Functions* const functions = load();
    return functions;
}

} // namespace

bool loaded()
{
    return bound() != nullptr;
}

const char* soname()
{
    return TRAVIMETRA_LIBCRYPTO_SONAME;
}

int EVP_Digest(const void* data, std::size_t count, unsigned char* md, unsigned int* size,
               const EVP_MD* type, ENGINE* impl)
{
    if (const Functions* f = bound())
        return f->EVP_Digest(data, count, md, size, type, impl);
    return 0;
}

const EVP_MD* EVP_md5()
{
    if (const Functions* f = bound())
        return f->EVP_md5();
    return nullptr;
}

const EVP_MD* EVP_sha1()
{
    if (const Functions* f = bound())
        return f->EVP_sha1();
    return nullptr;
}

const EVP_MD* EVP_sha224()
{
    if (const Functions* f = bound())
        return f->EVP_sha224();
    return nullptr;
}

const EVP_MD* EVP_sha256()
{
    if (const Functions* f = bound())
        return f->EVP_sha256();
    return nullptr;
}

const EVP_MD* EVP_sha384()
{
    if (const Functions* f = bound())
        return f->EVP_sha384();
    return nullptr;
}

const EVP_MD* EVP_sha512()
{
    if (const Functions* f = bound())
        return f->EVP_sha512();
    return nullptr;
}

EVP_MD_CTX* EVP_MD_CTX_new()
{
    if (const Functions* f = bound())
        return f->EVP_MD_CTX_new();
    return nullptr;
}

void EVP_MD_CTX_free(EVP_MD_CTX* context)
{
    if (const Functions* f = bound())
        f->EVP_MD_CTX_free(context);
}

int EVP_DigestInit_ex(EVP_MD_CTX* context, const EVP_MD* type, ENGINE* impl)
{
    if (const Functions* f = bound())
        return f->EVP_DigestInit_ex(context, type, impl);
    return 0;
}

int EVP_DigestUpdate(EVP_MD_CTX* context, const void* data, std::size_t count)
{
    if (const Functions* f = bound())
        return f->EVP_DigestUpdate(context, data, count);
    return 0;
}

int EVP_DigestFinal_ex(EVP_MD_CTX* context, unsigned char* md, unsigned int* size)
{
    if (const Functions* f = bound())
        return f->EVP_DigestFinal_ex(context, md, size);
    return 0;
}

unsigned char* HMAC(const EVP_MD* md, const void* key, int keyLength, const unsigned char* data,
                    std::size_t dataLength, unsigned char* md_out, unsigned int* md_len)
{
    if (const Functions* f = bound())
        return f->HMAC(md, key, keyLength, data, dataLength, md_out, md_len);
    return nullptr;
}

int RAND_bytes(unsigned char* buffer, int count)
{
    if (const Functions* f = bound())
        return f->RAND_bytes(buffer, count);
    return 0;
}

OSSL_PROVIDER* OSSL_PROVIDER_load(OSSL_LIB_CTX* context, const char* name)
{
    if (const Functions* f = bound())
        return f->OSSL_PROVIDER_load(context, name);
    return nullptr;
}

int OSSL_PROVIDER_unload(OSSL_PROVIDER* provider)
{
    if (const Functions* f = bound())
        return f->OSSL_PROVIDER_unload(provider);
    return 0;
}

EVP_CIPHER* EVP_CIPHER_fetch(OSSL_LIB_CTX* context, const char* algorithm, const char* properties)
{
    if (const Functions* f = bound())
        return f->EVP_CIPHER_fetch(context, algorithm, properties);
    return nullptr;
}

void EVP_CIPHER_free(EVP_CIPHER* cipher)
{
    if (const Functions* f = bound())
        f->EVP_CIPHER_free(cipher);
}

EVP_CIPHER_CTX* EVP_CIPHER_CTX_new()
{
    if (const Functions* f = bound())
        return f->EVP_CIPHER_CTX_new();
    return nullptr;
}

void EVP_CIPHER_CTX_free(EVP_CIPHER_CTX* context)
{
    if (const Functions* f = bound())
        f->EVP_CIPHER_CTX_free(context);
}

int EVP_CipherInit_ex(EVP_CIPHER_CTX* context, const EVP_CIPHER* cipher, ENGINE* impl,
                      const unsigned char* key, const unsigned char* iv, int encrypt)
{
    if (const Functions* f = bound())
        return f->EVP_CipherInit_ex(context, cipher, impl, key, iv, encrypt);
    return 0;
}

int EVP_CIPHER_CTX_set_padding(EVP_CIPHER_CTX* context, int padding)
{
    if (const Functions* f = bound())
        return f->EVP_CIPHER_CTX_set_padding(context, padding);
    return 0;
}

int EVP_CipherUpdate(EVP_CIPHER_CTX* context, unsigned char* out, int* outLength,
                     const unsigned char* in, int inLength)
{
    if (const Functions* f = bound())
        return f->EVP_CipherUpdate(context, out, outLength, in, inLength);
    return 0;
}

int EVP_CipherFinal_ex(EVP_CIPHER_CTX* context, unsigned char* out, int* outLength)
{
    if (const Functions* f = bound())
        return f->EVP_CipherFinal_ex(context, out, outLength);
    return 0;
}

void OPENSSL_cleanse(void* buffer, std::size_t length)
{
    if (const Functions* f = bound())
        return f->OPENSSL_cleanse(buffer, length);
    ::explicit_bzero(buffer, length);
}

int CRYPTO_memcmp(const void* a, const void* b, std::size_t length)
{
    if (const Functions* f = bound())
        return f->CRYPTO_memcmp(a, b, length);
    const volatile unsigned char* x = static_cast<const unsigned char*>(a);
    const volatile unsigned char* y = static_cast<const unsigned char*>(b);
    unsigned char differ = 0;
    for (std::size_t i = 0; i < length; ++i)
        differ |= x[i] ^ y[i];
    return differ;
}

} // namespace LibCrypto
