#include "OncePerText.h"

bool OncePerText::tell(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_told.insert(text).second)
        return false;
    const std::string line = "travimetra: " + oneLine(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), m_out);
    std::fflush(m_out);
    return true;
}

std::string OncePerText::oneLine(const std::string& text)
{
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            // One break of any kind ("\n", "\r", "\n\r", "\r\n") is one "; ".
            if (i + 1 < text.size() && (text[i + 1] == '\n' || text[i + 1] == '\r') &&
                text[i + 1] != c)
                ++i;
            line += "; ";
        } else {
            line += c;
        }
    }
    return line;
}
