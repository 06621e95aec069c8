// Sensor and interface names come from the store and from agents: whatever
// bytes they hold, the label value written must be valid UTF-8 with no
// unescaped double quote, backslash or line feed, or a scraper would read
// figures the program never wrote.
#include "OpenMetricsText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool validUtf8(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80         ? 1
                        : (c >> 5) == 6  ? 2
                        : (c >> 4) == 14 ? 3
                        : (c >> 3) == 30 ? 4
                                         : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += n;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string in(reinterpret_cast<const char*>(data), size);
    const std::string out = OpenMetricsText::labelValue(in);
    if (!validUtf8(out))
        std::abort();
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\n' || out[i] == '"')
            std::abort();
        if (out[i] == '\\') {
            // Only \\, \" and \n, each taken whole.
            if (i + 1 >= out.size() ||
                (out[i + 1] != '\\' && out[i + 1] != '"' && out[i + 1] != 'n'))
                std::abort();
            ++i;
        }
    }
    return 0;
}
