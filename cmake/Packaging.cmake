# What "cmake --install" puts under its prefix, and the packages CPack makes
# of it: the engine with its endgame file beside it (where the engine looks
# for it), the README, the GUI notes and the licence.
#
#   Linux:   bin/tavrolin, bin/Endgame.bin, share/doc/tavrolin/...
#            (tavrolin-VERSION-linux-x86_64.tar.gz and a .deb)
#   Windows: tavrolin.exe, Endgame.bin and the documents side by side
#            (tavrolin-VERSION-windows-x86_64.zip)
include(GNUInstallDirs)
if(WIN32)
  set(TAVROLIN_PROGRAM_DIR .)
  set(TAVROLIN_DOC_DIR .)
  set(PACKAGE_SYSTEM windows)
else()
  set(TAVROLIN_PROGRAM_DIR ${CMAKE_INSTALL_BINDIR})
  set(TAVROLIN_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tavrolin)
  set(PACKAGE_SYSTEM linux)
endif()

install(TARGETS tavrolin RUNTIME DESTINATION ${TAVROLIN_PROGRAM_DIR})
install(FILES README.md LICENSE docs/gui.md DESTINATION ${TAVROLIN_DOC_DIR})

set(CPACK_PACKAGE_NAME tavrolin)
set(CPACK_PACKAGE_VENDOR "The Tavrolin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Chess engine for UCI graphical interfaces and match runners")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME tavrolin-${PROJECT_VERSION}-${PACKAGE_SYSTEM}-x86_64)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR "TGZ;DEB")
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tavrolin developers <tavrolin@localhost>")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Chess engine speaking the Universal Chess Interface\n Load /usr/bin/tavrolin into a chess GUI as a UCI engine.")
# A statically linked engine needs nothing; otherwise the C and C++ runtimes.
if(NOT TAVROLIN_STATIC)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6")
endif()
include(CPack)
