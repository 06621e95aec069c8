#pragma once

#include "ISensorNetwork.h"
#include "SensorPoll.h"

#include <functional>
#include <memory>
#include <vector>

// Reads sensors away from the window. Each sensor is read as work of its
// own, so the sensors are read at once and a silent agent holds up only its
// own readings; each sensor's reads keep their order. Every sensor's reading
// is handed over as soon as it is in, on the thread that read it; which
// sensors may be read, and in what order readings are applied, is decided by
// the caller (PollRounds on the window's side).
class PollEngine
{
public:
    // Hands work to a network thread; false when it will not run it.
    using Runner = std::function<bool(std::function<void()>)>;
    // Receives one sensor's reading (on the thread that read it).
    using SensorDone = std::function<void(SensorPoll::TSensorReading)>;

    PollEngine(std::shared_ptr<ISensorNetwork> network, Runner runner);

    // Starts reading every target; false when the runner refuses work (the
    // network side is stopping): targets not handed out are then never
    // delivered, those already out end with their waits.
    bool startReads(std::vector<SensorPoll::TSensorTarget> targets, SensorDone done);

private:
    std::shared_ptr<ISensorNetwork> m_network;
    Runner m_runner;
};
