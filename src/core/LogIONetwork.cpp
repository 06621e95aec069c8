#include "LogIONetwork.h"

LogIONetwork::LogIONetwork(ITrafficLogIO& io) : m_io(io) {}

bool LogIONetwork::readValue(const std::string& oid, const std::string& community,
                             const std::string& host, std::string& value)
{
    return m_io.readValue(oid, community, host, value);
}

TReadReply LogIONetwork::read(const TReadRequest& request)
{
    return m_io.read(request);
}

int LogIONetwork::pingRoundTrip(const std::string& host)
{
    (void)host;
    return -1;
}

uint32_t LogIONetwork::tickCount()
{
    return m_io.tickCount();
}
