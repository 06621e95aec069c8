# The program at scale: 50 sensors against one local snmpd (needs root).
travimetra_bench(bench_faults_scale
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/faults/ScaleBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BareUdpFloor.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/BenchFolders.cpp
            ${CMAKE_CURRENT_LIST_DIR}/common/ProcessUsage.cpp
    LIBS travimetra_app travimetra_app_network travimetra_peers)
