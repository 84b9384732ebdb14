# SPDX-License-Identifier: GPL-3.0-or-later
# Qt for the Windows cross build: the static Qt that tools/build-qt-windows.sh builds once per
# machine from Debian's source (in ~/.cache/rz408/), with Debian's Linux Qt of the same version
# as the host tools (moc, rcc, uic). Included by the top-level CMakeLists.txt when the desktop
# program is cross-built for Windows; a native build on Windows finds its Qt as usual.
#
# RZ408_QT_WINDOWS: the Qt to use (its prefix). Unset, it is the folder the script builds for the
# options this tree holds.
if(NOT RZ408_QT_WINDOWS)
  execute_process(
    COMMAND ${PROJECT_SOURCE_DIR}/tools/build-qt-windows.sh --prefix
    OUTPUT_VARIABLE rz408_qt_prefix
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE rz408_qt_status)
  if(NOT rz408_qt_status EQUAL 0)
    message(FATAL_ERROR "tools/build-qt-windows.sh --prefix failed: is qt6-base-dev installed?")
  endif()
  set(RZ408_QT_WINDOWS ${rz408_qt_prefix})
endif()
if(NOT EXISTS ${RZ408_QT_WINDOWS}/lib/cmake/Qt6/Qt6Config.cmake)
  message(FATAL_ERROR
    "Qt for Windows is not in ${RZ408_QT_WINDOWS}. Build it once with tools/build-qt-windows.sh "
    "(about half an hour on two cores; ./tools/test does it), give another one with "
    "-DRZ408_QT_WINDOWS=PREFIX, or build without the desktop program: -DRZ408_BUILD_UI=OFF.")
endif()
message(STATUS "Qt for Windows: ${RZ408_QT_WINDOWS}")

# As Qt's own qt.toolchain.cmake does: the Qt prefix is a root of the cross build's searches
# (the toolchain file finds packages inside the roots only), its lib/cmake a search prefix.
list(PREPEND CMAKE_FIND_ROOT_PATH ${RZ408_QT_WINDOWS})
list(PREPEND CMAKE_PREFIX_PATH ${RZ408_QT_WINDOWS}/lib/cmake)
set(QT_HOST_PATH /usr CACHE PATH "Qt for the build machine, whose tools the cross build runs")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake
    CACHE PATH "CMake packages of the Qt for the build machine")
