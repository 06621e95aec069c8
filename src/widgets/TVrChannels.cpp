#include "TVrChannels.h"

#include <stdexcept>

TVrChannels::TVrChannels(std::function<void()> changed) : m_changed(std::move(changed)) {}

TVrChannel& TVrChannels::add()
{
    m_items.push_back(std::make_unique<TVrChannel>(m_changed));
    return *m_items.back();
}

TVrChannel& TVrChannels::items(int index)
{
    if (index < 0 || index >= count())
        throw std::out_of_range("Channel index out of bounds");
    return *m_items[static_cast<std::size_t>(index)];
}

const TVrChannel& TVrChannels::items(int index) const
{
    if (index < 0 || index >= count())
        throw std::out_of_range("Channel index out of bounds");
    return *m_items[static_cast<std::size_t>(index)];
}
