#pragma once

#include "ISensorNetwork.h"
#include "InterfaceCounters.h"
#include "SensorPoll.h"
#include "SensorPollV2c.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

// An SNMPv2c agent in memory: interfaces with names and counters, an uptime,
// and OIDs it answers with an exception. Records every request.
class ScriptedV2cAgent : public ISensorNetwork
{
public:
    struct Interface
    {
        std::string name;
        uint64_t in = 0;
        uint64_t out = 0;
        bool highCapacity = true;
    };

    std::map<int32_t, Interface> interfaces;
    uint32_t upTime = 10000;
    bool silent = false;
    std::set<std::string> exceptions;
    // Set: every request is refused with this text and no values, as an
    // SNMPv3 agent's Report is.
    std::string refusal;
    // The next answer says the agent started again (an SNMPv3 engine's
    // boots went up).
    bool rebooted = false;
    // Set: the type tag the agent gives its counters (its uptime comes as
    // TimeTicks, other values as octet strings); 0 says no types.
    int counterType = 0;
    std::vector<TReadRequest> requests;
    std::vector<TReadRequest> walked;
    int walks = 0;

    TReadReply read(const TReadRequest& request) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        requests.push_back(request);
        TReadReply reply;
        if (silent)
            return reply;
        if (!refusal.empty()) {
            reply.failure = refusal;
            return reply;
        }
        reply.answered = true;
        reply.agentRestarted = std::exchange(rebooted, false);
        for (const std::string& oid : request.oids) {
            std::string text;
            if (!value(oid, text)) {
                reply.values.emplace_back();
                reply.values.back().kind = ValueKind::Exception;
                continue;
            }
            reply.values.push_back(typed(oid, text));
        }
        return reply;
    }

    bool walk(const TReadRequest& column,
              std::vector<std::pair<std::string, std::string>>& rows) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++walks;
        walked.push_back(column);
        rows.clear();
        if (silent || !refusal.empty() || column.oids.size() != 1)
            return false;
        for (const auto& [index, interface] : interfaces)
            rows.emplace_back(column.oids[0] + "." + std::to_string(index), interface.name);
        return true;
    }

    bool readValue(const std::string& oid, const std::string&, const std::string&,
                   std::string& text) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return !silent && value(oid, text);
    }
    int pingRoundTrip(const std::string&) override { return 1; }
    uint32_t tickCount() override { return ticks; }
    uint32_t ticks = 0; // the local clock, in milliseconds

    // Requests since the last call.
    std::vector<TReadRequest> takeRequests()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<TReadRequest> taken;
        taken.swap(requests);
        return taken;
    }

private:
    // The value as the agent's decoder hands it on: uptime as TimeTicks, a
    // name as an octet string, counters as counterType (or their own type).
    SnmpValue typed(const std::string& oid, const std::string& text) const
    {
        const bool highCapacity =
            oid.rfind(kIfHCInOctetsPrefix, 0) == 0 || oid.rfind(kIfHCOutOctetsPrefix, 0) == 0;
        const int type = oid == SensorPoll::kUpTimeOid                   ? 0x43
                         : oid.rfind(SensorPoll::kIfDescrColumn, 0) == 0 ? 0x04
                         : counterType                                   ? counterType
                         : highCapacity                                  ? 0x46
                                                                         : 0x41;
        uint64_t number = 0;
        if (type == 0x04 || !SensorPoll::parseUnsigned(text, UINT64_MAX, number))
            return SnmpValue::ofText(text, type);
        return type == 0x02 ? SnmpValue::ofInteger(int64_t(number))
                            : SnmpValue::ofUnsigned(number, type);
    }

    bool value(const std::string& oid, std::string& text)
    {
        if (exceptions.count(oid))
            return false;
        if (oid == SensorPoll::kUpTimeOid) {
            text = std::to_string(upTime);
            return true;
        }
        const Interface* interface = nullptr;
        auto column = [&](const char* prefix) {
            const std::string p = prefix;
            if (oid.compare(0, p.size(), p) != 0)
                return false;
            const auto it = interfaces.find(std::atoi(oid.c_str() + p.size()));
            interface = it == interfaces.end() ? nullptr : &it->second;
            return interface != nullptr;
        };
        if (column(kIfHCInOctetsPrefix) && interface->highCapacity)
            text = std::to_string(interface->in);
        else if (column(kIfHCOutOctetsPrefix) && interface->highCapacity)
            text = std::to_string(interface->out);
        else if (column(kIfInOctetsPrefix))
            text = std::to_string(interface->in & 0xFFFFFFFFu);
        else if (column(kIfOutOctetsPrefix))
            text = std::to_string(interface->out & 0xFFFFFFFFu);
        else if (column((std::string(SensorPoll::kIfDescrColumn) + ".").c_str()))
            text = interface->name;
        else
            return false;
        return true;
    }

    std::mutex m_mutex;
};
