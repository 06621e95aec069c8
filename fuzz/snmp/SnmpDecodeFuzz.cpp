// Feeds arbitrary datagrams to the SNMP message decoder and walks every item of
// them with ReadItem, the way replies from the network are read.

#include "Ber.h"
#include "TSNMPRec.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string buffer(reinterpret_cast<const char*>(data), size);

    TSNMPRec rec;
    if (rec.Decode(buffer)) {
        // Whatever was read must encode again, and that encoding must decode.
        TSNMPRec again;
        if (!again.Decode(rec.Encode())) {
            __builtin_trap();
        }
    }

    // Pre-order walk over the whole buffer. Every read that returns with the
    // cursor where it was means fewer than two bytes are left, so it ends.
    std::size_t cursor = 0;
    while (true) {
        const std::size_t before = cursor;
        int type = 0;
        const std::string text = ReadItem(buffer, cursor, type);
        if (cursor > buffer.size() || cursor < before) {
            __builtin_trap();
        }
        const bool raw = type == BerTag::OctetString || type == BerTag::Opaque ||
                         (type & BerTag::ConstructedBit) != 0;
        if (raw && text.size() > buffer.size() - before) {
            __builtin_trap(); // copied more than was there
        }
        if (cursor == before) {
            break;
        }
    }
    return 0;
}
