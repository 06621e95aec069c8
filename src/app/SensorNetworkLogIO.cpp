#include "SensorNetworkLogIO.h"

#include "LocalePlatform.h"
#include "LogFileAppend.h"
#include "TSyslogSend.h"

SensorNetworkLogIO::SensorNetworkLogIO(std::shared_ptr<ISnmpReader> network)
    : m_network(std::move(network))
{
}

TReadReply SensorNetworkLogIO::read(const TReadRequest& request)
{
    return m_network->read(request);
}

uint32_t SensorNetworkLogIO::tickCount()
{
    return m_network->tickCount();
}

TLocalDateTime SensorNetworkLogIO::localNow()
{
    return ::localNow();
}

void SensorNetworkLogIO::appendToFile(const std::string& path, const std::string& text)
{
    appendToLogFile(path, text);
}

bool SensorNetworkLogIO::sendSyslog(const std::string& server, int facility, int severity,
                                    const std::string& text)
{
    if (facility < 0 || facility > 23 || severity < 0 || severity > 7)
        return false;
    return SyslogSendMessage(server, static_cast<std::uint8_t>(facility),
                             static_cast<TSyslogSeverity>(severity), text);
}
