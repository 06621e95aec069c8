# Benchmarks of src/snmp, with net-snmp's library as the baseline.
find_package(PkgConfig REQUIRED)
pkg_check_modules(NETSNMP REQUIRED IMPORTED_TARGET netsnmp)
travimetra_bench(bench_snmp
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/snmp/BerBench.cpp
    LIBS travimetra_snmp PkgConfig::NETSNMP)
# A get against a local snmpd (started by the benchmark, needs root) beside the
# bare UDP round trip and net-snmp's synchronous get.
travimetra_bench(bench_snmp_read
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/snmp/ReadValueBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BenchAgent.cpp
    LIBS travimetra_snmp travimetra_peers PkgConfig::NETSNMP)
# A version-1 poll of five gets against an SNMPv2c poll of one three-binding
# get, against a local snmpd (needs root).
travimetra_bench(bench_snmp_poll
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/snmp/PollRequestBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BenchAgent.cpp
    LIBS travimetra_snmp travimetra_peers)
# A poll's three readings as SNMPv3 authPriv beside v2c in one request and
# version 1's three gets, against a local snmpd (started by the benchmark).
travimetra_bench(bench_snmp_v3_read
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/snmp/V3ReadBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BenchAgent.cpp
    LIBS travimetra_snmp travimetra_peers)
# The SNMPv3 engine cache under an agent that changes its engine id at every
# request: time per read and what stays held (no network).
travimetra_bench(bench_snmp_engine_churn
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/snmp/EngineChurnBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/ProcessUsage.cpp
    LIBS travimetra_snmp)
