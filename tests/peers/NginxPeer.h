#pragma once

#include "ChildProcess.h"
#include "TcpPortWait.h"
#include "TempDirectory.h"

#include <string>

// nginx on 127.0.0.31, ports 80 and 8080, from a configuration of its own:
//   /hello   200 with the 13-byte body "Hello, world!" (head and body in one write)
//   /x       200 "x-ok\n"
//   other    404 with the page "Not here\nReally not\n"
// Its access log records "request target|Host|User-Agent|connection number"
// per request.
class NginxPeer
{
public:
    static constexpr const char* Address = "127.0.0.31";
    static constexpr const char* NotFoundPage = "Not here\nReally not\n";

    NginxPeer();

    // Empty when nginx answers; otherwise why not.
    const std::string& failure() const { return m_failure; }
    // The access log once it holds `lines` lines (nginx writes a line after
    // the response has gone out), or as it is after `waitMs`.
    std::string accessLog(std::size_t lines = 1, int waitMs = 2000) const;

private:
    TempDirectory m_dir;
    ChildProcess m_process;
    std::string m_failure;
};
