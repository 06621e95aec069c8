# One ICMP echo to 127.0.0.1 by each of our ways, beside the system ping.
travimetra_bench(net_ping_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/net/PingBench.cpp
                 LIBS travimetra_net)
add_dependencies(net_ping_bench travimetra-ping)

# The HTTP reader on 16 MiB of empty lines beside an ordinary 16 MiB body.
travimetra_bench(net_http_reader_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/net/HttpReaderBench.cpp
                 LIBS travimetra_net)
