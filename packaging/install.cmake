# Desktop integration and the Debian package: the desktop entry, the icon in
# the hicolor theme, the AppStream metainfo and the manual page, installed
# beside the program and the ping helper (their own rules sit with their
# targets).
include(GNUInstallDirs)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(packaging_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)
# Desktop entry, icon and AppStream component share one reverse-DNS id.
set(app_id com.quorvane.Travimetra)

install(FILES ${packaging}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

install(FILES ${packaging}/icons/travimetra.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${app_id}.svg)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${packaging}/icons/travimetra-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${app_id}.png)
endforeach()

configure_file(${packaging}/${app_id}.metainfo.xml ${packaging_out}/${app_id}.metainfo.xml @ONLY)
install(FILES ${packaging_out}/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The headless monitor as a systemd user service, not enabled for anyone.
install(FILES ${packaging}/travimetra-headless.service DESTINATION lib/systemd/user)

# Manual pages and the changelog go out compressed, without a name or a time
# stamp in the gzip header, so that the same sources give the same package.
set(TRAVIMETRA_DEBIAN_RELEASE 1)
set(compressed)
foreach(page travimetra.1 travimetra-ping.1)
    configure_file(${packaging}/${page} ${packaging_out}/${page} @ONLY)
    list(APPEND compressed ${page})
endforeach()
configure_file(${packaging}/debian/changelog ${packaging_out}/changelog.Debian @ONLY)
list(APPEND compressed changelog.Debian)
set(compressed_files)
foreach(file ${compressed})
    add_custom_command(OUTPUT ${packaging_out}/${file}.gz
                       COMMAND gzip -9 -n -f -k ${packaging_out}/${file}
                       DEPENDS ${packaging_out}/${file}
                       COMMENT "Compressing ${file}")
    list(APPEND compressed_files ${packaging_out}/${file}.gz)
endforeach()
add_custom_target(travimetra_packaging_files ALL DEPENDS ${compressed_files})
install(FILES ${packaging_out}/travimetra.1.gz ${packaging_out}/travimetra-ping.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian's place for a package's copyright and changelog (the name, not the
# project's, since that is what the package is called).
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/travimetra)
install(FILES ${packaging}/debian/copyright ${packaging_out}/changelog.Debian.gz
        DESTINATION ${doc_dir})
install(FILES ${packaging}/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME travimetra)

# cpack -G DEB (in the build folder) makes travimetra_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME travimetra)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT "Quorvane <travimetra@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "network traffic monitor for SNMP routers and modems")
# The extended description, wrapped for Debian's 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Travimetra polls SNMP agents for the octet counters of one interface each\n\
and draws the download and upload rates as scrolling graphs in a small\n\
window that stays on top and can live in the notification area. It also\n\
measures latency by ICMP echo and logs rates to files or syslog.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TRAVIMETRA_DEBIAN_RELEASE})
# Stripped binaries. CMake 3.25's own -dbgsym package lists absolute build
# paths in its md5sums and carries no copyright file, so the debug
# information stays in the build folder instead.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# setcap for the helper at configure time; Qt's X11 platform plugin, which the
# libraries only recommend; the metrics endpoint's HTTP library and libcrypto,
# opened when first needed and so not seen by shlibdeps; snmp tools to try an
# agent by hand.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin, qt6-qpa-plugins, libmicrohttpd12, libssl3")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "snmp, snmpd")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${packaging}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
