#pragma once

#include <string>
#include <string_view>

// The bytes of a store file as the text the parser reads. Editors save it in
// more than one way: with a UTF-8 byte-order mark, or as UTF-16 (little or big
// endian) behind its byte-order mark; both become plain UTF-8 here, and bytes
// without a mark are taken as they are.
namespace RegStoreText {

// Returns the decoded text; `complete` becomes false when some of the bytes
// could not be decoded (an odd trailing byte or an unpaired surrogate in
// UTF-16, each shown as U+FFFD).
std::string decode(std::string_view bytes, bool& complete);

} // namespace RegStoreText
