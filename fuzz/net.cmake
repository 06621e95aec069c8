# The network clients' parsers of what peers send.
travimetra_fuzz(http_response SOURCES ${CMAKE_CURRENT_LIST_DIR}/net/HttpResponseFuzz.cpp
                LIBS travimetra_net)
travimetra_fuzz(icmp_reply SOURCES ${CMAKE_CURRENT_LIST_DIR}/net/IcmpReplyFuzz.cpp
                LIBS travimetra_net)
travimetra_fuzz(ping_helper_output SOURCES ${CMAKE_CURRENT_LIST_DIR}/net/PingHelperOutputFuzz.cpp
                LIBS travimetra_net)
