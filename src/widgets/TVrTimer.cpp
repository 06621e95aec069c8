#include "TVrTimer.h"

#include "ApplicationReport.h"
#include "TVrTimerThread.h"
#include "VrErrors.h"

#include <QTimerEvent>

#include <algorithm>
#include <climits>

TVrTimer::TVrTimer(QObject* parent) : QObject(parent) {}

TVrTimer::~TVrTimer()
{
    // No tick may reach a half-destroyed owner.
    m_enabled = false;
    setOnTimer(nullptr);
    destroyMechanism();
}

void TVrTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    // A Qt timer left running while disabled would only wake the GUI thread
    // to drop its ticks; a worker keeps running, so its ticks keep their
    // rhythm.
    if (enabled || m_timerType == ttSystem)
        update();
}

void TVrTimer::setInterval(std::uint32_t milliseconds)
{
    if (milliseconds == m_interval)
        return;
    m_interval = milliseconds;
    if (m_enabled)
        update();
}

TVrTimer::TimerEvent TVrTimer::onTimer() const
{
    std::lock_guard<std::mutex> lock(m_handlerMutex);
    return m_onTimer;
}

void TVrTimer::setOnTimer(TimerEvent handler)
{
    std::lock_guard<std::mutex> lock(m_handlerMutex);
    m_onTimer = std::move(handler);
}

void TVrTimer::setSyncEvent(bool sync)
{
    m_syncEvent = sync;
    if (m_thread)
        m_thread->setSyncEvent(sync);
}

void TVrTimer::setTimerType(TVrTimerType type)
{
    if (type == m_timerType)
        return;
    destroyMechanism();
    m_timerType = type;
    if (m_enabled)
        update();
}

void TVrTimer::setPriority(TThreadPriority priority)
{
    if (priority == m_priority)
        return;
    m_priority = priority;
    if (m_timerType == ttThread && m_enabled)
        update();
}

void TVrTimer::loaded()
{
    update();
}

bool TVrTimer::isTicking() const
{
    if (m_timerType == ttSystem)
        return m_systemTimerId != 0;
    return m_thread && !m_thread->isPaused();
}

void TVrTimer::update()
{
    if (!m_created) {
        if (m_timerType == ttThread) {
            m_thread = std::make_unique<TVrTimerThread>([this] { dispatch(); });
            m_thread->setSyncEvent(m_syncEvent);
        }
        m_created = true;
    }
    const bool wanted = m_interval != 0 && m_enabled && onTimer();
    if (m_timerType == ttSystem) {
        if (m_systemTimerId != 0) {
            killTimer(m_systemTimerId);
            m_systemTimerId = 0;
        }
        if (!wanted)
            return;
        const auto period = static_cast<int>(std::min<std::uint32_t>(m_interval, INT_MAX));
        m_systemTimerId = startTimer(period, Qt::PreciseTimer);
        if (m_systemTimerId == 0)
            throw EOutOfResources("No timer resources left.");
        return;
    }
    m_thread->pause();
    m_thread->setInterval(m_interval);
    if (!wanted)
        return;
    m_thread->setPriority(m_priority);
    m_thread->resume();
}

void TVrTimer::destroyMechanism()
{
    if (!m_created)
        return;
    if (m_systemTimerId != 0) {
        killTimer(m_systemTimerId);
        m_systemTimerId = 0;
    }
    m_thread.reset();
    m_created = false;
}

void TVrTimer::timerEvent(QTimerEvent*)
{
    dispatch();
}

void TVrTimer::dispatch()
{
    if (!m_enabled)
        return;
    // A copy: the handler may destroy this timer or replace its handler.
    const TimerEvent handler = onTimer();
    if (!handler)
        return;
    // A Qt timer fires again inside a nested event loop of its own handler;
    // that tick is dropped, so that a timer never overlaps itself. Held by
    // a copy: the handler may destroy this timer.
    const std::shared_ptr<bool> running = m_running;
    if (*running)
        return;
    *running = true;
    try {
        handler(this);
    } catch (...) {
        ApplicationReport::reportCurrentException();
    }
    *running = false;
}
