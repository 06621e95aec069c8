#include "TSimpleTimer.h"

#include "ApplicationReport.h"
#include "TSimpleTimerHandler.h"

TSimpleTimer::TSimpleTimer() : m_id(TSimpleTimerHandler::registerTimer(this)) {}

TSimpleTimer::TSimpleTimer(int interval, TimerEvent onTimer)
    : m_id(TSimpleTimerHandler::registerTimer(this)), m_interval(interval),
      m_onTimer(std::move(onTimer))
{
}

TSimpleTimer::~TSimpleTimer()
{
    if (m_enabled)
        stop(true);
    TSimpleTimerHandler::unregisterTimer(m_id);
}

void TSimpleTimer::setEnabled(bool enabled)
{
    if (enabled)
        start();
    else
        stop(true);
}

void TSimpleTimer::setInterval(int interval)
{
    if (interval == m_interval)
        return;
    m_interval = interval;
    if (!m_enabled)
        return;
    // A period of zero or less cannot run: the platform timer stops, Enabled stays.
    if (interval > 0)
        start();
    else
        stop(false);
}

void TSimpleTimer::setOnTimer(TimerEvent handler)
{
    m_onTimer = std::move(handler);
    if (!m_onTimer && m_enabled)
        stop(false);
}

bool TSimpleTimer::start()
{
    if (m_interval <= 0)
        return false;
    if (m_enabled)
        stop(false);
    m_platformTimer = TSimpleTimerHandler::startPlatformTimer(m_id, m_interval);
    if (m_platformTimer == 0) {
        m_enabled = false;
        return false;
    }
    m_enabled = true;
    return true;
}

bool TSimpleTimer::stop(bool clearEnabled)
{
    if (clearEnabled)
        m_enabled = false;
    const bool removed = TSimpleTimerHandler::stopPlatformTimer(m_platformTimer);
    m_platformTimer = 0;
    return removed;
}

int TSimpleTimer::liveCount()
{
    return TSimpleTimerHandler::liveCount();
}

int TSimpleTimer::activeCount()
{
    return TSimpleTimerHandler::activeCount();
}

void TSimpleTimer::tick()
{
    if (m_autoDisable)
        stop(true);
    // A copy: the handler may destroy this timer.
    const TimerEvent handler = m_onTimer;
    if (!handler)
        return;
    try {
        handler(this);
    } catch (...) {
        ApplicationReport::reportCurrentException();
    }
}
