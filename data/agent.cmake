# SPDX-License-Identifier: GPL-3.0-or-later
# The agent's desktop entry and icon.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.voltquill.Voltquill.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/voltquill.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
