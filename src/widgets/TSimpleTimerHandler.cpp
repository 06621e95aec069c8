#include "TSimpleTimerHandler.h"

#include "TSimpleTimer.h"

#include <QTimerEvent>

std::unique_ptr<TSimpleTimerHandler> TSimpleTimerHandler::s_instance;

std::uint32_t TSimpleTimerHandler::registerTimer(TSimpleTimer* timer)
{
    if (!s_instance)
        s_instance.reset(new TSimpleTimerHandler);
    std::uint32_t id = s_instance->m_nextId++;
    while (id == 0 || s_instance->m_timers.count(id) != 0)
        id = s_instance->m_nextId++;
    s_instance->m_timers.emplace(id, timer);
    return id;
}

void TSimpleTimerHandler::unregisterTimer(std::uint32_t id)
{
    if (!s_instance)
        return;
    s_instance->m_timers.erase(id);
    if (s_instance->m_timers.empty()) {
        s_instance.reset();
    }
}

int TSimpleTimerHandler::startPlatformTimer(std::uint32_t id, int interval)
{
    if (!s_instance || interval <= 0)
        return 0;
    const int platformTimer = s_instance->startTimer(interval, Qt::PreciseTimer);
    if (platformTimer == 0)
        return 0;
    s_instance->m_platformTimers[platformTimer] = id;
    ++s_instance->m_active;
    return platformTimer;
}

bool TSimpleTimerHandler::stopPlatformTimer(int platformTimer)
{
    if (!s_instance || platformTimer == 0 || s_instance->m_platformTimers.erase(platformTimer) == 0)
        return false;
    s_instance->killTimer(platformTimer);
    if (s_instance->m_active > 0)
        --s_instance->m_active;
    return true;
}

int TSimpleTimerHandler::liveCount()
{
    return s_instance ? static_cast<int>(s_instance->m_timers.size()) : 0;
}

int TSimpleTimerHandler::activeCount()
{
    return s_instance ? s_instance->m_active : 0;
}

void TSimpleTimerHandler::timerEvent(QTimerEvent* event)
{
    // A tick for a timer that is gone (or was restarted under a new
    // platform timer) finds nothing and is dropped.
    const auto platform = m_platformTimers.find(event->timerId());
    if (platform == m_platformTimers.end())
        return;
    const auto timer = m_timers.find(platform->second);
    if (timer == m_timers.end())
        return;
    timer->second->tick();
}
