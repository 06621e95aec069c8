// Any file may be asked for its version record: the scanner and the record
// parser must hold on arbitrary bytes.
#include "VersionBlock.h"
#include "VersionBlockFormat.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TVersionBlock block;
    if (findVersionBlock(data, size, block)) {
        namespace F = VersionBlockFormat;
        if (block.Strings.size() > F::kMaxStrings)
            std::abort();
        std::string value;
        for (const auto& [name, text] : block.Strings) {
            if (name.empty() || name.size() > F::kMaxNameLength || text.size() > F::kMaxValueLength)
                std::abort();
            if (!block.query("\\StringFileInfo\\" + block.translationKey() + "\\" + name, value))
                std::abort();
        }
    }
    TVersionBlock atStart;
    const std::size_t length = parseVersionRecord(data, size, atStart);
    if (length > size)
        std::abort();
    return 0;
}
