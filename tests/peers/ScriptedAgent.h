#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A UDP "agent" of the tests' own on a loopback address, port 161, that
// answers each request with whatever datagrams the test scripts. A second
// socket on `strangerAddress` can send forged datagrams to the client.
class ScriptedAgent
{
public:
    struct Datagram
    {
        std::string bytes;
        bool fromStranger = false; // sent from the other address
        int delayMs = 0;           // wait before sending
    };
    struct Request
    {
        std::string bytes;
        std::string senderAddress;
        int senderPort = 0;
    };
    using Responder = std::function<std::vector<Datagram>(const Request&)>;

    ScriptedAgent(std::string address, std::string strangerAddress = {});
    ~ScriptedAgent();

    // Binds both sockets and starts answering; false with a reason in error().
    bool start(Responder responder);
    void stop();
    void setResponder(Responder responder);

    std::vector<Request> requests();
    const std::string& address() const { return m_address; }
    const std::string& error() const { return m_error; }

private:
    void run();

    std::string m_address;
    std::string m_strangerAddress;
    std::string m_error;
    int m_fd = -1;
    int m_strangerFd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::mutex m_mutex;
    Responder m_responder;
    std::vector<Request> m_requests;
};

// Builders for the replies a scripted agent sends.
namespace AgentReply {

struct Binding
{
    std::string oid;
    int type;            // tag of the value
    std::string content; // value content octets
};

// A complete message with the given PDU tag; version 0 is SNMPv1, 1 SNMPv2c.
std::string message(int pduType, std::int32_t id, const std::vector<Binding>& bindings,
                    std::int32_t errorStatus = 0, const std::string& community = "vandor",
                    int version = 0);
// GetResponse (tag 162).
std::string response(std::int32_t id, const std::vector<Binding>& bindings,
                     std::int32_t errorStatus = 0, const std::string& community = "vandor");
// GetResponse (tag 162) of SNMPv2c.
std::string responseV2c(std::int32_t id, const std::vector<Binding>& bindings,
                        const std::string& community = "vandor");
// Content octets of an unsigned 32-bit value (Counter32, Gauge32, TimeTicks).
std::string unsigned32(std::uint32_t value);
// Request id of a request datagram, or -1 when it does not decode.
std::int32_t requestId(const std::string& request);

} // namespace AgentReply
