# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: the same install rules as `cmake --install`, plus what a
# Debian package carries (copyright, changelog, manual pages, maintainer scripts).
# The version is the project's (top-level CMakeLists.txt); nothing else sets one.

# German manual pages, in the default place: the programs speak only German, and
# `man voltquill` must find them whatever the reader's locale.
set(VOLTQUILL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/voltquill)
set(PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(PACKAGING_GZ)
foreach(page voltquill.1 voltquillctl.1 voltquill-charged.8 changelog)
    if(page STREQUAL changelog)
        set(source ${PROJECT_SOURCE_DIR}/data/debian/changelog.in)
    else()
        set(source ${PROJECT_SOURCE_DIR}/data/man/${page})
    endif()
    configure_file(${source} ${PACKAGING_OUT}/${page} @ONLY)
    # -n: no name or time stamp in the archive, so the same sources give the same package.
    add_custom_command(OUTPUT ${PACKAGING_OUT}/${page}.gz
                       COMMAND gzip -9nf -k ${PACKAGING_OUT}/${page}
                       DEPENDS ${PACKAGING_OUT}/${page} VERBATIM)
    list(APPEND PACKAGING_GZ ${PACKAGING_OUT}/${page}.gz)
endforeach()
add_custom_target(voltquill-docs ALL DEPENDS ${PACKAGING_GZ})
install(FILES ${PACKAGING_OUT}/voltquill.1.gz ${PACKAGING_OUT}/voltquillctl.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PACKAGING_OUT}/voltquill-charged.8.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man8)
install(FILES ${PACKAGING_OUT}/changelog.gz ${PROJECT_SOURCE_DIR}/data/debian/copyright
        DESTINATION ${VOLTQUILL_DOC_DIR})

# What the package holds, built without the tests; installing does not build
# the rest first.
add_custom_target(voltquill-programs)
add_dependencies(voltquill-programs voltquill voltquill-charged voltquillctl voltquill-sim voltquill-chart
                 voltquill-docs)
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voltquill)
set(CPACK_PACKAGE_VENDOR "Voltquill")
set(CPACK_PACKAGE_CONTACT "Voltquill-Entwickler <voltquill@users.noreply.invalid>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps the laptop battery's charge limit")
set(CPACK_PACKAGE_DESCRIPTION
    "A tray agent that keeps the battery's charge limit, with a weekday\n\
 schedule, notifications and a monthly battery-health history, and a small\n\
 privileged charge service that owns the battery's charge threshold in\n\
 sysfs. The user interface is German.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries: the tray's X11 platform plugin, Qt's German texts, the
# bus, polkit and the helpers the maintainer scripts call.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "dbus, polkitd | policykit-1, qt6-qpa-plugins, qt6-translations-l10n, init-system-helpers (>= 1.54~)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnome-shell-extension-appindicator | plasma-workspace | xfce4-panel")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/data/debian/postinst
    ${PROJECT_SOURCE_DIR}/data/debian/prerm
    ${PROJECT_SOURCE_DIR}/data/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
