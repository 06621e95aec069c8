#pragma once

#include <cstdint>
#include <functional>

// A light periodic timer on the GUI thread without a component around it.
// All simple timers of the process share one hidden Qt object that owns
// their platform timers.
class TSimpleTimer
{
public:
    using TimerEvent = std::function<void(TSimpleTimer* sender)>;

    TSimpleTimer();
    TSimpleTimer(int interval, TimerEvent onTimer);
    ~TSimpleTimer();

    TSimpleTimer(const TSimpleTimer&) = delete;
    TSimpleTimer& operator=(const TSimpleTimer&) = delete;

    // Unique among live simple timers.
    std::uint32_t id() const { return m_id; }

    bool enabled() const { return m_enabled; }
    // True starts, False stops.
    void setEnabled(bool enabled);

    int interval() const { return m_interval; }
    // A running timer restarts with a new positive period; 0 (or less)
    // stops the platform timer but leaves Enabled set.
    void setInterval(int interval);

    bool autoDisable() const { return m_autoDisable; }
    // When True the timer stops itself (clearing Enabled) before its first tick's handler.
    void setAutoDisable(bool autoDisable) { m_autoDisable = autoDisable; }

    const TimerEvent& onTimer() const { return m_onTimer; }
    // An empty handler stops a running platform timer but leaves Enabled set.
    void setOnTimer(TimerEvent handler);

    // Fails (returns false, changes nothing) with Interval 0 or when the
    // platform refuses the timer.
    bool start();
    // Returns whether a platform timer was removed.
    bool stop(bool clearEnabled = true);

    // Counts of the shared handler: live simple timers and running ones.
    static int liveCount();
    static int activeCount();

private:
    friend class TSimpleTimerHandler;
    void tick();

    std::uint32_t m_id = 0;
    bool m_enabled = false;
    int m_interval = 1000;
    bool m_autoDisable = false;
    TimerEvent m_onTimer;
    int m_platformTimer = 0;
};
