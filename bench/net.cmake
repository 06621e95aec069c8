# One ICMP echo to 127.0.0.1 by each of our ways, beside the system ping.
travimetra_bench(net_ping_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/net/PingBench.cpp
                 LIBS travimetra_net)
add_dependencies(net_ping_bench travimetra-ping)
