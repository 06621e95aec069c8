#include "NetworkJobs.h"

#include "LocalePlatform.h"
#include "THTTPSend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <chrono>

NetworkJobs::NetworkJobs(QObject* owner, std::shared_ptr<ISnmpReader> network,
                         std::size_t maxThreads)
    : m_owner(owner), m_workers(maxThreads),
      m_poll(std::move(network),
             [this](std::function<void()> work) { return m_workers.run(std::move(work)); })
{
    m_grace.setSingleShot(true);
    m_grace.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_grace, &QTimer::timeout, owner, [this] { closeRounds(m_graceRound); });
}

NetworkJobs::~NetworkJobs()
{
    stop();
}

bool NetworkJobs::startPass(std::vector<SensorPoll::TSensorTarget> targets, ApplyReadings apply)
{
    // A tick never waits for the last round: what is in is applied first,
    // so that every answering sensor advances once per tick.
    closeRounds(std::nullopt);
    unsigned round = 0;
    std::vector<SensorPoll::TSensorTarget> started = m_rounds.begin(std::move(targets), round);
    if (started.empty())
        return false;
    m_applies.emplace(round, std::move(apply));
    QObject* owner = m_owner;
    const std::shared_ptr<Inbox> inbox = m_inbox;
    const auto begun = std::chrono::steady_clock::now();
    const bool queued = m_poll.startReads(
        std::move(started), [this, owner, inbox, round, begun](SensorPoll::TSensorReading reading) {
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begun;
            // Readings that come while the window has not yet taken the last
            // ones go with them: one wake-up of the window for all.
            {
                std::lock_guard<std::mutex> lock(inbox->mutex);
                inbox->seconds[reading.index] = took.count();
                inbox->readings.emplace_back(round, std::move(reading));
                if (inbox->posted)
                    return;
                inbox->posted = true;
            }
            QMetaObject::invokeMethod(
                owner, [this] { takeInbox(); }, Qt::QueuedConnection);
        });
    if (!queued) {
        // Stopping: nothing more will be applied.
        m_rounds.clear();
        m_applies.clear();
        return false;
    }
    // Stopped again as soon as the round is whole, which is what answering
    // agents make of it: the grace time then never wakes the window.
    m_graceRound = round;
    m_grace.start(kRoundGraceMs);
    return true;
}

std::optional<double> NetworkJobs::takeReadSeconds(int sensorIndex)
{
    std::lock_guard<std::mutex> lock(m_inbox->mutex);
    const auto found = m_inbox->seconds.find(sensorIndex);
    if (found == m_inbox->seconds.end())
        return std::nullopt;
    const double seconds = found->second;
    m_inbox->seconds.erase(found);
    return seconds;
}

void NetworkJobs::takeInbox()
{
    std::vector<std::pair<unsigned, SensorPoll::TSensorReading>> readings;
    {
        std::lock_guard<std::mutex> lock(m_inbox->mutex);
        readings.swap(m_inbox->readings);
        m_inbox->posted = false;
    }
    for (auto& [round, reading] : readings) {
        if (auto batch = m_rounds.arrive(round, std::move(reading)))
            deliver(std::move(*batch));
    }
}

void NetworkJobs::closeRounds(std::optional<unsigned> round)
{
    for (PollRounds::Batch& batch : m_rounds.close(round))
        deliver(std::move(batch));
}

void NetworkJobs::deliver(PollRounds::Batch batch)
{
    const auto found = m_applies.find(batch.round);
    if (found == m_applies.end())
        return;
    // Copied: applying may start the next tick in a nested event loop.
    const ApplyReadings apply = found->second;
    if (!m_rounds.pending(batch.round)) {
        m_applies.erase(found);
        if (batch.round == m_graceRound)
            m_grace.stop();
    }
    apply(batch.readings);
}

bool NetworkJobs::ping(std::shared_ptr<ISnmpReader> network, const std::string& host,
                       std::function<void(int)> apply)
{
    return run<int>(
        "ping", [network, host] { return network->pingRoundTrip(host); }, std::move(apply));
}

bool NetworkJobs::logTick(const TMonitorSettings& settings, std::shared_ptr<ITrafficLogIO> io,
                          std::function<void(TrafficLog::TDetachedTick)> apply)
{
    return run<TrafficLog::TDetachedTick>(
        "log",
        [copy = TrafficLog::detachedCopy(settings), io, formats = currentLocaleFormats()] {
            return TrafficLog::logTogether(copy, io, formats);
        },
        std::move(apply));
}

bool NetworkJobs::fetchLines(const std::string& url, int deadlineMs,
                             std::function<void(bool, const std::vector<std::string>&)> apply)
{
    using Answer = std::pair<bool, std::vector<std::string>>;
    return run<Answer>(
        "web",
        [url, deadlineMs] {
            Answer answer;
            answer.first = HTTPGetLines(url, answer.second, deadlineMs);
            return answer;
        },
        [apply](Answer answer) { apply(answer.first, answer.second); });
}

bool NetworkJobs::settle(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    // Results arrive as posted events; the timer only bounds each wait.
    QTimer wake;
    wake.start(20);
    const auto busy = [this] { return !m_out.empty() || m_rounds.anyOut(); };
    while (busy() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return !busy();
}

void NetworkJobs::stop()
{
    // The workers are joined here, so nothing posts to the owner after it.
    m_workers.stop();
    m_grace.stop();
    {
        std::lock_guard<std::mutex> lock(m_inbox->mutex);
        m_inbox->readings.clear();
    }
    m_rounds.clear();
    m_applies.clear();
}
