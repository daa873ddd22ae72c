# SPDX-License-Identifier: GPL-3.0-or-later
# voltquill_include_root(<target> BASE <dir> FOLDERS <folder>...)
# Gives <target>, and every target that links it, an include root that holds
# only the named folders of <dir>: "app/AppState.h" resolves where the target
# may use the app folder, and a folder it may not use is not found at all. So
# the layering the folders show is what the compiler enforces.
function(voltquill_include_root target)
    cmake_parse_arguments(R "" "BASE" "FOLDERS" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    file(MAKE_DIRECTORY ${root})
    foreach(folder ${R_FOLDERS})
        if(NOT EXISTS ${root}/${folder})
            file(CREATE_LINK ${R_BASE}/${folder} ${root}/${folder} SYMBOLIC)
        endif()
    endforeach()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL INTERFACE_LIBRARY)
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
