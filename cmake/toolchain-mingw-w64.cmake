# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads), tests run under Wine.
#
#   cmake --preset windows            (or: cmake -S . -B build/windows
#                                          -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RZ408_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RZ408_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RZ408_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RZ408_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RZ408_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every .exe is one self-contained file: the C and C++ runtimes and winpthread linked in, so it
# imports nothing but Windows' own DLLs and runs without the MinGW runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest (and test discovery) start the .exe files through Wine (tests/windows/wine-run.sh), in a
# prefix of the build's own so that nothing of the user's ~/.wine is touched; it is created on
# first use.
# Debian's wine64 package puts the loader in /usr/lib/wine; other systems have wine64 on PATH.
find_program(RZ408_WINE64 NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine
             NO_CMAKE_FIND_ROOT_PATH)
if(RZ408_WINE64)
  set(RZ408_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix for the tests")
  get_filename_component(rz408_source "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${rz408_source}/tests/windows/wine-run.sh ${RZ408_WINEPREFIX})
endif()
