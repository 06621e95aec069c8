#include "PollEngine.h"

PollEngine::PollEngine(std::shared_ptr<ISensorNetwork> network, Runner runner)
    : m_network(std::move(network)), m_runner(std::move(runner))
{
}

bool PollEngine::startReads(std::vector<SensorPoll::TSensorTarget> targets, SensorDone done)
{
    auto shared = std::make_shared<SensorDone>(std::move(done));
    for (SensorPoll::TSensorTarget& target : targets) {
        auto work = [network = m_network, shared, target = std::move(target)] {
            SensorPoll::TSensorReading reading;
            reading.index = target.index;
            // A network that throws must not keep the sensor out for good
            // (no later tick would read it again): it counts as not answering.
            try {
                reading = SensorPoll::readSensor(target, *network);
            } catch (...) {
            }
            (*shared)(std::move(reading));
        };
        if (!m_runner(std::move(work)))
            return false;
    }
    return true;
}
