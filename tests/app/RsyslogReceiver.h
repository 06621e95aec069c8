#pragma once

#include "ChildProcess.h"
#include "TempDirectory.h"

#include <arpa/inet.h>
#include <chrono>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// rsyslogd started by the test, receiving UDP syslog on `address`:514 and
// filing every message as one line "facility|severity|message" by its own
// parser's reading.
class RsyslogReceiver
{
public:
    explicit RsyslogReceiver(std::string address) : m_address(std::move(address))
    {
        const std::string rsyslogd = findExecutable("rsyslogd");
        if (rsyslogd.empty()) {
            m_failure = "rsyslogd is not installed";
            return;
        }
        const std::string d = m_dir.path();
        std::ofstream(d + "/rsyslog.conf")
            << "global(workDirectory=\"" << d << "\")\n"
            << "module(load=\"imudp\")\n"
            << "input(type=\"imudp\" address=\"" << m_address << "\" port=\"514\")\n"
            << "template(name=\"fields\" type=\"string\" "
               "string=\"%syslogfacility-text%|%syslogseverity-text%|%msg%\\n\")\n"
            << "*.* action(type=\"omfile\" file=\"" << d
            << "/messages.log\" template=\"fields\")\n";
        if (!m_process.start({rsyslogd, "-n", "-f", d + "/rsyslog.conf", "-i", d + "/pid"},
                             d + "/output.log")) {
            m_failure = "rsyslogd did not start";
            return;
        }
        // UDP says nothing about readiness: probe until a message is filed.
        for (int attempt = 0; attempt < 50; ++attempt) {
            const std::string marker = "ready-probe-" + std::to_string(attempt);
            send("<13>Jan  1 00:00:00 probe : " + marker);
            if (waitForLines(marker, 1, 100).size() == 1)
                return;
        }
        m_failure = "rsyslogd does not file messages: " + read(d + "/output.log");
    }

    const std::string& failure() const { return m_failure; }

    // The filed lines that contain `marker`, once there are `count` of them
    // or `waitMs` passed.
    std::vector<std::string> waitForLines(const std::string& marker, std::size_t count,
                                          int waitMs) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        for (;;) {
            std::vector<std::string> found;
            std::istringstream content(read(m_dir.path() + "/messages.log"));
            for (std::string line; std::getline(content, line);) {
                if (line.find(marker) != std::string::npos)
                    found.push_back(line);
            }
            if (found.size() >= count || std::chrono::steady_clock::now() >= deadline)
                return found;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

private:
    static std::string read(const std::string& path)
    {
        std::ifstream in(path);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void send(const std::string& text) const
    {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(514);
        inet_pton(AF_INET, m_address.c_str(), &target.sin_addr);
        ::sendto(fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&target),
                 sizeof target);
        ::close(fd);
    }

    std::string m_address;
    TempDirectory m_dir;
    ChildProcess m_process;
    std::string m_failure;
};
