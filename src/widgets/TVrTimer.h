#pragma once

#include "ThreadPriority.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class TVrTimerThread;

enum TVrTimerType
{
    ttThread,
    ttSystem
};

// The periodic timer behind the main window's timers and the scope's
// internal tick. ttThread (the default) runs a worker thread per timer that
// hands every tick to the GUI thread and waits for the handler, so ticks of
// one timer never overlap or queue up; ttSystem uses a precise Qt timer of the
// GUI thread's event loop, which costs one wake-up a tick instead of three
// (a tick that comes while the handler still runs is dropped).
//
// A timer created in code starts ticking once an update runs: a change of
// Enabled to True, of Interval, TimerType or Priority, or loaded(), which
// does what a form does after creating its components.
class TVrTimer : public QObject
{
    Q_OBJECT

public:
    using TimerEvent = std::function<void(TVrTimer* sender)>;

    explicit TVrTimer(QObject* parent = nullptr);
    ~TVrTimer() override;

    static QString version() { return QStringLiteral("1.3"); }

    bool enabled() const { return m_enabled.load(); }
    // True runs the update; False stops a Qt timer and otherwise only
    // stores: a worker keeps running and its ticks are dropped.
    void setEnabled(bool enabled);

    std::uint32_t interval() const { return m_interval; }
    // 0 means no ticks. May raise EOutOfResources for ttSystem.
    void setInterval(std::uint32_t milliseconds);

    TimerEvent onTimer() const;
    // Stores the handler; like a form's event assignment it starts nothing
    // by itself (see loaded()).
    void setOnTimer(TimerEvent handler);

    bool syncEvent() const { return m_syncEvent; }
    void setSyncEvent(bool sync);

    TVrTimerType timerType() const { return m_timerType; }
    void setTimerType(TVrTimerType type);

    TThreadPriority priority() const { return m_priority; }
    void setPriority(TThreadPriority priority);

    // Runs the update once, as after loading with a form.
    void loaded();

    // Whether the mechanism of the current type exists, and whether it is
    // producing ticks (worker resumed or Qt timer started).
    bool isCreated() const { return m_created; }
    bool isTicking() const;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void update();
    void destroyMechanism();
    void dispatch();

    std::atomic<bool> m_enabled{true};
    std::uint32_t m_interval = 1000;
    mutable std::mutex m_handlerMutex;
    TimerEvent m_onTimer;
    bool m_syncEvent = true;
    TVrTimerType m_timerType = ttThread;
    TThreadPriority m_priority = tpNormal;
    bool m_created = false;
    std::unique_ptr<TVrTimerThread> m_thread;
    int m_systemTimerId = 0;
    std::shared_ptr<bool> m_running = std::make_shared<bool>(false); // a handler runs
};
