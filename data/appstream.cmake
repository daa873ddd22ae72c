# SPDX-License-Identifier: GPL-3.0-or-later
# The software centres' description (AppStream metainfo). Its screenshots are
# the README's pictures (scripts/gallery) where they are published: a web
# address the metainfo's readers can fetch, set by whoever publishes them.
set(VOLTQUILL_SCREENSHOT_BASE "" CACHE STRING
    "Web address of the folder holding the README's pictures; empty: no screenshots")
# voltquill_metainfo(<out> <screenshot base>): the metainfo file at <out>.
function(voltquill_metainfo out base)
    set(VOLTQUILL_SCREENSHOTS "")
    if(base)
        foreach(shot "voltquill.png|Das Menü in der Menüleiste und das Einstellungsfenster"
                     "menue.png|Das geöffnete Menü"
                     "panel-dunkel.png|Das Symbol bei 80 % am Netzteil in einer dunklen Leiste")
            string(REPLACE "|" ";" shot "${shot}")
            list(GET shot 0 file)
            list(GET shot 1 caption)
            set(kind "")
            if(file STREQUAL voltquill.png)
                set(kind " type=\"default\"")
            endif()
            string(APPEND VOLTQUILL_SCREENSHOTS
                   "    <screenshot${kind}>\n"
                   "      <image>${base}/${file}</image>\n"
                   "      <caption>${caption}</caption>\n"
                   "    </screenshot>\n")
        endforeach()
        set(VOLTQUILL_SCREENSHOTS "  <screenshots>\n${VOLTQUILL_SCREENSHOTS}  </screenshots>\n")
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/data/org.voltquill.Voltquill.metainfo.xml.in
                   ${out} @ONLY)
endfunction()

voltquill_metainfo(${CMAKE_CURRENT_BINARY_DIR}/org.voltquill.Voltquill.metainfo.xml
                   "${VOLTQUILL_SCREENSHOT_BASE}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/org.voltquill.Voltquill.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
