#pragma once

// Keeping the scoped PDU private: AES-128 in CFB mode (RFC 3826) or, for old
// devices only, DES in CBC mode (RFC 3414 8.1).

#include "UsmProtocols.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The salt sent in msgPrivacyParameters for the next encryption: eight bytes,
// random for AES; for DES the engine boots followed by four random bytes.
// Empty when the system's random source fails.
std::string usmMakeSalt(PrivProtocol protocol, std::uint32_t engineBoots);

// Encrypts plain under the localised privacy key. AES takes its IV from the
// engine boots and time of the message and the salt; DES from the key's
// pre-IV and the salt, and pads to whole blocks. False when the key or salt
// are too short or the cipher is not available.
bool usmEncrypt(PrivProtocol protocol, const std::string& localizedKey, std::uint32_t engineBoots,
                std::uint32_t engineTime, const std::string& salt, const std::string& plain,
                std::string& cipherText);

// The reverse. False also when DES cipher text is not whole blocks; the
// plain text then is empty. Padding stays on: the BER inside says where the
// PDU ends.
bool usmDecrypt(PrivProtocol protocol, const std::string& localizedKey, std::uint32_t engineBoots,
                std::uint32_t engineTime, const std::string& salt, const std::string& cipherText,
                std::string& plain);

// The cipher's block: 16 bytes for AES, 8 for DES, 0 without privacy. An
// agent may pad the scoped PDU it encrypts by up to one block.
std::size_t usmPrivacyBlock(PrivProtocol protocol);

// False when this system's library cannot do the protocol (single DES needs
// OpenSSL's legacy provider).
bool usmPrivacyAvailable(PrivProtocol protocol);
