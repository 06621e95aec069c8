#pragma once

#include "ISensorNetwork.h"
#include "SensorPoll.h"

#include <functional>
#include <memory>
#include <vector>

// Runs poll passes away from the window. Each sensor of a pass is read as
// work of its own, so the sensors are read at once and a silent agent holds
// up only its own readings; each sensor's reads keep their order. The pass
// comes back whole, in sensor order, when the last reading is in. Passes never
// overlap: a pass asked for while one is still out is refused, not queued.
class PollEngine
{
public:
    // Hands work to a network thread; false when it will not run it.
    using Runner = std::function<bool(std::function<void()>)>;
    // Receives a finished pass (on the thread that read its last sensor).
    using Done = std::function<void(std::vector<SensorPoll::TSensorReading>)>;

    PollEngine(std::shared_ptr<ISensorNetwork> network, Runner runner);

    // Starts reading every target; false, with nothing read, while the last
    // pass is still out or when the runner refuses the work. A pass without
    // targets is done at once.
    bool startPass(std::vector<SensorPoll::TSensorTarget> targets, Done done);
    bool passOut() const;

private:
    struct Pass;
    struct State;

    std::shared_ptr<ISensorNetwork> m_network;
    Runner m_runner;
    std::shared_ptr<State> m_state;
};
