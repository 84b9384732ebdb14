# SPDX-License-Identifier: GPL-3.0-or-later
# rz408_version_resource(TARGET DESCRIPTION): gives the Windows program TARGET a version resource
# (cmake/version.rc.in): its description, the project's version, and its copyright and license.
include_guard(GLOBAL)

function(rz408_version_resource target description)
  set(rz408_name ${target})
  set(rz408_description ${description})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
endfunction()
