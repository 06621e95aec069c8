#pragma once

#include "ISnmpReader.h"
#include "ReplayNetwork.h"
#include "SensorPoll.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Reads sensors away from the window, all at once, so that a silent agent
// holds up only its own readings; each sensor's reads keep their order. With
// a network that reads together, the polls that start with an SNMPv2c get
// (the usual SNMPv2c poll is that one get) have those gets read together as
// one piece of work, and each poll is finished over its answer as soon as
// that is in; a poll that goes on past it, and every other poll, is work of
// its own. Every sensor's reading is handed over as soon as it is in, on the
// thread that read it; which sensors may be read, and in what order readings
// are applied, is decided by the caller (PollRounds on the window's side).
class PollEngine
{
public:
    // Hands work to a network thread; false when it will not run it.
    using Runner = std::function<bool(std::function<void()>)>;
    // Receives one sensor's reading (on the thread that read it).
    using SensorDone = std::function<void(SensorPoll::TSensorReading)>;

    PollEngine(std::shared_ptr<ISnmpReader> network, Runner runner);

    // Starts reading every target; false when the runner refuses work (the
    // network side is stopping): targets not handed out are then never
    // delivered, those already out end with their waits.
    bool startReads(std::vector<SensorPoll::TSensorTarget> targets, SensorDone done);

private:
    // One sensor's poll, over a recorded first get when there is one.
    static std::function<void()> readAlone(std::shared_ptr<ISnmpReader> network,
                                           std::shared_ptr<SensorDone> done,
                                           SensorPoll::TSensorTarget target,
                                           std::optional<TRecordedRead> recorded);
    static void readTogether(const std::shared_ptr<ISnmpReader>& network, const Runner& runner,
                             const std::shared_ptr<SensorDone>& done,
                             const std::vector<SensorPoll::TSensorTarget>& targets);

    std::shared_ptr<ISnmpReader> m_network;
    Runner m_runner;
};
