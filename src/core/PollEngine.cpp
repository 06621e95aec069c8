#include "PollEngine.h"

#include "ReplayNetwork.h"
#include "SensorPollV2c.h"

namespace {

// A network that throws must not keep the sensor out for good (no later tick
// would read it again): it counts as not answering.
SensorPoll::TSensorReading readOrNothing(const SensorPoll::TSensorTarget& target,
                                         ISnmpReader& network)
{
    SensorPoll::TSensorReading reading;
    reading.index = target.index;
    try {
        reading = SensorPoll::readSensor(target, network);
    } catch (...) {
    }
    return reading;
}

// The first exchange of the target's poll when it is an SNMPv2c get, which
// can be read together with those of other sensors.
std::optional<TReadRequest> firstGetTogether(const SensorPoll::TSensorTarget& target)
{
    ReplayNetwork probe(std::nullopt, nullptr);
    readOrNothing(target, probe);
    const std::optional<TReadRequest>& first = probe.firstRead();
    if (!first || first->version != SensorPoll::kSnmpVersion2c)
        return std::nullopt;
    return first;
}

} // namespace

PollEngine::PollEngine(std::shared_ptr<ISnmpReader> network, Runner runner)
    : m_network(std::move(network)), m_runner(std::move(runner))
{
}

bool PollEngine::startReads(std::vector<SensorPoll::TSensorTarget> targets, SensorDone done)
{
    auto shared = std::make_shared<SensorDone>(std::move(done));
    if (m_network->readsTogether() && !targets.empty())
        return m_runner(
            [network = m_network, runner = m_runner, shared, targets = std::move(targets)] {
                readTogether(network, runner, shared, targets);
            });
    for (SensorPoll::TSensorTarget& target : targets) {
        if (!m_runner(readAlone(m_network, shared, std::move(target), std::nullopt)))
            return false;
    }
    return true;
}

std::function<void()> PollEngine::readAlone(std::shared_ptr<ISnmpReader> network,
                                            std::shared_ptr<SensorDone> done,
                                            SensorPoll::TSensorTarget target,
                                            std::optional<TRecordedRead> recorded)
{
    return [network = std::move(network), done = std::move(done), target = std::move(target),
            recorded = std::move(recorded)] {
        if (!recorded) {
            (*done)(readOrNothing(target, *network));
            return;
        }
        ReplayNetwork replay(recorded, network.get());
        (*done)(readOrNothing(target, replay));
    };
}

void PollEngine::readTogether(const std::shared_ptr<ISnmpReader>& network, const Runner& runner,
                              const std::shared_ptr<SensorDone>& done,
                              const std::vector<SensorPoll::TSensorTarget>& targets)
{
    std::vector<const SensorPoll::TSensorTarget*> together;
    std::vector<TReadRequest> firstGets;
    for (const SensorPoll::TSensorTarget& target : targets) {
        if (std::optional<TReadRequest> first = firstGetTogether(target)) {
            together.push_back(&target);
            firstGets.push_back(std::move(*first));
        } else if (!runner(readAlone(network, done, target, std::nullopt))) {
            return; // stopping
        }
    }
    if (firstGets.empty())
        return;
    network->readTogether(
        firstGets, [&](std::size_t i, TReadReply reply, uint32_t sentTick, uint32_t endTick) {
            TRecordedRead recorded{firstGets[i], std::move(reply), sentTick, endTick};
            const SensorPoll::TSensorTarget& target = *together[i];
            ReplayNetwork replay(recorded, nullptr);
            SensorPoll::TSensorReading reading = readOrNothing(target, replay);
            if (!replay.wantedMore()) {
                (*done)(std::move(reading));
                return;
            }
            // The poll goes on past its first get (the counters are chosen anew,
            // the interface is looked for): on a thread of its own, so that its
            // waits hold up no other sensor.
            runner(readAlone(network, done, target, std::move(recorded)));
        });
}
