# Desktop integration on Linux and other freedesktop systems: the menu entry,
# the icon in the hicolor theme, the AppStream metainfo, the manual page and
# the Debian package built by `make package` (cpack -G DEB).
if(NOT UNIX OR APPLE)
  return()
endif()

include(GNUInstallDirs)

set(ZERVA_APP_ID org.example.zerva)
set(ZERVA_PACKAGING_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(ZERVA_ICON_DIR ${CMAKE_CURRENT_SOURCE_DIR}/resources/icons)
set(ZERVA_GENERATED_DIR ${CMAKE_CURRENT_BINARY_DIR}/packaging)
set(ZERVA_HICOLOR_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
file(MAKE_DIRECTORY ${ZERVA_GENERATED_DIR})

install(FILES ${ZERVA_PACKAGING_DIR}/${ZERVA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZERVA_PACKAGING_DIR}/${ZERVA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon is drawn once, in resources/icons; the scalable one goes in as it
# is, the 32 x 32 PNG is written from the XPM by a small Qt tool at build time
# (nothing new at run time, no image converter needed to build).
if(EXISTS ${ZERVA_ICON_DIR}/zerva.svg)
  install(FILES ${ZERVA_ICON_DIR}/zerva.svg DESTINATION ${ZERVA_HICOLOR_DIR}/scalable/apps)
endif()
if(EXISTS ${ZERVA_ICON_DIR}/zerva.xpm AND NOT CMAKE_CROSSCOMPILING)
  find_package(Qt6 REQUIRED COMPONENTS Gui)
  add_executable(zerva_icon_png ${ZERVA_PACKAGING_DIR}/icon_png.cpp)
  target_link_libraries(zerva_icon_png PRIVATE Qt6::Gui zerva_warnings)
  set(ZERVA_ICON_PNG ${ZERVA_GENERATED_DIR}/32x32/zerva.png)
  add_custom_command(OUTPUT ${ZERVA_ICON_PNG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZERVA_GENERATED_DIR}/32x32
    COMMAND zerva_icon_png ${ZERVA_ICON_DIR}/zerva.xpm ${ZERVA_ICON_PNG} 32
    DEPENDS zerva_icon_png ${ZERVA_ICON_DIR}/zerva.xpm
    COMMENT "Writing the 32 x 32 icon")
  add_custom_target(zerva_icons ALL DEPENDS ${ZERVA_ICON_PNG})
  install(FILES ${ZERVA_ICON_PNG} DESTINATION ${ZERVA_HICOLOR_DIR}/32x32/apps)
endif()

# Manual page and the Debian changelog, compressed as Debian wants them
# (gzip -n: no name or time stamp, so the package is reproducible).
set(ZERVA_MAN_GZ ${ZERVA_GENERATED_DIR}/zerva.1.gz)
set(ZERVA_CHANGELOG_GZ ${ZERVA_GENERATED_DIR}/changelog.gz)
add_custom_command(OUTPUT ${ZERVA_MAN_GZ}
  COMMAND gzip -9nc ${ZERVA_PACKAGING_DIR}/zerva.1 > ${ZERVA_MAN_GZ}
  DEPENDS ${ZERVA_PACKAGING_DIR}/zerva.1 VERBATIM)
add_custom_command(OUTPUT ${ZERVA_CHANGELOG_GZ}
  COMMAND gzip -9nc ${ZERVA_PACKAGING_DIR}/changelog > ${ZERVA_CHANGELOG_GZ}
  DEPENDS ${ZERVA_PACKAGING_DIR}/changelog VERBATIM)
add_custom_target(zerva_docs ALL DEPENDS ${ZERVA_MAN_GZ} ${ZERVA_CHANGELOG_GZ})
install(FILES ${ZERVA_MAN_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ZERVA_CHANGELOG_GZ} ${ZERVA_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package: zerva_<version>_amd64.deb in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zerva)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zerva developers")
set(CPACK_PACKAGE_CONTACT "The Zerva developers <zerva@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small process viewer that hides trusted programs")
set(CPACK_PACKAGE_DESCRIPTION
"Zerva lists the running processes with their caption, executable path and
a block of details (priority, command line, memory use, thread count), and
hides the programs that the user has declared trusted. The list refreshes
twice a second without flicker; a double-click shows all details of one
process. The user interface is in Turkish.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.mavikod.example/zerva/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Standard fonts the windows name (Times New Roman for the About text) map to
# these metric-compatible faces through fontconfig.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2 | fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# Resolve symbols at start and make the relocations read-only afterwards,
# as Debian's own packages do.
target_link_options(zerva PRIVATE LINKER:-z,relro,-z,now)
