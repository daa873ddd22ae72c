# SPDX-License-Identifier: GPL-3.0-or-later
# Runs lupdate over the agent's sources into a copy of the string table and
# fails when it finds no text, a text the table lacks (the voltquill-lupdate
# target was not run after adding it) or an entry of the table that would go
# obsolete (its text no longer passed to L() or translate()).
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
file(READ ${TS} before)
file(READ ${WORK}/${name} table)
string(REGEX MATCHALL "<source>[^<]*</source>" old "${before}")
string(REGEX MATCHALL "<source>[^<]*</source>" now "${table}")
list(REMOVE_ITEM now ${old})
if(now)
    list(TRANSFORM now REPLACE "<source>([^<]*)</source>" "  \\1")
    list(JOIN now "\n" now)
    message(FATAL_ERROR "texts in the code that ${name} lacks (run the voltquill-lupdate target):\n${now}")
endif()
string(REGEX MATCHALL "<source>[^<]*</source>[ \t\r\n]*<translation type=\"(obsolete|vanished)\""
       lost "${table}")
if(lost)
    list(TRANSFORM lost REPLACE "<source>([^<]*)</source>.*" "  \\1")
    list(JOIN lost "\n" lost)
    message(FATAL_ERROR "entries of ${name} no code passes to L() any more:\n${lost}")
endif()
