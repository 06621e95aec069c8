// The store file is read at every start and may have been edited by hand, saved
// by another editor (UTF-8 or UTF-16 with a byte-order mark) or damaged: the
// parser must hold on arbitrary bytes, what it understood must survive being
// written and read again unchanged, and what it writes must read back whole.
#include "RegStore.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bool complete = false;
    const TRegStore store = TRegStore::parse(text, &complete);
    // A text with nothing in it is whole.
    if (text.empty() && !complete)
        std::abort();
    const std::string written = store.serialize();
    bool writtenComplete = false;
    const TRegStore again = TRegStore::parse(written, &writtenComplete);
    if (!writtenComplete)
        std::abort();
    if (again.serialize() != written)
        std::abort();
    if (again.keys().size() != store.keys().size())
        std::abort();
    for (const TRegKey& key : store.keys()) {
        const TRegKey* found = again.findKey(key.path());
        if (!found || found->values().size() != key.values().size())
            std::abort();
        for (const TRegValue& value : key.values()) {
            const TRegValue* other = found->findValue(value.Name);
            if (!other || other->Type != value.Type || other->Data != value.Data)
                std::abort();
        }
    }
    return 0;
}
