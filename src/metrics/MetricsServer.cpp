#include "MetricsServer.h"

#include "MicroHttpd.h"
#include "OpenMetricsText.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

// Runs on the server's thread, which only exists once the library is loaded.
const MicroHttpd& mhd()
{
    return *MicroHttpd::get();
}

MHD_Result answer(MHD_Connection* connection, unsigned status, const std::string& text,
                  const char* contentType)
{
    MHD_Response* response = mhd().createResponseFromBuffer(
        text.size(), const_cast<char*>(text.data()), MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    mhd().addResponseHeader(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType);
    const MHD_Result queued = mhd().queueResponse(connection, status, response);
    mhd().destroyResponse(response);
    return queued;
}

MHD_Result onRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                     const char*, const char*, size_t* uploadSize, void**)
{
    const auto& body = *static_cast<const MetricsServer::Body*>(cls);
    // A body sent with the request is never read: the answer goes out on
    // the first call, and the library closes the connection after it.
    if (uploadSize)
        *uploadSize = 0;
    const bool get = std::strcmp(method, MHD_HTTP_METHOD_GET) == 0 ||
                     std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
    if (std::strcmp(url, "/metrics") != 0)
        return answer(connection, MHD_HTTP_NOT_FOUND, "Not found: try /metrics\n", "text/plain");
    if (!get)
        return answer(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "Only GET\n", "text/plain");
    const char* accept =
        mhd().lookupConnectionValue(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_ACCEPT);
    const OpenMetricsText::TFormat format = OpenMetricsText::formatFor(accept ? accept : "");
    return answer(connection, MHD_HTTP_OK, body(format), OpenMetricsText::contentType(format));
}

} // namespace

MetricsServer::MetricsServer(Body body) : m_body(std::move(body)) {}

MetricsServer::~MetricsServer()
{
    stop();
}

MetricsServer::TStart MetricsServer::start(const std::string& address, uint16_t port)
{
    stop();
    sockaddr_storage storage{};
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL;
    if (sockaddr_in v4{}; inet_pton(AF_INET, address.c_str(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        std::memcpy(&storage, &v4, sizeof v4);
    } else if (sockaddr_in6 v6{}; inet_pton(AF_INET6, address.c_str(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        std::memcpy(&storage, &v6, sizeof v6);
        flags |= MHD_USE_IPv6;
    } else {
        return TStart::BadAddress;
    }
    const MicroHttpd* library = MicroHttpd::get();
    if (!library)
        return TStart::NoLibrary;
    m_daemon = library->startDaemon(
        flags, port, nullptr, nullptr, &onRequest, &m_body, MHD_OPTION_SOCK_ADDR,
        reinterpret_cast<const sockaddr*>(&storage), MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned>(kMaxConnections), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        static_cast<unsigned>(kMaxPerAddress), MHD_OPTION_CONNECTION_TIMEOUT,
        static_cast<unsigned>(kIdleSeconds), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        static_cast<size_t>(kRequestMemory), MHD_OPTION_STRICT_FOR_CLIENT, 1, MHD_OPTION_END);
    return m_daemon ? TStart::Started : TStart::CannotListen;
}

void MetricsServer::stop()
{
    if (m_daemon)
        MicroHttpd::get()->stopDaemon(m_daemon);
    m_daemon = nullptr;
}

uint16_t MetricsServer::port() const
{
    if (!m_daemon)
        return 0;
    const MHD_DaemonInfo* info =
        MicroHttpd::get()->getDaemonInfo(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : 0;
}

std::string MetricsServer::startText(TStart outcome, const std::string& address, uint16_t port)
{
    switch (outcome) {
    case TStart::Started:
        return {};
    case TStart::BadAddress:
        return "The metrics address \"" + address +
               "\" is not a numeric IPv4 or IPv6 address; the metrics are not served.";
    case TStart::NoLibrary:
        return std::string("The metrics cannot be served: the library ") + MicroHttpd::soname() +
               " is not installed.";
    case TStart::CannotListen:
        break;
    }
    return "The metrics cannot be served on " + address + " port " + std::to_string(port) +
           ": the port is taken or the address is not one of this computer's.";
}
