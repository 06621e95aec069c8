#pragma once

#include "NetworkWorkers.h"
#include "PollEngine.h"
#include "PollRounds.h"
#include "TrafficLog.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The window's way to the network: work runs on network threads and its
// result comes back to the window's thread as a queued call, so no wait on a
// peer ever holds up painting, dragging or the menu. stop() ends every read
// still out at once; the owner calls it before it goes away, and results of
// work that was out are then dropped.
class NetworkJobs
{
public:
    NetworkJobs(QObject* owner, std::shared_ptr<ISnmpReader> network, std::size_t maxThreads);
    ~NetworkJobs();

    using ApplyReadings = std::function<void(const std::vector<SensorPoll::TSensorReading>&)>;

    // A poll tick: first hands the readings of earlier rounds that are in so
    // far to their `apply`, then reads every target whose sensor has nothing
    // out (see PollRounds); `apply` receives this round's readings on the
    // owner's thread, in sensor order: the whole round at once when its last
    // reading is in, or what it has after `graceMs`, and each later reading
    // alone. False when no target was read (all still out, none given, or
    // after stop()).
    bool startPass(std::vector<SensorPoll::TSensorTarget> targets, ApplyReadings apply);
    bool sensorOut(int sensorIndex) const { return m_rounds.out(sensorIndex); }
    // How long the sensor's last reading took, from the start of its round
    // to its arrival on the network side; once per reading.
    std::optional<double> takeReadSeconds(int sensorIndex);

    // Runs `work` on a network thread and hands its result to `apply` on
    // the owner's thread. Work of one `kind` never overlaps itself: while
    // one is out (until it is applied) another of its kind is skipped.
    // Called on the owner's thread only.
    template <class Result>
    bool run(const std::string& kind, std::function<Result()> work,
             std::function<void(Result)> apply)
    {
        if (!m_out.insert(kind).second)
            return false;
        QObject* owner = m_owner;
        std::set<std::string>* out = &m_out;
        const bool queued =
            m_workers.run([owner, out, kind, work = std::move(work), apply = std::move(apply)] {
                auto result = std::make_shared<Result>(work());
                QMetaObject::invokeMethod(
                    owner,
                    [out, kind, apply, result] {
                        out->erase(kind);
                        apply(std::move(*result));
                    },
                    Qt::QueuedConnection);
            });
        if (!queued)
            m_out.erase(kind);
        return queued;
    }

    // The window's auxiliary work, one of each kind out at a time: an echo
    // round trip (milliseconds or -1), a log tick on a copy of the model,
    // the lines of a web answer.
    bool ping(std::shared_ptr<ISnmpReader> network, const std::string& host,
              std::function<void(int)> apply);
    bool logTick(const TMonitorSettings& settings, std::shared_ptr<ITrafficLogIO> io,
                 std::function<void(TrafficLog::TDetachedTick)> apply);
    // The web request is given up after `deadlineMs` in all (0: only each
    // wait is bounded).
    bool fetchLines(const std::string& url, int deadlineMs,
                    std::function<void(bool, const std::vector<std::string>&)> apply);

    // For callers that drive the timers themselves: processes events until
    // nothing is out any more (every result applied) or `timeoutMs` passed.
    bool settle(int timeoutMs = 30000);

    void stop();

    // How long a round waits for its slowest sensor before the others are
    // applied without it: an answering agent replies in milliseconds, a
    // silent one holds its read for the whole time-out.
    static constexpr int kRoundGraceMs = 1000;

private:
    // Readings on their way from the network threads, by round.
    struct Inbox
    {
        std::mutex mutex;
        std::vector<std::pair<unsigned, SensorPoll::TSensorReading>> readings;
        bool posted = false;           // a call to take them is queued
        std::map<int, double> seconds; // by sensor, how long its reading took
    };

    void takeInbox();
    void deliver(PollRounds::Batch batch);
    void closeRounds(std::optional<unsigned> round);

    QObject* m_owner;
    std::set<std::string> m_out; // kinds of work out
    PollRounds m_rounds;
    std::shared_ptr<Inbox> m_inbox = std::make_shared<Inbox>();
    std::map<unsigned, ApplyReadings> m_applies; // by round, while it has readings to apply
    QTimer m_grace;                              // closes the newest round after kRoundGraceMs
    unsigned m_graceRound = 0;                   // that round
    NetworkWorkers m_workers;
    PollEngine m_poll;
};
