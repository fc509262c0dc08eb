# Install rules (cmake --install) and the Debian package (cpack -G DEB).
#
#   bin/                               RuvuZevodare, ruvuzevodare-cli, ruvuzevodare-server
#   share/ruvuzevodare/                the shipped files (language files, sound, drawing history)
#   share/applications/                the desktop entry
#   share/icons/hicolor/{scalable,256x256}/apps/   the icon
#   share/metainfo/                    the AppStream metadata
#   share/man/man1/                    the manual pages of the window and the two command-line programs
#
# The program finds its shipped files in share/ruvuzevodare beside bin/
# (settings/AppPaths), so the data folder must stay at that place.
include(GNUInstallDirs)
# cpack and the install target install what is built; they do not build the
# whole project (tests, benchmarks) first. scripts/package builds the programs.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(RZ_APP_ID "example.quendral.RuvuZevodare")
set(RZ_RELEASE_DATE "2026-12-11")
set(RZ_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATADIR STREQUAL "share")
  message(WARNING "The program looks for its files in share/ruvuzevodare beside bin/; "
                  "CMAKE_INSTALL_BINDIR=${CMAKE_INSTALL_BINDIR} CMAKE_INSTALL_DATADIR=${CMAKE_INSTALL_DATADIR} break that.")
endif()

configure_file(${RZ_PACKAGING_DIR}/${RZ_APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/packaging/${RZ_APP_ID}.metainfo.xml @ONLY)

set(RZ_INSTALL_TARGETS ruvuzevodare-cli ruvuzevodare-server)
if(RZ_BUILD_GUI)
  list(APPEND RZ_INSTALL_TARGETS RuvuZevodare)
endif()
install(TARGETS ${RZ_INSTALL_TARGETS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The same files that are copied beside the executable in the build folder.
foreach(f ${RZ_DATA_FILES})
  get_filename_component(dir ${f} DIRECTORY)
  install(FILES ${CMAKE_SOURCE_DIR}/data/${f} DESTINATION ${CMAKE_INSTALL_DATADIR}/ruvuzevodare/${dir})
endforeach()

install(FILES ${RZ_PACKAGING_DIR}/${RZ_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${RZ_PACKAGING_DIR}/${RZ_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${RZ_PACKAGING_DIR}/${RZ_APP_ID}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${RZ_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# ruvuzevodare-cli.1 is made by the build from the command table (target rzmanpage).
install(FILES ${CMAKE_BINARY_DIR}/man/ruvuzevodare-cli.1 ${RZ_PACKAGING_DIR}/man/ruvuzevodare-server.1
              ${RZ_PACKAGING_DIR}/man/RuvuZevodare.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# ---- Debian package: build/ruvuzevodare_VERSION_amd64.deb (scripts/package)
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "ruvuzevodare")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quendral")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Plan and check Mega Millions tips from the drawing history")
set(CPACK_PACKAGE_DESCRIPTION "RuvuZevodare keeps a local file of past Mega Millions drawings, shows statistics
of the history, computes tip rows under statistical and slip rules, checks tips
against any stored drawing and hands them to online lottery portals. With the
command line ruvuzevodare-cli and the data server ruvuzevodare-server.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quendral <support@quendral.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quendral.example/")
# The dependencies come from the binaries (dpkg-shlibdeps), not from a list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform and multimedia plug-ins at run time: dpkg-shlibdeps
# cannot see them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins")
include(CPack)
