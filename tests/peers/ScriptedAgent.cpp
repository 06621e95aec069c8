#include "ScriptedAgent.h"

#include "PortHolder.h"

#include "Ber.h"
#include "TSNMPRec.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int bindUdp(const std::string& address, int port, std::string& error)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = "socket failed";
        return -1;
    }
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        error = port == 0 ? std::string()
                          : PortHolder::describe(PortHolder::Protocol::Udp, address,
                                                 static_cast<uint16_t>(port));
        if (error.empty())
            error = "cannot bind " + address + ":" + std::to_string(port) + " (needs root)";
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

ScriptedAgent::ScriptedAgent(std::string address, std::string strangerAddress)
    : m_address(std::move(address)), m_strangerAddress(std::move(strangerAddress))
{
}

ScriptedAgent::~ScriptedAgent()
{
    stop();
}

bool ScriptedAgent::start(Responder responder)
{
    setResponder(std::move(responder));
    m_fd = bindUdp(m_address, 161, m_error);
    if (m_fd < 0)
        return false;
    if (!m_strangerAddress.empty()) {
        m_strangerFd = bindUdp(m_strangerAddress, 0, m_error);
        if (m_strangerFd < 0) {
            ::close(m_fd);
            m_fd = -1;
            return false;
        }
    }
    m_stop = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void ScriptedAgent::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_strangerFd >= 0)
        ::close(m_strangerFd);
    m_fd = m_strangerFd = -1;
}

void ScriptedAgent::setResponder(Responder responder)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_responder = std::move(responder);
}

std::vector<ScriptedAgent::Request> ScriptedAgent::requests()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void ScriptedAgent::run()
{
    while (!m_stop) {
        pollfd entry{m_fd, POLLIN, 0};
        if (::poll(&entry, 1, 20) <= 0)
            continue;
        char buffer[65536];
        sockaddr_in sender{};
        socklen_t senderLen = sizeof sender;
        const ssize_t n = ::recvfrom(m_fd, buffer, sizeof buffer, 0,
                                     reinterpret_cast<sockaddr*>(&sender), &senderLen);
        if (n < 0)
            continue;
        Request request;
        request.bytes.assign(buffer, static_cast<std::size_t>(n));
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &sender.sin_addr, text, sizeof text);
        request.senderAddress = text;
        request.senderPort = ntohs(sender.sin_port);

        Responder responder;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(request);
            responder = m_responder;
        }
        if (!responder)
            continue;
        for (const Datagram& reply : responder(request)) {
            if (reply.delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
            const int fd = reply.fromStranger ? m_strangerFd : m_fd;
            if (fd >= 0)
                ::sendto(fd, reply.bytes.data(), reply.bytes.size(), 0,
                         reinterpret_cast<sockaddr*>(&sender), senderLen);
        }
    }
}

namespace AgentReply {

std::string message(int pduType, std::int32_t id, const std::vector<Binding>& bindings,
                    std::int32_t errorStatus, const std::string& community, int version)
{
    std::string list;
    for (const Binding& b : bindings)
        list += EncodeObject(EncodeObject(OidToBer(b.oid), BerTag::ObjectId) +
                                 EncodeObject(b.content, b.type),
                             BerTag::Sequence);
    const std::string pdu = EncodeObject(
        EncodeObject(EncodeInteger(id), BerTag::Integer) +
            EncodeObject(EncodeInteger(errorStatus), BerTag::Integer) +
            EncodeObject(EncodeInteger(0), BerTag::Integer) + EncodeObject(list, BerTag::Sequence),
        pduType);
    return EncodeObject(EncodeObject(EncodeInteger(version), BerTag::Integer) +
                            EncodeObject(community, BerTag::OctetString) + pdu,
                        BerTag::Sequence);
}

std::string response(std::int32_t id, const std::vector<Binding>& bindings,
                     std::int32_t errorStatus, const std::string& community)
{
    return message(BerTag::GetResponse, id, bindings, errorStatus, community);
}

std::string responseV2c(std::int32_t id, const std::vector<Binding>& bindings,
                        const std::string& community)
{
    return message(BerTag::GetResponse, id, bindings, 0, community, 1);
}

std::string unsigned32(std::uint32_t value)
{
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto byte = static_cast<unsigned char>((value >> shift) & 0xFF);
        if (!out.empty() || byte != 0 || shift == 0)
            out += static_cast<char>(byte);
    }
    // A leading zero keeps the value positive in BER, as agents send it.
    if (static_cast<unsigned char>(out[0]) >= 0x80)
        out.insert(out.begin(), '\0');
    return out;
}

std::int32_t requestId(const std::string& request)
{
    TSNMPRec rec;
    return rec.Decode(request) ? rec.ID : -1;
}

} // namespace AgentReply
