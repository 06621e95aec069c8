#pragma once

#include "SensorPoll.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

// Keeps track, on the window's thread, of which sensors have a reading out
// and which readings are ready to be applied. A tick starts a round for the
// sensors that have nothing out; a sensor still out from an earlier round is
// left out of this one, so no sensor ever has two readings out and a silent
// agent holds up only its own sensor. A round is applied whole, in sensor
// order, once its last reading is in; a round closed before that (by the next
// tick or a grace time) gives up what it has so far, in sensor order, and each
// reading still out of it is applied alone when it comes. A sensor is out
// until its reading has been handed over for applying, so its readings are
// applied in the order they were taken.
class PollRounds
{
public:
    using Readings = std::vector<SensorPoll::TSensorReading>;
    struct Batch
    {
        unsigned round = 0;
        Readings readings; // in sensor order
    };

    // Of `targets`, those whose sensor has nothing out, now out under a new
    // round, whose number goes to `round`.
    std::vector<SensorPoll::TSensorTarget> begin(std::vector<SensorPoll::TSensorTarget> targets,
                                                 unsigned& round);

    // A reading of `round` came in. What is to be applied now: the whole
    // round when this was its last reading, this reading alone when its round
    // was closed, else nothing yet.
    std::optional<Batch> arrive(unsigned round, SensorPoll::TSensorReading reading);

    // Closes one round (or every open round with no argument): the readings
    // it holds so far, round by round.
    std::vector<Batch> close(std::optional<unsigned> round = std::nullopt);

    // Forgets everything (the network side was stopped).
    void clear();

    bool out(int sensorIndex) const { return m_out.count(sensorIndex) != 0; }
    bool anyOut() const { return !m_out.empty(); }
    // Whether a sensor of `round` is still out.
    bool pending(unsigned round) const;

private:
    struct Round
    {
        std::set<int> waiting; // sensor indexes still out
        std::map<int, SensorPoll::TSensorReading> arrived;
    };

    void release(const Readings& readings);

    unsigned m_next = 1;
    std::map<int, unsigned> m_out;    // sensor index -> the round it is read for
    std::map<unsigned, Round> m_open; // closed rounds are gone from here
};
