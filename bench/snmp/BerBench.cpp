// Encoding a request and decoding a reply, side by side with net-snmp's own
// parser on the same bytes.

#include "TSNMPRec.h"

#include "snmp/HexBytes.h"

#include <benchmark/benchmark.h>

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// GetResponse, community "public", request id 1: sysUpTime.0 = TimeTicks 123456.
const std::string UpTimeResponse =
    hexBytes("30 29 02 01 00 04 06 70 75 62 6C 69 63 A2 1C 02 01 01 02 01 00 02 01 00"
             " 30 11 30 0F 06 08 2B 06 01 02 01 01 03 00 43 03 01 E2 40");

void EncodeGetRequest(benchmark::State& state)
{
    TSNMPRec rec;
    for (auto _ : state) {
        rec.Reset();
        rec.Community = "public";
        rec.PDUType = BerTag::GetRequest;
        rec.AddVarBind("1.3.6.1.2.1.1.3.0", "", BerTag::Null);
        std::string datagram = rec.Encode();
        benchmark::DoNotOptimize(datagram.data());
    }
}
BENCHMARK(EncodeGetRequest);

void DecodeGetResponse(benchmark::State& state)
{
    TSNMPRec rec;
    if (!rec.Decode(UpTimeResponse) || rec.FindValue("1.3.6.1.2.1.1.3.0") != "123456") {
        state.SkipWithError("decode gave the wrong result");
        return;
    }
    for (auto _ : state) {
        const bool ok = rec.Decode(UpTimeResponse);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(rec.VarBind(0).Value.data());
    }
}
BENCHMARK(DecodeGetResponse);

// A fresh record per reply, as a request that creates its own does.
void DecodeGetResponseFreshRecord(benchmark::State& state)
{
    for (auto _ : state) {
        TSNMPRec rec;
        const bool ok = rec.Decode(UpTimeResponse);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(rec.VarBindCount());
    }
}
BENCHMARK(DecodeGetResponseFreshRecord);

// net-snmp's decode of the same message: a PDU is created, the datagram parsed
// into it (community, header and bindings, values in binary) and freed.
void NetSnmpDecodeGetResponse(benchmark::State& state)
{
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = SNMP_VERSION_1;
    std::vector<u_char> data(UpTimeResponse.begin(), UpTimeResponse.end());
    for (auto _ : state) {
        netsnmp_pdu* pdu = snmp_pdu_create(0);
        const int result = snmp_parse(nullptr, &session, pdu, data.data(), data.size());
        const bool ok = result == SNMPERR_SUCCESS && pdu->variables != nullptr &&
                        pdu->variables->type == ASN_TIMETICKS &&
                        *pdu->variables->val.integer == 123456;
        snmp_free_pdu(pdu);
        if (!ok) {
            state.SkipWithError("net-snmp could not parse the reply");
            break;
        }
    }
}
BENCHMARK(NetSnmpDecodeGetResponse);

} // namespace

BENCHMARK_MAIN();
