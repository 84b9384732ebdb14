# SPDX-License-Identifier: GPL-3.0-or-later
include_guard(GLOBAL)

# rz408_platform_sources(VAR Name...): in VAR, the source of each Name for the system built for,
# Name_windows.cpp or Name_linux.cpp.
function(rz408_platform_sources var)
  if(WIN32)
    set(system windows)
  else()
    set(system linux)
  endif()
  set(sources)
  foreach(name IN LISTS ARGN)
    list(APPEND sources ${name}_${system}.cpp)
  endforeach()
  set(${var} ${sources} PARENT_SCOPE)
endfunction()
