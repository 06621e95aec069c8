#pragma once

#include <string>

// Two network namespaces of the test's own joined by a veth link: the client
// side (10.91.0.1) and the agent side (10.91.0.2). A queue discipline on the
// agent's end of the link can drop what the agent sends back. The calling
// thread can step into either namespace: sockets it then makes, and children
// it starts, live there. Nothing of it touches the machine's own network.
class FaultNetwork
{
public:
    static constexpr const char* ClientAddress = "10.91.0.1";
    static constexpr const char* AgentAddress = "10.91.0.2";

    FaultNetwork();
    ~FaultNetwork();
    FaultNetwork(const FaultNetwork&) = delete;
    FaultNetwork& operator=(const FaultNetwork&) = delete;

    // Empty when the network is up; otherwise the command that failed.
    const std::string& failure() const { return m_failure; }

    // Moves the calling thread into a namespace, or back where it started.
    bool enterClient();
    bool enterAgent();
    void leave();

    // Replaces the root queue discipline of the agent's end of the link
    // ("netem loss 30%", "pfifo limit 0" for a black hole); empty restores
    // the default.
    bool setAgentQdisc(const std::string& qdisc);
    // Datagrams that reached the agent's end of the link.
    long agentReceivedPackets() const;
    // Datagrams that the agent side's queue dropped on their way back.
    long agentDroppedPackets() const;

private:
    bool run(const std::string& command);
    bool enter(const std::string& name);

    std::string m_client;
    std::string m_agent;
    std::string m_failure;
    int m_home = -1;
};
