#pragma once

#include "TVrChannel.h"

#include <functional>
#include <memory>
#include <vector>

// The channels of a scope graph, owned by it.
class TVrChannels
{
public:
    // changed is handed to every channel for its drawing properties.
    explicit TVrChannels(std::function<void()> changed);

    // Appends a channel with the initial values and returns it.
    TVrChannel& add();
    // Throws std::out_of_range for an index outside 0 .. count() - 1.
    TVrChannel& items(int index);
    const TVrChannel& items(int index) const;
    int count() const { return static_cast<int>(m_items.size()); }

private:
    std::function<void()> m_changed;
    std::vector<std::unique_ptr<TVrChannel>> m_items;
};
