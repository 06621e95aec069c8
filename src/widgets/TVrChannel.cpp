#include "TVrChannel.h"

#include <algorithm>

TVrChannel::TVrChannel(std::function<void()> changed) : m_changed(std::move(changed)) {}

void TVrChannel::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    changed();
}

void TVrChannel::setWidth(int width)
{
    if (width == m_width)
        return;
    m_width = width;
    changed();
}

void TVrChannel::setStyle(TGraphStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    changed();
}

void TVrChannel::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    changed();
}

void TVrChannel::changed()
{
    if (m_changed)
        m_changed();
}

QString TVrChannel::history() const
{
    QString text;
    const int n = sampleCount();
    text.reserve(n * 10);
    for (int k = 0; k < n; ++k) {
        const std::int64_t v = sample(k);
        if (v >= 0)
            text += QStringLiteral("%1").arg(v, 10, 10, QLatin1Char('0'));
        else
            text += QLatin1Char('-') + QStringLiteral("%1").arg(-v, 9, 10, QLatin1Char('0'));
    }
    return text;
}

void TVrChannel::push(std::int32_t value, int capacity)
{
    if (capacity <= 0)
        return;
    const auto cap = static_cast<std::size_t>(capacity);
    if (m_samples.size() > cap)
        setCapacity(capacity);
    if (m_samples.size() < cap) {
        m_samples.push_back(value);
        m_next = m_samples.size() % cap;
        return;
    }
    m_samples[m_next] = value;
    m_next = (m_next + 1) % cap;
}

void TVrChannel::setCapacity(int capacity)
{
    const int keep = capacity <= 0 ? 0 : std::min(capacity, sampleCount());
    std::vector<std::int32_t> kept;
    kept.reserve(static_cast<std::size_t>(keep));
    for (int k = keep - 1; k >= 0; --k)
        kept.push_back(sample(k));
    m_samples = std::move(kept);
    m_next = capacity > 0 ? m_samples.size() % static_cast<std::size_t>(capacity) : 0;
}

void TVrChannel::clear()
{
    m_samples.clear();
    m_next = 0;
}
