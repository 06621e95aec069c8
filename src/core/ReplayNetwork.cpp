#include "ReplayNetwork.h"

ReplayNetwork::ReplayNetwork(std::optional<TRecordedRead> recorded, ISnmpReader* behind)
    : m_recorded(std::move(recorded)), m_behind(behind)
{
}

bool ReplayNetwork::sameRequest(const TReadRequest& a, const TReadRequest& b)
{
    return a.version == b.version && a.host == b.host && a.community == b.community &&
           a.oids == b.oids;
}

bool ReplayNetwork::passOn()
{
    m_anyCall = true;
    if (m_behind)
        return true;
    m_wantedMore = true;
    return false;
}

TReadReply ReplayNetwork::read(const TReadRequest& request)
{
    if (!m_anyCall && !m_firstRead)
        m_firstRead = request;
    if (m_recorded && !m_replayed && sameRequest(request, m_recorded->request)) {
        m_anyCall = true;
        m_replayed = true;
        return m_recorded->reply;
    }
    if (passOn())
        return m_behind->read(request);
    TReadReply nothing;
    nothing.values.resize(request.oids.size());
    return nothing;
}

bool ReplayNetwork::walk(const TReadRequest& column,
                         std::vector<std::pair<std::string, std::string>>& rows)
{
    rows.clear();
    return passOn() && m_behind->walk(column, rows);
}

int ReplayNetwork::pingRoundTrip(const std::string& host)
{
    return passOn() ? m_behind->pingRoundTrip(host) : -1;
}

uint32_t ReplayNetwork::tickCount()
{
    // Around the recorded get the clock reads as it did around the real one.
    if (m_recorded && !m_replayed)
        return m_recorded->sentTick;
    if (m_recorded && !m_endTaken) {
        m_endTaken = true;
        return m_recorded->endTick;
    }
    return m_behind ? m_behind->tickCount() : 0;
}
