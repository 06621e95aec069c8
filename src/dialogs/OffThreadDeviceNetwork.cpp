#include "OffThreadDeviceNetwork.h"

#include "ApplicationQuit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>

#include <algorithm>
#include <atomic>

OffThreadDeviceNetwork::OffThreadDeviceNetwork(std::shared_ptr<IDeviceNetwork> inner)
    : m_inner(std::move(inner))
{
}

OffThreadDeviceNetwork::~OffThreadDeviceNetwork()
{
    cancelWaits();
    m_workers.stop();
}

void OffThreadDeviceNetwork::cancelWaits()
{
    for (Waiting* waiting : m_waiting) {
        waiting->cancelled = true;
        waiting->cancel->fire();
        if (waiting->loop)
            waiting->loop->quit();
    }
}

bool OffThreadDeviceNetwork::await(std::function<void(IDeviceNetwork&)> call)
{
    // A program on its way out starts no new wait.
    if (ApplicationQuit::requested())
        return false;
    auto done = std::make_shared<std::atomic<bool>>(false);
    QEventLoop loop;
    Waiting waiting{&loop, std::make_shared<WaitCancel>()};
    QPointer<QEventLoop> guard(&loop);
    QCoreApplication* app = QCoreApplication::instance();
    const std::shared_ptr<IDeviceNetwork> inner = m_inner;
    const bool queued =
        m_workers.run([inner, call = std::move(call), done, guard, app, cancel = waiting.cancel] {
            // The call's own token, fired when its caller stops waiting for it
            // (cancelWaits, or the program ending): it ends this call's waits
            // and no other call's.
            WaitCancel* pool = WaitCancel::current();
            WaitCancel::setCurrent(cancel.get());
            call(*inner);
            WaitCancel::setCurrent(pool);
            *done = true;
            if (app)
                QMetaObject::invokeMethod(
                    app,
                    [guard] {
                        if (guard)
                            guard->quit();
                    },
                    Qt::QueuedConnection);
        });
    if (!queued)
        return false;
    m_waiting.push_back(&waiting);
    // The application quitting ends every event loop, this one included.
    while (!*done && !waiting.cancelled && app && !QCoreApplication::closingDown() &&
           !ApplicationQuit::requested()) {
        loop.exec();
        if (!*done)
            break;
    }
    m_waiting.erase(std::find(m_waiting.begin(), m_waiting.end(), &waiting));
    if (*done && !waiting.cancelled)
        return true;
    // Nobody waits for the call any more: it ends at its next wait.
    waiting.cancel->fire();
    return false;
}

bool OffThreadDeviceNetwork::readValue(const std::string& oid, const std::string& community,
                                       const std::string& host, std::string& value)
{
    auto answer = std::make_shared<std::pair<bool, std::string>>(false, std::string());
    const bool finished = await([answer, oid, community, host](IDeviceNetwork& network) {
        answer->first = network.readValue(oid, community, host, answer->second);
    });
    value = finished ? answer->second : std::string();
    return finished && answer->first;
}

bool OffThreadDeviceNetwork::readNext(std::string& oid, const std::string& community,
                                      const std::string& host, std::string& value)
{
    struct Answer
    {
        bool ok = false;
        std::string oid;
        std::string value;
    };
    auto answer = std::make_shared<Answer>();
    answer->oid = oid;
    const bool finished = await([answer, community, host](IDeviceNetwork& network) {
        answer->ok = network.readNext(answer->oid, community, host, answer->value);
    });
    value.clear();
    if (!finished)
        return false;
    oid = answer->oid;
    value = answer->value;
    return answer->ok;
}

bool OffThreadDeviceNetwork::readValuesV2c(const std::vector<std::string>& oids,
                                           const std::string& community, const std::string& host,
                                           std::vector<std::optional<std::string>>& values)
{
    auto answer = std::make_shared<std::pair<bool, std::vector<std::optional<std::string>>>>();
    const bool finished = await([answer, oids, community, host](IDeviceNetwork& network) {
        answer->first = network.readValuesV2c(oids, community, host, answer->second);
    });
    values = finished ? answer->second : std::vector<std::optional<std::string>>();
    return finished && answer->first;
}

SnmpWalkEnd
OffThreadDeviceNetwork::walkColumn(const std::string& column, const std::string& community,
                                   const std::string& host, WalkedValues values,
                                   std::vector<std::pair<std::string, std::string>>& rows)
{
    using Rows = std::vector<std::pair<std::string, std::string>>;
    auto answer = std::make_shared<std::pair<SnmpWalkEnd, Rows>>(SnmpWalkEnd::NoAnswer, Rows());
    const bool finished = await([answer, column, community, host, values](IDeviceNetwork& network) {
        answer->first = network.walkColumn(column, community, host, values, answer->second);
    });
    rows = finished ? answer->second : Rows();
    return finished ? answer->first : SnmpWalkEnd::Cancelled;
}

SnmpV3Result OffThreadDeviceNetwork::readV3(V3Read read, const std::vector<std::string>& oids,
                                            const SnmpV3User& user, const std::string& host,
                                            const std::shared_ptr<GuardedEngineCache>& engines)
{
    auto answer = std::make_shared<SnmpV3Result>();
    // The engines travel by shared pointer: a read still running when its
    // dialog has gone keeps them alive.
    const bool finished = await([answer, read, oids, user, host, engines](IDeviceNetwork& network) {
        *answer = network.readV3(read, oids, user, host, engines);
    });
    if (finished)
        return *answer;
    SnmpV3Result ended;
    ended.Outcome = SnmpV3Outcome::NoAnswer;
    return ended;
}

std::string OffThreadDeviceNetwork::lastFailure(const std::string& host)
{
    // Only remembered, never waited for.
    return m_inner->lastFailure(host);
}

std::optional<std::string> OffThreadDeviceNetwork::defaultGateway()
{
    // A read of a small local file: no wait worth a thread.
    return m_inner->defaultGateway();
}

int OffThreadDeviceNetwork::pingRoundTrip(const std::string& host)
{
    auto answer = std::make_shared<int>(-1);
    const bool finished =
        await([answer, host](IDeviceNetwork& network) { *answer = network.pingRoundTrip(host); });
    return finished ? *answer : -1;
}

std::string OffThreadDeviceNetwork::answeredFrom(const std::string& host)
{
    // Only remembered, never waited for.
    return m_inner->answeredFrom(host);
}
