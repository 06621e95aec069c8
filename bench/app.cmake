# Benchmarks of src/app: one poll pass of the main window against a local
# snmpd (started by the benchmark, needs root) beside the bare UDP round trips
# the same pass needs.
travimetra_bench(bench_app
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/app/frmMainBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BareUdpFloor.cpp
    LIBS travimetra_app travimetra_app_network travimetra_peers)
