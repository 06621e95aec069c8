#pragma once

#include <QObject>

#include <cstdint>
#include <memory>
#include <unordered_map>

class TSimpleTimer;

// The hidden object shared by all simple timers: it exists while at least
// one simple timer does, owns their Qt timers and routes each tick to the
// timer it belongs to. GUI thread only.
class TSimpleTimerHandler : public QObject
{
public:
    static std::uint32_t registerTimer(TSimpleTimer* timer);
    static void unregisterTimer(std::uint32_t id);

    // Returns the platform timer, 0 if refused.
    static int startPlatformTimer(std::uint32_t id, int interval);
    static bool stopPlatformTimer(int platformTimer);

    static int liveCount();
    static int activeCount();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
public:
    ~TSimpleTimerHandler() override = default;

private:
    TSimpleTimerHandler() = default;

    static std::unique_ptr<TSimpleTimerHandler> s_instance;
    std::unordered_map<std::uint32_t, TSimpleTimer*> m_timers;
    std::unordered_map<int, std::uint32_t> m_platformTimers;
    std::uint32_t m_nextId = 1;
    int m_active = 0;
};
