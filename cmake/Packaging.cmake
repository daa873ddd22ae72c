# A Debian package with the agent, the charge service and its deployment files.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voltquill)
set(CPACK_PACKAGE_VENDOR "Voltquill")
set(CPACK_PACKAGE_CONTACT "Voltquill <voltquill@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Keeps the laptop battery's charge limit")
set(CPACK_PACKAGE_DESCRIPTION
    "A tray agent that keeps the battery's charge limit, with a weekday schedule, notifications\n\
 and a monthly battery-health history, and a small privileged charge service that owns the\n\
 battery's charge threshold in sysfs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "dbus, polkitd | policykit-1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnome-shell-extension-appindicator | plasma-workspace | xfce4-panel")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/data/debian/postinst
    ${PROJECT_SOURCE_DIR}/data/debian/prerm
    ${PROJECT_SOURCE_DIR}/data/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
