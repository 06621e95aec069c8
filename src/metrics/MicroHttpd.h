#pragma once

#include <microhttpd.h>

// The few functions of libmicrohttpd the metrics endpoint calls, bound when
// the endpoint first starts: the library and the TLS stack it brings
// (GnuTLS, p11-kit and theirs, over 2 MB resident) are only loaded into a
// program that serves the metrics.
struct MicroHttpd
{
    decltype(&MHD_start_daemon) startDaemon = nullptr;
    decltype(&MHD_stop_daemon) stopDaemon = nullptr;
    decltype(&MHD_get_daemon_info) getDaemonInfo = nullptr;
    decltype(&MHD_create_response_from_buffer) createResponseFromBuffer = nullptr;
    decltype(&MHD_add_response_header) addResponseHeader = nullptr;
    decltype(&MHD_queue_response) queueResponse = nullptr;
    decltype(&MHD_destroy_response) destroyResponse = nullptr;
    decltype(&MHD_lookup_connection_value) lookupConnectionValue = nullptr;

    // Loads the library on the first call (any thread) and keeps it; null
    // when it or one of the functions is missing.
    static const MicroHttpd* get();
    // The library's file name, for the user.
    static const char* soname();
};
