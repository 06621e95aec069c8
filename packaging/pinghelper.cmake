# Installs the ping helper beside the program (which looks for it there) and
# gives it cap_net_raw, the way ping is installed. Setting the capability
# needs root and a file system with extended attributes; without them the
# install still succeeds and the program falls back to what the user may do.
include(GNUInstallDirs)
install(TARGETS travimetra-ping RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(CODE "set(helper \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/travimetra-ping\")")
install(CODE [[
    find_program(TRAVIMETRA_SETCAP setcap PATHS /usr/sbin /sbin)
    if(TRAVIMETRA_SETCAP)
        execute_process(COMMAND ${TRAVIMETRA_SETCAP} cap_net_raw+ep "${helper}"
                        RESULT_VARIABLE setcap_result ERROR_QUIET)
        if(NOT setcap_result EQUAL 0)
            message(WARNING "Could not give ${helper} cap_net_raw; run: setcap cap_net_raw+ep ${helper}")
        endif()
    else()
        message(WARNING "setcap not found; run: setcap cap_net_raw+ep ${helper}")
    endif()
]])
