// Feeds arbitrary datagrams to everything that reads a version-3 answer: the
// frame, the scoped PDU (with and without the padding DES leaves), and the
// whole unwrap as a noAuthNoPriv and as an authPriv user would run it.

#include "SnmpV3Message.h"
#include "SnmpV3Pdu.h"
#include "UsmKeys.h"
#include "UsmSecurity.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// The seeds in the corpus are snmpd's answers to this user at this engine, so
// their digests verify and the unwrap runs to the end on them.
struct Fixture
{
    SnmpV3User clear{"noAuthUser", SecurityLevel::NoAuthNoPriv, AuthProtocol::None,
                     "",           PrivProtocol::None,          ""};
    SnmpV3User secret{"shaUser",      SecurityLevel::AuthPriv, AuthProtocol::SHA1,
                      "shaAuthPass1", PrivProtocol::AES128,    "shaPrivPass1"};
    UsmLocalKeys keys;
    SnmpEngineState engine;

    Fixture()
    {
        engine.EngineID = std::string("\x80\x00\x1f\x88\x80\x68\xf9\xc0\x1b\x9c\xa4\x16\x6b"
                                      "\x00\x00\x00\x00",
                                      17);
        keys.Auth = localizedKeyFromPassword(AuthProtocol::SHA1, "shaAuthPass1", engine.EngineID);
        keys.Priv = localizedKeyFromPassword(AuthProtocol::SHA1, "shaPrivPass1", engine.EngineID);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Fixture fixture;
    const std::string buffer(reinterpret_cast<const char*>(data), size);

    SnmpV3Message message;
    std::size_t authOffset = 0;
    if (decodeV3Message(buffer, message, authOffset)) {
        // The digest's place must lie inside the datagram, where a verifier
        // zeroes it.
        if (authOffset > buffer.size() ||
            message.Usm.AuthParameters.size() > buffer.size() - authOffset ||
            buffer.compare(authOffset, message.Usm.AuthParameters.size(),
                           message.Usm.AuthParameters) != 0)
            __builtin_trap();
        ScopedPdu scoped;
        decodeScopedPdu(message.Data, 0, scoped);
    }

    ScopedPdu scoped;
    if (decodeScopedPdu(buffer, 0, scoped)) {
        // What is taken bare is taken padded too, and with the same bindings.
        ScopedPdu padded;
        if (!decodeScopedPdu(buffer, 16, padded) ||
            padded.Pdu.VarBinds.size() != scoped.Pdu.VarBinds.size())
            __builtin_trap();
        for (const SnmpBinding& bind : scoped.Pdu.VarBinds)
            if (bind.isException() && bind.hasValue())
                __builtin_trap();
    }

    SnmpEngineState engine = fixture.engine;
    UsmReply reply;
    const auto now = SnmpEngineState::Clock::now();
    usmUnwrapReply(buffer, message.MsgID, fixture.clear, {}, nullptr, now, reply);
    usmUnwrapReply(buffer, message.MsgID, fixture.secret, fixture.keys, &engine, now, reply);
    return 0;
}
