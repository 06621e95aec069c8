#pragma once

#include "ITrafficLogIO.h"

#include <memory>

// What the traffic log needs from the outside: the poll's SNMP reads and
// clock (so that whatever stands behind the poll stands behind the log too),
// the local time, the log files and the syslog sender.
class SensorNetworkLogIO : public ITrafficLogIO
{
public:
    explicit SensorNetworkLogIO(std::shared_ptr<ISnmpReader> network);

    TReadReply read(const TReadRequest& request) override;
    uint32_t tickCount() override;
    TLocalDateTime localNow() override;
    void appendToFile(const std::string& path, const std::string& text) override;
    bool sendSyslog(const std::string& server, int facility, int severity,
                    const std::string& text) override;

private:
    std::shared_ptr<ISnmpReader> m_network;
};
