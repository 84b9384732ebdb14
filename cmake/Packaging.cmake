# SPDX-License-Identifier: GPL-3.0-or-later
# Packages made by CPack from the install rules: `cmake --build build --target package` (or
# `cpack` in the build folder). Included at the end of the top-level CMakeLists.txt.
set(CPACK_PACKAGE_NAME rz408-textconverter)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "RZ408 text converter developers <rz408-textconverter@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "converts the German and French texts of Vandrok for the RZ408 userpatch")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  # ---- Windows: a ZIP of the programs ------------------------------------------------------
  # rz408-textconverter-VERSION-win64.zip holds a folder of that name with both programs and
  # README.txt, the players' short guide (English, German, French; Windows line ends, UTF-8
  # with a byte order mark so that every Notepad shows the accents).
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  configure_file(${PROJECT_SOURCE_DIR}/ui/packaging/README-windows.txt
                 ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION .)

  # What passing the zip on requires: the programs' license (LICENSE) and SOURCES.txt, which says
  # where the source of everything in the zip is; for the static Qt of tools/build-qt-windows.sh
  # linked into the desktop program, Qt's license texts and Debian's copyright file of Qt (Qt/);
  # and the notices of the MinGW-w64 runtime and threads library linked into both programs.
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
  set(RZ408_QT_SOURCES "")
  set(qt_notices ${RZ408_QT_WINDOWS}/notices)
  if(RZ408_BUILD_UI AND RZ408_QT_WINDOWS AND EXISTS ${qt_notices}/.complete)
    install(FILES ${qt_notices}/LICENSE.LGPL3 ${qt_notices}/LICENSE.GPL3 ${qt_notices}/copyright
            DESTINATION Qt)
    file(STRINGS ${qt_notices}/debian-version RZ408_QT_DEBIAN_VERSION LIMIT_COUNT 1)
    string(REGEX REPLACE "[+~-].*" "" RZ408_QT_VERSION "${RZ408_QT_DEBIAN_VERSION}")
    file(STRINGS ${qt_notices}/options qt_options)
    list(JOIN qt_options "\n        " RZ408_QT_OPTIONS)
    file(READ ${PROJECT_SOURCE_DIR}/ui/packaging/SOURCES-qt.txt.in qt_sources)
    string(CONFIGURE "${qt_sources}" qt_sources @ONLY)
    # configure_file's NEWLINE_STYLE ends the lines of the template, not those inside a value.
    string(REPLACE "\n" "\r\n" RZ408_QT_SOURCES "${qt_sources}")
  elseif(RZ408_BUILD_UI AND RZ408_QT_WINDOWS)
    # The programs build and test without them; the zip is not fit to pass on (check-zip.sh).
    message(WARNING "Qt for Windows in ${RZ408_QT_WINDOWS} lacks its notices (notices/), so the "
                    "zip will lack Qt's license: run tools/build-qt-windows.sh, which adds them")
  elseif(RZ408_BUILD_UI)
    message(STATUS "The zip carries no license of Qt: the desktop program is not built with the "
                   "Qt of tools/build-qt-windows.sh")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/ui/packaging/SOURCES-windows.txt.in
                 ${PROJECT_BINARY_DIR}/packaging/SOURCES.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/SOURCES.txt DESTINATION .)
  # Debian's MinGW-w64 (cmake/toolchain-mingw-w64.cmake): its copyright file.
  set(mingw_notices /usr/share/doc/mingw-w64-x86-64-dev/copyright)
  if(CMAKE_CROSSCOMPILING AND EXISTS ${mingw_notices})
    install(FILES ${mingw_notices} DESTINATION MinGW-w64)
  endif()
  # ---- end of Windows ----------------------------------------------------------------------
else()
  # ---- Linux: a Debian package, rz408-textconverter_<version>_<arch>.deb ------------------
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # The libraries the programs link against, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
  # Stripped as Debian strips its own packages' programs (dh_strip): the compiler's notes
  # (.comment, .note) go too.
  set(rz408_programs rz408-convert)
  if(RZ408_BUILD_UI)
    list(APPEND rz408_programs rz408-textconverter)
  endif()
  foreach(program IN LISTS rz408_programs)
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
                  COMMAND_ERROR_IS_FATAL ANY)
endif()")
  endforeach()
  # The extended description: lines of at most 80 characters, an empty line between paragraphs.
  set(CPACK_PACKAGE_DESCRIPTION
      "The RZ408 userpatch for Vandrok refuses every character code above 127,
while the German and French editions of the game keep their texts in .deu
and .fra files full of accented letters. This package copies every such file
of a folder to a plain-ASCII NAME.txt that the patch accepts: umlauts become
two letters, other accented letters lose their accent, and any other code
above 127 becomes a blank, listed in a log file in the same folder.

It holds the desktop program rz408-textconverter, with its menu entry, and
the batch command rz408-convert for scripted installs, which can convert a
whole game folder with the folders below it.")
  # ---- end of Linux ------------------------------------------------------------------------
endif()

include(CPack)
