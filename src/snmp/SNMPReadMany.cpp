#include "SNMPReadMany.h"

#include "Ber.h"
#include "SnmpBulkPage.h"
#include "SocketErrors.h"
#include "TSNMPCheckedSend.h"
#include "TickCount.h"
#include "WaitCancel.h"

#include <algorithm>
#include <cstddef>
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

// A get of SNMPReadTogether that is still out.
struct OutGet
{
    std::size_t index = 0;
    std::uint32_t sentTick = 0;
    std::unique_ptr<TSNMPCheckedSend> snmp;
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
    rows.clear();
    std::string lastOid = column;
    while (rows.size() < maxRows) {
        TSNMPCheckedSend snmp;
        prepare(snmp, host, community, SNMPVersion2c, BerTag::GetBulkRequest, timeoutMs);
        snmp.Query.NonRepeaters() = 0;
        snmp.Query.MaxRepetitions() =
            static_cast<std::int32_t>(std::min(MaxRepetitions, maxRows - rows.size()));
        snmp.Query.AddVarBind(lastOid, "", BerTag::Null);
        if (!snmp.Exchange())
            return false;
        switch (takeBulkPage(column, lastOid, snmp.Reply, maxRows, rows)) {
        case SnmpWalkStep::More:
            break;
        case SnmpWalkStep::Done:
            return true;
        case SnmpWalkStep::Broken:
            return false;
        }
    }
    return true;
}

void SNMPReadTogether(const std::vector<SNMPGetRequest>& requests, const SNMPGetEnded& ended,
                      int timeoutMs)
{
    const std::uint32_t limit = timeoutMs > 0 ? static_cast<std::uint32_t>(timeoutMs) : 0;
    const auto end = [&](OutGet& get, bool answered) {
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

    std::vector<OutGet> out;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        OutGet get{i, TickCount32(), std::make_unique<TSNMPCheckedSend>()};
        prepareGet(*get.snmp, requests[i], timeoutMs);
        if (get.snmp->Send())
            out.push_back(std::move(get));
        else
            end(get, false);
    }

    std::vector<pollfd> waits;
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
        for (const OutGet& get : out)
            waits.push_back({get.snmp->Sock.Handle(), POLLIN, 0});
        if (WaitCancel::poll(waits.data(), waits.size(), static_cast<int>(wait)) < 0) {
            // Cancelled (or the wait itself failed): nothing more comes.
            for (OutGet& get : out)
                end(get, false);
            return;
        }
        for (std::size_t k = out.size(); k-- > 0;) {
            if (waits[k].revents == 0)
                continue;
            TSNMPCheckedSend& snmp = *out[k].snmp;
            snmp.Buffer = snmp.Sock.ReceivePacket(0);
            const int error = snmp.Sock.LastError();
            if (error == SockErr::TimedOut)
                continue; // woken with nothing to take
            const bool answered = error == SockErr::Ok && snmp.Take(snmp.Buffer);
            if (error == SockErr::Ok && !answered)
                continue; // refused: the wait goes on
            end(out[k], answered);
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
}
