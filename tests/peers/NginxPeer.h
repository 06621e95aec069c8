#pragma once

#include "ServerProcess.h"
#include "TempDirectory.h"

#include <memory>
#include <string>

// nginx on 127.0.0.31, ports 80 and 8080, from a configuration of its own:
//   /hello   200 with the 13-byte body "Hello, world!" (head and body in one write)
//   /x       200 "x-ok\n"
//   other    404 with the page "Not here\nReally not\n"
// Its access log records "request target|Host|User-Agent" per request.
class NginxPeer
{
public:
    static constexpr const char* Address = "127.0.0.31";
    static constexpr const char* NotFoundPage = "Not here\nReally not\n";

    NginxPeer();

    // Empty when nginx answers; otherwise why not.
    const std::string& failure() const { return m_failure; }
    std::string accessLog() const { return m_dir.read("access.log"); }

private:
    TempDirectory m_dir;
    std::unique_ptr<ServerProcess> m_process;
    std::string m_failure;
};
