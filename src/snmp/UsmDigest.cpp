#include "UsmDigest.h"

#include "LibCrypto.h"

const EVP_MD* usmDigest(AuthProtocol protocol)
{
    switch (protocol) {
    case AuthProtocol::MD5:
        return LibCrypto::EVP_md5();
    case AuthProtocol::SHA1:
        return LibCrypto::EVP_sha1();
    case AuthProtocol::SHA224:
        return LibCrypto::EVP_sha224();
    case AuthProtocol::SHA256:
        return LibCrypto::EVP_sha256();
    case AuthProtocol::SHA384:
        return LibCrypto::EVP_sha384();
    case AuthProtocol::SHA512:
        return LibCrypto::EVP_sha512();
    case AuthProtocol::None:
        break;
    }
    return nullptr;
}
