# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix and checks that a Linux desktop finds everything:
#   cmake -DBUILD_DIR=... -DPREFIX=... -P InstallCheck.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(desktop "${PREFIX}/share/applications/rz408-textconverter.desktop")
set(icon "${PREFIX}/share/icons/hicolor/32x32/apps/rz408-textconverter.png")
# With the manual pages, the completion, and the files a Debian package must hold.
foreach(path "${PREFIX}/bin/rz408-textconverter" "${PREFIX}/bin/rz408-convert" "${desktop}" "${icon}"
             "${PREFIX}/share/man/man1/rz408-convert.1.gz"
             "${PREFIX}/share/man/man1/rz408-textconverter.1.gz"
             "${PREFIX}/share/bash-completion/completions/rz408-convert"
             "${PREFIX}/share/doc/rz408-textconverter/copyright"
             "${PREFIX}/share/doc/rz408-textconverter/changelog.gz")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# The menu entry starts the installed program and shows the installed icon.
file(STRINGS "${desktop}" exec_line REGEX "^Exec=")
file(STRINGS "${desktop}" icon_line REGEX "^Icon=")
if(NOT exec_line STREQUAL "Exec=rz408-textconverter" OR NOT icon_line STREQUAL "Icon=rz408-textconverter")
  message(FATAL_ERROR "desktop entry does not name the program and its icon: ${exec_line} ${icon_line}")
endif()

# The icon is a 32 x 32 PNG: signature, then the IHDR width and height.
file(READ "${icon}" header LIMIT 24 HEX)
if(NOT header STREQUAL "89504e470d0a1a0a0000000d494844520000002000000020")
  message(FATAL_ERROR "the icon is no 32 x 32 PNG: ${header}")
endif()

# Where the desktop tools are installed, the entry must pass their check as well.
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND "${VALIDATE}" "${desktop}" RESULT_VARIABLE valid
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT valid EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${out}")
  endif()
endif()
