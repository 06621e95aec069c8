#pragma once

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

// Texts for the user where there is no window: each distinct text is written
// once, as one line (the window's line breaks become "; "), so that a
// journal is not filled by a sensor that fails every second.
class OncePerText
{
public:
    explicit OncePerText(std::FILE* out) : m_out(out) {}

    // True when the text was written now, false when it was written before.
    bool tell(const std::string& text);

    // The text as one line.
    static std::string oneLine(const std::string& text);

private:
    std::FILE* m_out;
    std::mutex m_mutex;
    std::set<std::string> m_told;
};
