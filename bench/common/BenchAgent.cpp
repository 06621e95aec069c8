#include "BenchAgent.h"

#include "SNMPRead.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

SnmpdPeer& benchAgent(const char* address, const std::function<void(SnmpdPeer&)>& configure)
{
    static std::map<std::string, std::unique_ptr<SnmpdPeer>> agents;
    std::unique_ptr<SnmpdPeer>& agent = agents[address];
    if (agent)
        return *agent;
    agent = std::make_unique<SnmpdPeer>(address);
    if (configure)
        configure(*agent);
    if (!agent->start()) {
        std::fprintf(stderr, "cannot start snmpd: %s\n", agent->error().c_str());
        std::exit(1);
    }
    return *agent;
}

double agentInPackets(const char* address)
{
    std::string value;
    SNMPReadValue("1.3.6.1.2.1.11.1.0", SnmpdPeer::community(), address, value);
    return std::strtod(value.c_str(), nullptr);
}
