#include "RsyslogPeer.h"

#include "PortHolder.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

void sendProbe(const std::string& text)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(514);
    inet_pton(AF_INET, RsyslogPeer::Address, &target.sin_addr);
    ::sendto(fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
    ::close(fd);
}

} // namespace

RsyslogPeer::RsyslogPeer()
{
    const std::string rsyslogd = findExecutable("rsyslogd");
    if (rsyslogd.empty() || m_dir.path().empty()) {
        m_failure = "rsyslogd is not installed";
        return;
    }
    m_failure = PortHolder::describe(PortHolder::Protocol::Udp, Address, 514);
    if (!m_failure.empty())
        return;
    const std::string d = m_dir.path();
    m_dir.write("rsyslog.conf",
                "global(workDirectory=\"" + d +
                    "\")\n"
                    "module(load=\"imudp\")\n"
                    "input(type=\"imudp\" address=\"127.0.0.33\" port=\"514\")\n"
                    "template(name=\"fields\" type=\"string\" string=\"%syslogfacility-text%|"
                    "%syslogseverity-text%|%hostname%|%msg%\\n\")\n"
                    "*.* action(type=\"omfile\" file=\"" +
                    d + "/messages.log\" template=\"fields\")\n");
    m_process.start({rsyslogd, "-n", "-f", d + "/rsyslog.conf", "-i", d + "/pid"},
                    m_dir.file("output.log"));
    // UDP says nothing about readiness: send probes until one is filed.
    for (int attempt = 0; attempt < 50; ++attempt) {
        const std::string marker = "travimetra-probe-" + std::to_string(attempt);
        sendProbe("<13>Jan  1 00:00:00 probe : " + marker);
        if (!waitForLine(marker, 100).empty())
            return;
        if (!m_process.running())
            break;
    }
    m_failure = "rsyslogd did not start: " + m_dir.read("output.log");
}

std::string RsyslogPeer::waitForLine(const std::string& marker, int waitMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (true) {
        const std::string content = m_dir.read("messages.log");
        const std::size_t at = content.find(marker);
        if (at != std::string::npos) {
            const std::size_t begin = content.rfind('\n', at);
            const std::size_t end = content.find('\n', at);
            const std::size_t from = begin == std::string::npos ? 0 : begin + 1;
            return content.substr(from, end == std::string::npos ? end : end - from);
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
