#include "SNMPReadMany.h"

#include "Ber.h"
#include "SnmpBulkPage.h"
#include "SocketErrors.h"
#include "TSNMPCheckedSend.h"
#include "TickCount.h"
#include "WaitCancel.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>
#include <poll.h>

namespace {

// Rows asked for per GetBulk page: ifDescr and ifName rows of a router are
// short, so this many fit one datagram; an agent sends fewer when they do not.
constexpr std::size_t MaxRepetitions = 24;

void prepare(TSNMPCheckedSend& snmp, const std::string& host, const std::string& community,
             int version, int pduType, int timeoutMs)
{
    snmp.TargetHost = host;
    snmp.Timeout = timeoutMs;
    snmp.Query.Version = version;
    snmp.Query.Community = community;
    snmp.Query.PDUType = pduType;
}

void prepareGet(TSNMPCheckedSend& snmp, const SNMPGetRequest& request, int timeoutMs)
{
    prepare(snmp, request.host, request.community, request.version, BerTag::GetRequest, timeoutMs);
    for (const std::string& oid : request.oids)
        snmp.Query.AddVarBind(oid, "", BerTag::Null);
}

// A get of SNMPReadTogether that is still out, and the socket it went out
// on: the one of the first get to its agent.
struct OutGet
{
    std::size_t index = 0;
    std::uint32_t sentTick = 0;
    TSNMPCheckedSend* snmp = nullptr;
    TUDPBlockSocket* sock = nullptr;
};

} // namespace

std::vector<SNMPReading> matchReadings(const std::vector<std::string>& oids,
                                       const SnmpResponse& reply)
{
    std::vector<SNMPReading> readings(oids.size());
    for (std::size_t i = 0; i < oids.size(); ++i) {
        SNMPReading& reading = readings[i];
        reading.Binding.Oid = oids[i];
        // With an error status the bindings are echoes of the request (or
        // nothing at all), never values.
        if (reply.ErrorStatus != 0 || i >= reply.Bindings.size() ||
            reply.Bindings[i].Oid != oids[i]) {
            continue;
        }
        reading.Binding = reply.Bindings[i];
        if (reading.Binding.isException()) {
            reading.Outcome = SNMPReadOutcome::Exception;
        } else if (reading.Binding.ValueType != BerTag::Null) {
            reading.Outcome = SNMPReadOutcome::Value;
        }
    }
    return readings;
}

bool SNMPReadValues(const std::vector<std::string>& oids, const std::string& community,
                    const std::string& host, int version, std::vector<SNMPReading>& readings,
                    int timeoutMs)
{
    readings.clear();
    TSNMPCheckedSend snmp;
    prepareGet(snmp, {oids, community, host, version}, timeoutMs);
    if (!snmp.Exchange())
        return false;
    readings = matchReadings(oids, snmp.Reply);
    return true;
}

bool SNMPBulkWalk(const std::string& column, const std::string& community, const std::string& host,
                  std::size_t maxRows, std::vector<SnmpBinding>& rows, int timeoutMs)
{
    SnmpWalkLimits limits;
    limits.MaxRows = maxRows;
    const SnmpWalkEnd end = SNMPBulkWalk(column, community, host, limits, rows, timeoutMs);
    return end == SnmpWalkEnd::Complete || end == SnmpWalkEnd::RowLimit;
}

SnmpWalkEnd SNMPBulkWalk(const std::string& column, const std::string& community,
                         const std::string& host, const SnmpWalkLimits& limits,
                         std::vector<SnmpBinding>& rows, int timeoutMs)
{
    rows.clear();
    SnmpWalkBudget budget(limits);
    std::string lastOid = column;
    while (true) {
        if (snmpWaitsCancelled())
            return SnmpWalkEnd::Cancelled;
        const int wait = budget.pageTimeout(timeoutMs);
        if (wait <= 0)
            return SnmpWalkEnd::TimeLimit;
        TSNMPCheckedSend snmp;
        prepare(snmp, host, community, SNMPVersion2c, BerTag::GetBulkRequest, wait);
        snmp.Query.NonRepeaters() = 0;
        snmp.Query.MaxRepetitions() = static_cast<std::int32_t>(
            std::clamp<std::size_t>(budget.rowsLeft(), 1, MaxRepetitions));
        snmp.Query.AddVarBind(lastOid, "", BerTag::Null);
        if (!snmp.Exchange()) {
            if (snmpWaitsCancelled())
                return SnmpWalkEnd::Cancelled;
            // A page cut short by the deadline ended by it, not by the agent.
            return wait < timeoutMs ? SnmpWalkEnd::TimeLimit : SnmpWalkEnd::NoAnswer;
        }
        switch (takeBulkPage(column, lastOid, snmp.Reply, budget, rows)) {
        case SnmpWalkStep::More:
            break;
        case SnmpWalkStep::Done:
            return SnmpWalkEnd::Complete;
        case SnmpWalkStep::Broken:
            return SnmpWalkEnd::OutOfOrder;
        case SnmpWalkStep::Full:
            return budget.end();
        }
    }
}

void SNMPReadTogether(const std::vector<SNMPGetRequest>& requests, const SNMPGetEnded& ended,
                      int timeoutMs)
{
    const std::uint32_t limit = timeoutMs > 0 ? static_cast<std::uint32_t>(timeoutMs) : 0;
    const auto end = [&](const OutGet& get, bool answered) {
        SNMPGetEnd outcome;
        outcome.answered = answered;
        outcome.sentTick = get.sentTick;
        outcome.endTick = TickCount32();
        if (answered)
            outcome.readings = matchReadings(requests[get.index].oids, get.snmp->Reply);
        else
            get.snmp->Failed();
        ended(get.index, std::move(outcome));
    };

    // Every exchange lives until the end: later gets to its agent may wait
    // on its socket.
    std::vector<std::unique_ptr<TSNMPCheckedSend>> exchanges;
    std::map<std::string, TUDPBlockSocket*> agents; // host -> socket its gets share
    std::map<TUDPBlockSocket*, std::uint32_t>
        sentOn; // gets sent on a shared socket after its first
    std::vector<OutGet> out;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        exchanges.push_back(std::make_unique<TSNMPCheckedSend>());
        TSNMPCheckedSend& snmp = *exchanges.back();
        prepareGet(snmp, requests[i], timeoutMs);
        OutGet get{i, TickCount32(), &snmp, nullptr};
        const auto shared = agents.find(requests[i].host);
        if (shared != agents.end()) {
            // Gets on one socket are told apart by their request ids.
            snmp.Query.ID = static_cast<std::int32_t>(++sentOn[shared->second]) + 1;
            if (snmp.SendOn(*shared->second))
                get.sock = shared->second;
        } else if (snmp.Send()) {
            get.sock = agents[requests[i].host] = &snmp.Sock;
        }
        if (get.sock)
            out.push_back(get);
        else
            end(get, false);
    }

    std::vector<pollfd> waits;
    std::vector<TUDPBlockSocket*> waited;
    while (!out.empty()) {
        // Each get has its own deadline, counted from its own sending.
        const std::uint32_t now = TickCount32();
        std::uint32_t wait = limit;
        for (std::size_t k = out.size(); k-- > 0;) {
            const std::uint32_t elapsed = TickDiff(out[k].sentTick, now);
            if (elapsed >= limit) {
                end(out[k], false);
                out.erase(out.begin() + static_cast<std::ptrdiff_t>(k));
            } else {
                wait = std::min(wait, limit - elapsed);
            }
        }
        if (out.empty())
            break;
        waits.clear();
        waited.clear();
        for (const OutGet& get : out) {
            if (std::find(waited.begin(), waited.end(), get.sock) != waited.end())
                continue;
            waited.push_back(get.sock);
            waits.push_back({get.sock->Handle(), POLLIN, 0});
        }
        if (WaitCancel::poll(waits.data(), waits.size(), static_cast<int>(wait)) < 0) {
            // Cancelled (or the wait itself failed): nothing more comes.
            for (const OutGet& get : out)
                end(get, false);
            return;
        }
        for (std::size_t w = 0; w < waits.size(); ++w) {
            if (waits[w].revents == 0)
                continue;
            TUDPBlockSocket& sock = *waited[w];
            const std::string datagram = sock.ReceivePacket(0);
            const int error = sock.LastError();
            if (error == SockErr::TimedOut)
                continue; // woken with nothing to take
            // A socket error (the agent's port is closed) ends every get on
            // the socket; a datagram ends the one it answers, if any.
            for (std::size_t k = 0; k < out.size();) {
                if (out[k].sock != &sock ||
                    (error == SockErr::Ok && !out[k].snmp->Take(datagram))) {
                    ++k;
                    continue;
                }
                end(out[k], error == SockErr::Ok);
                out.erase(out.begin() + static_cast<std::ptrdiff_t>(k));
                if (error == SockErr::Ok)
                    break;
            }
        }
    }
}
