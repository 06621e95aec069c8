# Benchmarks of src/app: one poll pass of the main window against a local
# snmpd (started by the benchmark, needs root) beside the bare UDP round trips
# the same pass needs.
travimetra_bench(bench_app
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/app/frmMainBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BareUdpFloor.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BenchFolders.cpp
    LIBS travimetra_app travimetra_app_network travimetra_peers)
# The window's event loop while agents are silent or slow, and the poll
# behind a relay that delays every reply (needs root for snmpd).
travimetra_bench(bench_app_responsiveness
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/app/ResponsivenessBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BenchFolders.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/ProcessUsage.cpp
    LIBS travimetra_app travimetra_app_network travimetra_peers travimetra_fault_probes)
# A poll pass of 50 sensors, SNMPv1 against SNMPv2c, through the poll engine
# against a local snmpd (started by the benchmark, needs root); beside it one
# scrape of the metrics of 10 and 256 sensors.
travimetra_bench(bench_v2c_pass
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/app/V2cPassBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/metrics/ScrapeBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BenchAgent.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/ProcessUsage.cpp
    LIBS travimetra_app_network travimetra_metrics travimetra_peers)
# One sensor's poll as SNMPv3 authPriv against the same sensor as SNMPv2c,
# through the program's own network against a local snmpd (needs root).
travimetra_bench(bench_v3_poll
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/app/V3PollBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BenchAgent.cpp
    LIBS travimetra_app_network travimetra_peers)
