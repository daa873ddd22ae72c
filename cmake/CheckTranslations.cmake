# SPDX-License-Identifier: GPL-3.0-or-later
# Runs lupdate over the agent's sources into a copy of the string table and
# fails when it finds no text, when a text passed to L() or translate() has no
# entry in the table, or when an entry would go obsolete (its text no longer
# passed to either).
#
# cmake -DLUPDATE=<lupdate> -DSOURCE_ROOT=<repository> -DTS=<table> -DWORK=<folder>
#       -P CheckTranslations.cmake
cmake_minimum_required(VERSION 3.25)

set(OUT ${WORK}/sources)
include(${CMAKE_CURRENT_LIST_DIR}/LupdateSources.cmake)
get_filename_component(name ${TS} NAME)
file(COPY_FILE ${TS} ${WORK}/${name})
execute_process(
    COMMAND ${LUPDATE} -locations none -extensions cpp,h ${OUT} -ts ${WORK}/${name}
    OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE failed)
message(STATUS "${out}")
if(failed)
    message(FATAL_ERROR "lupdate failed")
endif()
if(NOT out MATCHES "Found ([0-9]+) source text")
    message(FATAL_ERROR "lupdate did not say how many texts it found")
endif()
if(CMAKE_MATCH_1 EQUAL 0)
    message(FATAL_ERROR "lupdate found no text: L() is not visible to it")
endif()
file(READ ${WORK}/${name} table)
if(NOT out MATCHES "\\(0 new and")
    # The texts lupdate added are those the table lacks.
    # A ";" would split a CMake list: compared and listed with a stand-in.
    file(READ ${TS} before)
    string(REPLACE ";" "__SEMICOLON__" before "${before}")
    string(REPLACE ";" "__SEMICOLON__" now "${table}")
    string(REGEX MATCHALL "<source>[^<]*</source>" now "${now}")
    set(added "")
    foreach(source ${now})
        string(FIND "${before}" "${source}" at)
        if(at EQUAL -1)
            string(REGEX REPLACE "</?source>" "" source "${source}")
            list(APPEND added "  ${source}")
        endif()
    endforeach()
    list(JOIN added "\n" added)
    string(REPLACE "__SEMICOLON__" ";" added "${added}")
    message(FATAL_ERROR "texts passed to L() that ${name} lacks:\n${added}")
endif()
string(REGEX MATCHALL "<source>[^<]*</source>[ \t\r\n]*<translation type=\"(obsolete|vanished)\""
       lost "${table}")
if(lost)
    list(TRANSFORM lost REPLACE "<source>([^<]*)</source>.*" "  \\1")
    list(JOIN lost "\n" lost)
    message(FATAL_ERROR "entries of ${name} no code passes to L() any more:\n${lost}")
endif()
