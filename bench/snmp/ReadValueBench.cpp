// One get of sysUpTime against a local net-snmp agent, three ways in one run:
// our SNMPReadValue, the bare UDP round trip of the same bytes (the floor),
// and net-snmp's own synchronous get.
#include "BenchAgent.h"
#include "SNMPRead.h"
#include "TSNMPRec.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace {

constexpr const char* kAgent = "127.0.0.25";
constexpr const char* kUpTime = "1.3.6.1.2.1.1.3.0";

std::string getRequestBytes()
{
    TSNMPRec query;
    query.PDUType = 160;
    query.AddVarBind(kUpTime, "", 5);
    return query.Encode();
}

void BM_SNMPReadValue(benchmark::State& state)
{
    benchAgent(kAgent);
    std::string value;
    for (auto _ : state) {
        if (!SNMPReadValue(kUpTime, "vandor", kAgent, value))
            state.SkipWithError("no answer");
        benchmark::DoNotOptimize(value);
    }
}

// A fresh connected socket per round trip, as each read has.
void BM_BareUdpRoundTrip(benchmark::State& state)
{
    benchAgent(kAgent);
    const std::string request = getRequestBytes();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(161);
    inet_pton(AF_INET, kAgent, &to.sin_addr);
    char reply[2048];
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
        ::send(fd, request.data(), request.size(), 0);
        const ssize_t n = ::recv(fd, reply, sizeof reply, 0);
        if (n <= 0)
            state.SkipWithError("no answer");
        ::close(fd);
        benchmark::DoNotOptimize(n);
    }
}

void netSnmpGet(benchmark::State& state, bool sessionPerCall)
{
    benchAgent(kAgent);
    static bool initialised = false;
    if (!initialised) {
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        setenv("MIBS", "", 1);
        init_snmp("travimetra-bench");
        initialised = true;
    }
    oid name[MAX_OID_LEN];
    size_t nameLength = MAX_OID_LEN;
    read_objid(".1.3.6.1.2.1.1.3.0", name, &nameLength);

    auto open = [] {
        netsnmp_session settings;
        snmp_sess_init(&settings);
        settings.peername = const_cast<char*>("udp:127.0.0.25:161");
        settings.version = SNMP_VERSION_1;
        settings.community = reinterpret_cast<u_char*>(const_cast<char*>("vandor"));
        settings.community_len = 6;
        settings.retries = 0;
        settings.timeout = 5000000;
        return snmp_open(&settings);
    };
    netsnmp_session* session = sessionPerCall ? nullptr : open();
    for (auto _ : state) {
        if (sessionPerCall)
            session = open();
        netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
        snmp_add_null_var(pdu, name, nameLength);
        netsnmp_pdu* response = nullptr;
        if (snmp_synch_response(session, pdu, &response) != STAT_SUCCESS)
            state.SkipWithError("no answer");
        if (response)
            snmp_free_pdu(response);
        if (sessionPerCall)
            snmp_close(session);
    }
    if (!sessionPerCall)
        snmp_close(session);
}

void BM_NetSnmpSyncGet_SessionPerCall(benchmark::State& state)
{
    netSnmpGet(state, true);
}

void BM_NetSnmpSyncGet_OneSession(benchmark::State& state)
{
    netSnmpGet(state, false);
}

} // namespace

BENCHMARK(BM_BareUdpRoundTrip)->UseRealTime();
BENCHMARK(BM_SNMPReadValue)->UseRealTime();
BENCHMARK(BM_NetSnmpSyncGet_SessionPerCall)->UseRealTime();
BENCHMARK(BM_NetSnmpSyncGet_OneSession)->UseRealTime();
BENCHMARK_MAIN();
