#include "NetworkJobs.h"

#include "LocalePlatform.h"
#include "THTTPSend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace {
const char* const kPoll = "poll";
}

NetworkJobs::NetworkJobs(QObject* owner, std::shared_ptr<ISensorNetwork> network,
                         std::size_t maxThreads)
    : m_owner(owner), m_workers(maxThreads),
      m_poll(std::move(network),
             [this](std::function<void()> work) { return m_workers.run(std::move(work)); })
{
}

NetworkJobs::~NetworkJobs()
{
    stop();
}

bool NetworkJobs::startPass(std::vector<SensorPoll::TSensorTarget> targets,
                            std::function<void(std::vector<SensorPoll::TSensorReading>)> apply)
{
    // Out until applied: a tick that comes while the window has yet to apply
    // the last pass is skipped like one that comes while it is read.
    if (m_out.count(kPoll))
        return false;
    QObject* owner = m_owner;
    std::set<std::string>* out = &m_out;
    const bool started = m_poll.startPass(
        std::move(targets), [owner, out, apply](std::vector<SensorPoll::TSensorReading> readings) {
            auto pass =
                std::make_shared<std::vector<SensorPoll::TSensorReading>>(std::move(readings));
            QMetaObject::invokeMethod(
                owner,
                [out, apply, pass] {
                    out->erase(kPoll);
                    apply(std::move(*pass));
                },
                Qt::QueuedConnection);
        });
    if (started)
        m_out.insert(kPoll);
    return started;
}

bool NetworkJobs::ping(std::shared_ptr<ISensorNetwork> network, const std::string& host,
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
            return TrafficLog::logDetached(copy, *io, formats);
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
    while (!m_out.empty() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return m_out.empty();
}

void NetworkJobs::stop()
{
    // The workers are joined here, so nothing posts to the owner after it.
    m_workers.stop();
}
