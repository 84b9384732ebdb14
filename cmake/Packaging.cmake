# Installers and archives, built by CPack:  cmake --build BUILD --target package
# One file for every system: each system's branch sets its generator and what goes with it.

set(CPACK_PACKAGE_NAME rz408-textconverter)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Copies the .deu and .fra texts of a game folder to plain-ASCII .txt files for the RZ408 userpatch")
# The programs as players get them: without symbols (a fraction of the size).
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # ---- Windows: one zip for players ------------------------------------------------------
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
elseif(UNIX AND NOT APPLE)
  # ---- Linux: the Debian package ---------------------------------------------------------
endif()

include(CPack)
