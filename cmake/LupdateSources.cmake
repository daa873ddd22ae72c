# SPDX-License-Identifier: GPL-3.0-or-later
# Copies the agent's sources for lupdate, with each text passed to L() spelled
# as lupdate knows it. L() looks its text up in the context "Voltquill", which
# no alias of tr() can express, so
#     L("Akku %d %%", percent)
# becomes
#     QT_TRANSLATE_NOOP("Voltquill", "Akku %d %%"), L(, percent)
# in the copy; adjacent literals, escapes and line breaks stay as they are.
# Texts that reach L() through a variable are marked where they are written,
# with QT_TRANSLATE_NOOP("Voltquill", …).
#
# cmake -DSOURCE_ROOT=<repository> -DOUT=<folder> -P LupdateSources.cmake
cmake_minimum_required(VERSION 3.25)

set(literal "\"([^\"\\\\\n]|\\\\.)*\"")
set(space "[ \t\r\n]*")
file(REMOVE_RECURSE ${OUT})
file(GLOB_RECURSE sources
     ${SOURCE_ROOT}/src/*.cpp ${SOURCE_ROOT}/src/*.h
     ${SOURCE_ROOT}/charged/*.cpp ${SOURCE_ROOT}/charged/*.h
     ${SOURCE_ROOT}/sim/*.cpp ${SOURCE_ROOT}/sim/*.h)
# L itself is no caller.
list(FILTER sources EXCLUDE REGEX "/src/app/L\\.(h|cpp)$")
foreach(source ${sources})
    file(READ ${source} text)
    string(REGEX REPLACE "([^A-Za-z0-9_:.>])L\\((${space}(${literal}${space})+)([,)])"
           "\\1QT_TRANSLATE_NOOP(\"Voltquill\",\\2), L(\\5" text "${text}")
    file(RELATIVE_PATH name ${SOURCE_ROOT} ${source})
    file(WRITE ${OUT}/${name} "${text}")
endforeach()
