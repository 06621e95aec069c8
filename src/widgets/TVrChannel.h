#pragma once

#include "ScopeGeometry.h"
#include "VrColor.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// One trace of a scope graph: its pen and a bounded history of integer
// samples in a ring buffer, newest first when read.
class TVrChannel
{
public:
    // changed is called when a drawing property takes a new value.
    explicit TVrChannel(std::function<void()> changed = {});

    TColor color() const { return m_color; }
    void setColor(TColor color);
    int width() const { return m_width; }
    void setWidth(int width);
    TGraphStyle style() const { return m_style; }
    void setStyle(TGraphStyle style);
    // Invisible channels keep collecting samples.
    bool visible() const { return m_visible; }
    void setVisible(bool visible);

    // The history as text: one 10-character decimal field per sample, newest
    // first (42 is "0000000042", -5 is "-000000005").
    QString history() const;

    int sampleCount() const { return static_cast<int>(m_samples.size()); }
    // k-th newest sample, k < sampleCount().
    std::int32_t sample(int k) const
    {
        const std::size_t n = m_samples.size();
        std::size_t index = m_next + n - 1 - static_cast<std::size_t>(k);
        if (index >= n)
            index -= n;
        return m_samples[index];
    }

    // Adds a sample; with capacity samples already held the oldest is dropped.
    void push(std::int32_t value, int capacity);
    // Keeps only the newest capacity samples.
    void setCapacity(int capacity);
    void clear();

private:
    void changed();

    TColor m_color = VrColor::clYellow;
    int m_width = 1;
    TGraphStyle m_style = gsLine;
    bool m_visible = true;
    std::function<void()> m_changed;
    // Grows up to the capacity, then wraps: m_next is the slot the next
    // sample overwrites, i.e. the oldest one once the buffer is full.
    std::vector<std::int32_t> m_samples;
    std::size_t m_next = 0;
};
