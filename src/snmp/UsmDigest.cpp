#include "UsmDigest.h"

const EVP_MD* usmDigest(AuthProtocol protocol)
{
    switch (protocol) {
    case AuthProtocol::MD5:
        return EVP_md5();
    case AuthProtocol::SHA1:
        return EVP_sha1();
    case AuthProtocol::SHA224:
        return EVP_sha224();
    case AuthProtocol::SHA256:
        return EVP_sha256();
    case AuthProtocol::SHA384:
        return EVP_sha384();
    case AuthProtocol::SHA512:
        return EVP_sha512();
    case AuthProtocol::None:
        break;
    }
    return nullptr;
}
