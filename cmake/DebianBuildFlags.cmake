# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's build flags, with which Debian builds its own packages (dpkg-buildflags, with every
# hardening feature: DEB_BUILD_MAINT_OPTIONS=hardening=+all): _FORTIFY_SOURCE=2, the strong
# stack protector, format checks, read-only relocations and immediate binding (-z relro, -z now).
# The build type keeps choosing the optimisation and the debug information (Debian's -O2 and -g
# are left out), and _FORTIFY_SOURCE, which needs optimisation, stays out of Debug builds.
#
# Included by the top-level CMakeLists.txt for native Linux builds. RZ408_DEBIAN_BUILD_FLAGS=OFF
# builds without them; a machine without dpkg-buildflags builds without them and says so.
option(RZ408_DEBIAN_BUILD_FLAGS "Build with Debian's hardening flags (dpkg-buildflags)" ON)
if(NOT RZ408_DEBIAN_BUILD_FLAGS)
  return()
endif()
find_program(RZ408_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT RZ408_DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: building without Debian's hardening flags")
  return()
endif()

foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  # Run in the source folder, which dpkg-buildflags takes for the package's (its
  # -ffile-prefix-map makes the source paths in the programs relative to it).
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${RZ408_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags
    OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O.*)$")
  set(rz408_debian_${kind} ${flags})
endforeach()

add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${rz408_debian_CPPFLAGS}>" ${rz408_debian_CXXFLAGS})
add_link_options(${rz408_debian_LDFLAGS})
list(JOIN rz408_debian_CPPFLAGS " " cppflags)
list(JOIN rz408_debian_CXXFLAGS " " cxxflags)
list(JOIN rz408_debian_LDFLAGS " " ldflags)
message(STATUS "Debian's build flags: ${cppflags} ${cxxflags} ${ldflags}")
