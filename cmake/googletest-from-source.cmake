# SPDX-License-Identifier: GPL-3.0-or-later
# GoogleTest built from source with the project's own toolchain: for cross builds, where no
# GoogleTest package exists for the target. Debian's "googletest" package holds the sources.
# Gives the same target names as find_package(GTest): GTest::gtest, GTest::gtest_main,
# GTest::gmock, GTest::gmock_main.
set(RZ408_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
if(NOT EXISTS ${RZ408_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${RZ408_GOOGLETEST_SOURCE}: "
                      "install the googletest package or set RZ408_GOOGLETEST_SOURCE")
endif()

set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${RZ408_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

foreach(lib gtest gtest_main gmock gmock_main)
  if(TARGET ${lib} AND NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()
