#include "MicroHttpd.h"

#include <dlfcn.h>

namespace {

template <class Function> bool bind(void* library, Function& function, const char* name)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

const MicroHttpd* load()
{
    static MicroHttpd functions;
    // RTLD_LOCAL: nothing else in the program resolves against it.
    void* library = dlopen(TRAVIMETRA_MICROHTTPD_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    MicroHttpd& f = functions;
    const bool complete =
        bind(library, f.startDaemon, "MHD_start_daemon") &&
        bind(library, f.stopDaemon, "MHD_stop_daemon") &&
        bind(library, f.getDaemonInfo, "MHD_get_daemon_info") &&
        bind(library, f.createResponseFromBuffer, "MHD_create_response_from_buffer") &&
        bind(library, f.addResponseHeader, "MHD_add_response_header") &&
        bind(library, f.queueResponse, "MHD_queue_response") &&
        bind(library, f.destroyResponse, "MHD_destroy_response") &&
        bind(library, f.lookupConnectionValue, "MHD_lookup_connection_value");
    if (!complete) {
        dlclose(library);
        return nullptr;
    }
    return &functions;
}

} // namespace

const MicroHttpd* MicroHttpd::get()
{
    static const MicroHttpd* const loaded = load();
    return loaded;
}

const char* MicroHttpd::soname()
{
    return TRAVIMETRA_MICROHTTPD_SONAME;
}
