#pragma once

#include "ChildProcess.h"
#include "TcpPortWait.h"
#include "TempDirectory.h"

#include <string>

// rsyslogd receiving UDP syslog on 127.0.0.33:514 and filing each message
// as one line "facility|severity|hostname|msg" (rsyslog's own reading of it).
class RsyslogPeer
{
public:
    static constexpr const char* Address = "127.0.0.33";

    RsyslogPeer();

    const std::string& failure() const { return m_failure; }
    // The filed line whose message contains `marker`, waiting up to `waitMs`.
    std::string waitForLine(const std::string& marker, int waitMs) const;

private:
    TempDirectory m_dir;
    ChildProcess m_process;
    std::string m_failure;
};
