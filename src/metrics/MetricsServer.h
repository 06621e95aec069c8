#pragma once

#include "OpenMetricsText.h"

#include <cstdint>
#include <functional>
#include <string>

struct MHD_Daemon;

// The endpoint a scraper reads: GET /metrics on one address and port, served
// by libmicrohttpd on a thread of its own, so a slow or hostile client never
// holds up the poll. Requests are read with limits (memory per connection,
// connections in all and per client address) and a connection idle for
// kIdleSeconds is closed.
class MetricsServer
{
public:
    // The page's text in the format asked for; called on the server's
    // thread for each scrape.
    using Body = std::function<std::string(OpenMetricsText::TFormat)>;

    enum class TStart
    {
        Started,
        BadAddress,   // not a numeric IPv4 or IPv6 address
        CannotListen, // the port is taken or the address is not this machine's
        NoLibrary,    // the HTTP server library is not installed
    };

    static constexpr unsigned kIdleSeconds = 10;
    static constexpr unsigned kMaxConnections = 128;
    static constexpr unsigned kMaxPerAddress = 16;
    // A request's line and headers together; more is answered with an error.
    static constexpr std::size_t kRequestMemory = 16 * 1024;

    explicit MetricsServer(Body body);
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // Listens on `address` and `port` (0: a free port, see port()); stops
    // any earlier listening first.
    TStart start(const std::string& address, uint16_t port);
    void stop();
    bool running() const { return m_daemon != nullptr; }
    // The port listened on, 0 when not running.
    uint16_t port() const;

    // Why a start failed, in words for the user.
    static std::string startText(TStart outcome, const std::string& address, uint16_t port);

private:
    Body m_body;
    MHD_Daemon* m_daemon = nullptr;
};
