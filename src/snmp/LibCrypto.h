#pragma once

// OpenSSL's libcrypto, bound on the first SNMPv3 call: a program whose
// sensors are all v1 and v2c never loads it (1.4 MB resident). Each function
// has OpenSSL's signature and, when the library cannot be loaded, returns
// what OpenSSL returns for a failure (0 or null), so every caller's own
// failure path takes over.

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/provider.h>
#include <openssl/rand.h>

#include <cstddef>

namespace LibCrypto {

// Whether the library is there (loads it on the first call).
bool loaded();
// Its file name, for the user.
const char* soname();

int EVP_Digest(const void* data, std::size_t count, unsigned char* md, unsigned int* size,
               const EVP_MD* type, ENGINE* impl);
const EVP_MD* EVP_md5();
const EVP_MD* EVP_sha1();
const EVP_MD* EVP_sha224();
const EVP_MD* EVP_sha256();
const EVP_MD* EVP_sha384();
const EVP_MD* EVP_sha512();
EVP_MD_CTX* EVP_MD_CTX_new();
void EVP_MD_CTX_free(EVP_MD_CTX* context);
int EVP_DigestInit_ex(EVP_MD_CTX* context, const EVP_MD* type, ENGINE* impl);
int EVP_DigestUpdate(EVP_MD_CTX* context, const void* data, std::size_t count);
int EVP_DigestFinal_ex(EVP_MD_CTX* context, unsigned char* md, unsigned int* size);
unsigned char* HMAC(const EVP_MD* md, const void* key, int keyLength, const unsigned char* data,
                    std::size_t dataLength, unsigned char* md_out, unsigned int* md_len);
int RAND_bytes(unsigned char* buffer, int count);
// Without the library the buffer is still wiped, and the comparison still
// takes the same time whatever the bytes.
void OPENSSL_cleanse(void* buffer, std::size_t length);
int CRYPTO_memcmp(const void* a, const void* b, std::size_t length);
OSSL_PROVIDER* OSSL_PROVIDER_load(OSSL_LIB_CTX* context, const char* name);
int OSSL_PROVIDER_unload(OSSL_PROVIDER* provider);
EVP_CIPHER* EVP_CIPHER_fetch(OSSL_LIB_CTX* context, const char* algorithm, const char* properties);
void EVP_CIPHER_free(EVP_CIPHER* cipher);
EVP_CIPHER_CTX* EVP_CIPHER_CTX_new();
void EVP_CIPHER_CTX_free(EVP_CIPHER_CTX* context);
int EVP_CipherInit_ex(EVP_CIPHER_CTX* context, const EVP_CIPHER* cipher, ENGINE* impl,
                      const unsigned char* key, const unsigned char* iv, int encrypt);
int EVP_CIPHER_CTX_set_padding(EVP_CIPHER_CTX* context, int padding);
int EVP_CipherUpdate(EVP_CIPHER_CTX* context, unsigned char* out, int* outLength,
                     const unsigned char* in, int inLength);
int EVP_CipherFinal_ex(EVP_CIPHER_CTX* context, unsigned char* out, int* outLength);

} // namespace LibCrypto
