#include "SNMPv3Read.h"

#include "BerTag.h"

#include <cstdlib>

namespace {

SnmpV3Result run(int pduType, const std::vector<std::string>& oids, const SnmpV3User& user,
                 const std::string& host, SnmpEngineCache& cache, std::int32_t nonRepeaters = 0,
                 std::int32_t maxRepetitions = 0)
{
    SnmpV3Client client(cache);
    client.User = user;
    client.TargetHost = host;
    return client.request(pduType, oids, nonRepeaters, maxRepetitions);
}

void refuse(SnmpV3Result& result, const std::string& why)
{
    result.Outcome = SnmpV3Outcome::RefusedReply;
    result.Detail = why;
    result.VarBinds.clear();
}

// Arcs of dotted text; pieces that are not numbers read as 0, which only an
// agent's garbage could send and which the strict decoder already refuses.
std::vector<unsigned long> arcs(const std::string& oid)
{
    std::vector<unsigned long> out;
    std::size_t start = 0;
    while (start <= oid.size()) {
        const std::size_t dot = oid.find('.', start);
        const std::string piece =
            oid.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        out.push_back(std::strtoul(piece.c_str(), nullptr, 10));
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    return out;
}

} // namespace

bool oidIsUnder(const std::string& oid, const std::string& root)
{
    return oid.size() > root.size() + 1 && oid.compare(0, root.size(), root) == 0 &&
           oid[root.size()] == '.';
}

bool oidIsAfter(const std::string& b, const std::string& a)
{
    const auto left = arcs(a);
    const auto right = arcs(b);
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
}

SnmpV3Result SNMPv3Get(const std::vector<std::string>& oids, const SnmpV3User& user,
                       const std::string& host, SnmpEngineCache& cache)
{
    SnmpV3Result result = run(BerTag::GetRequest, oids, user, host, cache);
    if (!result.ok())
        return result;
    if (result.VarBinds.size() != oids.size()) {
        refuse(result, "the reply does not carry the requested bindings");
        return result;
    }
    for (std::size_t i = 0; i < oids.size(); ++i) {
        if (result.VarBinds[i].Oid != oids[i]) {
            refuse(result, "the reply's bindings are not the requested OIDs");
            return result;
        }
    }
    return result;
}

SnmpV3Result SNMPv3GetNext(const std::string& oid, const SnmpV3User& user, const std::string& host,
                           SnmpEngineCache& cache)
{
    SnmpV3Result result = run(BerTag::GetNextRequest, {oid}, user, host, cache);
    if (result.ok() && result.VarBinds.size() != 1)
        refuse(result, "the reply does not carry one binding");
    return result;
}

SnmpV3Result SNMPv3Walk(const std::string& root, const SnmpV3User& user, const std::string& host,
                        SnmpEngineCache& cache, std::size_t maxRows, std::int32_t maxRepetitions)
{
    SnmpV3Result walk;
    std::string cursor = root;
    while (walk.VarBinds.size() < maxRows) {
        SnmpV3Result step =
            run(BerTag::GetBulkRequest, {cursor}, user, host, cache, 0, maxRepetitions);
        walk.RoundTrips += step.RoundTrips;
        walk.EngineRebooted = walk.EngineRebooted || step.EngineRebooted;
        if (!step.ok()) {
            step.VarBinds.clear();
            step.RoundTrips = walk.RoundTrips;
            return step;
        }
        if (step.VarBinds.empty())
            break;
        for (const SnmpBinding& bind : step.VarBinds) {
            // Past the subtree or at the end of the agent's view.
            if (bind.ValueType == BerTag::EndOfMibView || !oidIsUnder(bind.Oid, root)) {
                walk.Outcome = SnmpV3Outcome::Ok;
                return walk;
            }
            // An agent that stands still or goes back would never end; what it
            // gave so far is no complete list, so none is given.
            if (!oidIsAfter(bind.Oid, cursor)) {
                refuse(walk, "the agent's walk does not move forward");
                return walk;
            }
            cursor = bind.Oid;
            walk.VarBinds.push_back(bind);
            if (walk.VarBinds.size() >= maxRows)
                break;
        }
    }
    walk.Outcome = SnmpV3Outcome::Ok;
    return walk;
}
