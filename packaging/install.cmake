# Desktop integration and the Debian package: the desktop entry, the icon in
# the hicolor theme, the AppStream metainfo and the manual page, installed
# beside the program and the ping helper (their own rules sit with their
# targets).
include(GNUInstallDirs)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)

install(FILES ${packaging}/Travimetra.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

install(FILES ${packaging}/icons/travimetra.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${packaging}/icons/travimetra-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME travimetra.png)
endforeach()

configure_file(${packaging}/Travimetra.metainfo.xml
               ${CMAKE_CURRENT_BINARY_DIR}/packaging/com.quorvane.Travimetra.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/com.quorvane.Travimetra.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

configure_file(${packaging}/travimetra.1 ${CMAKE_CURRENT_BINARY_DIR}/packaging/travimetra.1 @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/travimetra.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# cpack -G DEB (in the build folder) makes travimetra_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME travimetra)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT "Quorvane <travimetra@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "network traffic monitor for SNMP routers and modems")
set(CPACK_PACKAGE_DESCRIPTION
    "Travimetra polls SNMP agents for the octet counters of one interface each and draws the download and upload rates as scrolling graphs in a small window that stays on top and can live in the notification area. It also measures latency by ICMP echo and logs rates to files or syslog.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# setcap for the helper at configure time; snmp tools to try an agent by hand.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "snmp, snmpd")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${packaging}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
