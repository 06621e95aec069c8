#include "PollRounds.h"

std::vector<SensorPoll::TSensorTarget>
PollRounds::begin(std::vector<SensorPoll::TSensorTarget> targets, unsigned& round)
{
    round = m_next++;
    std::vector<SensorPoll::TSensorTarget> started;
    Round open;
    for (SensorPoll::TSensorTarget& target : targets) {
        // A target listed twice is read once.
        if (!m_out.emplace(target.index, round).second)
            continue;
        open.waiting.insert(target.index);
        started.push_back(std::move(target));
    }
    if (!open.waiting.empty())
        m_open.emplace(round, std::move(open));
    return started;
}

std::optional<PollRounds::Batch> PollRounds::arrive(unsigned round,
                                                    SensorPoll::TSensorReading reading)
{
    const int index = reading.index;
    const auto out = m_out.find(index);
    if (out == m_out.end() || out->second != round)
        return std::nullopt; // not asked for in that round, or cleared since
    const auto open = m_open.find(round);
    if (open == m_open.end()) {
        // Its round was closed before it came: it goes on alone.
        Batch batch{round, {std::move(reading)}};
        release(batch.readings);
        return batch;
    }
    if (!open->second.waiting.erase(index))
        return std::nullopt; // a second reading for one sensor: never applied
    open->second.arrived.emplace(index, std::move(reading));
    if (!open->second.waiting.empty())
        return std::nullopt;
    std::vector<Batch> whole = close(round);
    return std::move(whole.front());
}

std::vector<PollRounds::Batch> PollRounds::close(std::optional<unsigned> round)
{
    std::vector<Batch> batches;
    for (auto it = m_open.begin(); it != m_open.end();) {
        if (round && it->first != *round) {
            ++it;
            continue;
        }
        Batch batch{it->first, {}};
        // The map keeps the sensors in index order.
        for (auto& [index, reading] : it->second.arrived)
            batch.readings.push_back(std::move(reading));
        // Those still out stay out; with the round gone they come alone.
        it = m_open.erase(it);
        release(batch.readings);
        if (!batch.readings.empty())
            batches.push_back(std::move(batch));
    }
    return batches;
}

void PollRounds::clear()
{
    m_out.clear();
    m_open.clear();
}

void PollRounds::release(const Readings& readings)
{
    for (const SensorPoll::TSensorReading& reading : readings)
        m_out.erase(reading.index);
}

bool PollRounds::pending(unsigned round) const
{
    for (const auto& [index, of] : m_out)
        if (of == round)
            return true;
    return false;
}
