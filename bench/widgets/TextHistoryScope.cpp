#include "TextHistoryScope.h"

#include <cstdio>
#include <cstdlib>

TextHistoryScope::TextHistoryScope(QWidget* parent) : TVrScope(parent) {}

void TextHistoryScope::addChannel()
{
    channels().add();
    m_texts.emplace_back();
}

void TextHistoryScope::pushText(int channel, int value)
{
    const int count = static_cast<int>(m_texts.size());
    if (count == 0)
        return;
    channel = channel < 0 ? 0 : (channel > count - 1 ? count - 1 : channel);
    value = clampValue(value);
    char field[16];
    if (value >= 0)
        std::snprintf(field, sizeof field, "%.10d", value);
    else
        std::snprintf(field, sizeof field, "-%.9d", -value);
    std::string& text = m_texts[static_cast<std::size_t>(channel)];
    text = field + text;
    const std::size_t limit = static_cast<std::size_t>(bufferSize()) * 10;
    if (text.size() >= limit)
        text.resize(limit);
    if (!isPainting())
        updateRequest();
}

void TextHistoryScope::paintTraces(QPainter* painter, int base)
{
    for (int i = channels().count() - 1; i >= 0; --i) {
        const TVrChannel& channel = channels().items(i);
        if (!channel.visible())
            continue;
        std::string copy = m_texts[static_cast<std::size_t>(i)];
        const int count = static_cast<int>(copy.size() / 10);
        // The trace asks for the samples in order, newest first: take the
        // front field of the working copy and remove it.
        paintTrace(painter, base, channel, count, [&copy](int) {
            const int value =
                static_cast<int>(std::strtol(copy.substr(0, 10).c_str(), nullptr, 10));
            copy.erase(0, 10);
            return value;
        });
    }
}
