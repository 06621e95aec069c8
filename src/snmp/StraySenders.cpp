#include "StraySenders.h"

#include <map>
#include <mutex>

namespace StraySenders {
namespace {
std::mutex g_mutex;
std::map<std::string, std::string> g_senders;
// A program polls a handful of agents; a bound keeps a stream of forged
// answers for ever-new names from growing the map without end.
constexpr std::size_t kMaxAgents = 1024;
} // namespace

void remember(const std::string& agent, const std::string& sender)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_senders.size() >= kMaxAgents && g_senders.find(agent) == g_senders.end())
        g_senders.erase(g_senders.begin());
    g_senders[agent] = sender;
}

void forget(const std::string& agent)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_senders.erase(agent);
}

std::string lookup(const std::string& agent)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto it = g_senders.find(agent);
    return it == g_senders.end() ? std::string() : it->second;
}

} // namespace StraySenders
