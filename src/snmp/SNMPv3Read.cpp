#include "SNMPv3Read.h"

#include "BerTag.h"
#include "SnmpBulkPage.h"

#include <algorithm>

#include <cstdlib>

namespace {

constexpr int kTimeoutMs = 5000;

SnmpV3Result run(int pduType, const std::vector<std::string>& oids, const SnmpV3User& user,
                 const std::string& host, SnmpEngineCache& cache, std::int32_t nonRepeaters = 0,
                 std::int32_t maxRepetitions = 0, int timeoutMs = kTimeoutMs)
{
    SnmpV3Client client(cache);
    client.User = user;
    client.TargetHost = host;
    client.Timeout = timeoutMs;
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
    SnmpWalkLimits limits;
    limits.MaxRows = maxRows;
    return SNMPv3Walk(root, user, host, cache, limits, maxRepetitions);
}

SnmpV3Result SNMPv3Walk(const std::string& root, const SnmpV3User& user, const std::string& host,
                        SnmpEngineCache& cache, const SnmpWalkLimits& limits,
                        std::int32_t maxRepetitions)
{
    SnmpV3Result walk;
    walk.Outcome = SnmpV3Outcome::Ok;
    SnmpWalkBudget budget(limits);
    std::string cursor = root;
    const auto ended = [&walk](SnmpWalkEnd end) {
        walk.WalkEnd = end;
        return walk;
    };
    while (true) {
        if (snmpWaitsCancelled()) {
            walk.Outcome = SnmpV3Outcome::NoAnswer;
            return ended(SnmpWalkEnd::Cancelled);
        }
        const int wait = budget.pageTimeout(kTimeoutMs);
        if (wait <= 0)
            return ended(SnmpWalkEnd::TimeLimit);
        const auto repetitions = static_cast<std::int32_t>(std::clamp<std::size_t>(
            budget.rowsLeft(), 1, static_cast<std::size_t>(std::max(maxRepetitions, 1))));
        SnmpV3Result step =
            run(BerTag::GetBulkRequest, {cursor}, user, host, cache, 0, repetitions, wait);
        walk.RoundTrips += step.RoundTrips;
        walk.EngineRebooted = walk.EngineRebooted || step.EngineRebooted;
        if (!step.ok()) {
            walk.Outcome = step.Outcome;
            walk.Detail = step.Detail;
            if (snmpWaitsCancelled())
                return ended(SnmpWalkEnd::Cancelled);
            // A page cut short by the deadline ended by it, not by the agent.
            if (step.Outcome == SnmpV3Outcome::NoAnswer && wait < kTimeoutMs) {
                walk.Outcome = SnmpV3Outcome::Ok;
                return ended(SnmpWalkEnd::TimeLimit);
            }
            return ended(SnmpWalkEnd::NoAnswer);
        }
        SnmpResponse page;
        page.Bindings = std::move(step.VarBinds);
        switch (takeBulkPage(root, cursor, page, budget, walk.VarBinds)) {
        case SnmpWalkStep::More:
            break;
        case SnmpWalkStep::Done:
            return ended(SnmpWalkEnd::Complete);
        case SnmpWalkStep::Full:
            return ended(budget.end());
        case SnmpWalkStep::Broken:
            // An agent that stands still or goes back would never end; what it
            // gave so far is no complete list.
            walk.Outcome = SnmpV3Outcome::RefusedReply;
            walk.Detail = "the agent's walk does not move forward";
            return ended(SnmpWalkEnd::OutOfOrder);
        }
    }
}
