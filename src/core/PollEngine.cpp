#include "PollEngine.h"

#include <atomic>
#include <mutex>

struct PollEngine::State
{
    std::atomic<bool> passOut{false};
};

// One pass on its way: the readings so far and how many are still out. The
// work of the pass holds it, so it lives as long as the last reading needs.
struct PollEngine::Pass
{
    std::shared_ptr<State> state;
    std::shared_ptr<ISensorNetwork> network;
    std::vector<SensorPoll::TSensorTarget> targets;
    std::vector<SensorPoll::TSensorReading> readings;
    std::size_t remaining = 0;
    std::mutex mutex;
    Done done;

    void read(std::size_t index)
    {
        SensorPoll::TSensorReading reading;
        reading.index = targets[index].index;
        // A network that throws must not keep the pass out for good (no
        // later tick would start one): the sensor counts as not answering.
        try {
            reading = SensorPoll::readSensor(targets[index], *network);
        } catch (...) {
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            readings[index] = std::move(reading);
            if (--remaining > 0)
                return;
        }
        // Free for the next pass before this one is handed over, so that a
        // tick that comes while the window applies it is not lost.
        state->passOut = false;
        done(std::move(readings));
    }
};

PollEngine::PollEngine(std::shared_ptr<ISensorNetwork> network, Runner runner)
    : m_network(std::move(network)), m_runner(std::move(runner)), m_state(std::make_shared<State>())
{
}

bool PollEngine::passOut() const
{
    return m_state->passOut;
}

bool PollEngine::startPass(std::vector<SensorPoll::TSensorTarget> targets, Done done)
{
    if (m_state->passOut.exchange(true))
        return false;
    if (targets.empty()) {
        m_state->passOut = false;
        done({});
        return true;
    }
    auto pass = std::make_shared<Pass>();
    pass->state = m_state;
    pass->network = m_network;
    pass->readings.resize(targets.size());
    pass->remaining = targets.size();
    pass->targets = std::move(targets);
    pass->done = std::move(done);
    for (std::size_t i = 0; i < pass->targets.size(); ++i) {
        if (!m_runner([pass, i] { pass->read(i); })) {
            // Stopping: the readings already handed out end with their
            // waits; this pass is never delivered.
            m_state->passOut = false;
            return false;
        }
    }
    return true;
}
