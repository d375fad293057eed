# Linux: what `cmake --install` puts where, and the Debian package, which
# differs only in Debian's places for games and in carrying Debian's own
# copyright file and changelog instead of LICENSE.

set(QORB_DEB_DATADIR /usr/${QORB_INSTALL_DATADIR})

# qorb-sim goes with the games: it finds their installed data as they do.
install(TARGETS game565 game555 qorb-sim RUNTIME DESTINATION ${QORB_INSTALL_GAMEDIR} COMPONENT programs)
install(TARGETS game565 game555 qorb-sim RUNTIME DESTINATION ${QORB_DEB_GAMEDIR} COMPONENT debian EXCLUDE_FROM_ALL)
# Named as Debian names the package, not as CMake names the project.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/qorb)
install(FILES ${QORB_LICENSE} DESTINATION ${doc_dir} COMPONENT license)

# The menu entry, its icon in the theme every desktop reads, and the
# description software centres show.
configure_file(qorb.desktop.in ${CMAKE_CURRENT_BINARY_DIR}/${QORB_APP_ID}.desktop @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${QORB_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${QORB_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 64 128 256)
  install(FILES ${QORB_ICON_DIR}/qorb-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${QORB_APP_ID}.png)
endforeach()

# The package's changelog and the AppStream releases say what CHANGELOG.md
# says; the version being built must be there, of the same date.
include(${PROJECT_SOURCE_DIR}/tools/changelog.cmake)
set(changelog_md ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog_md})
changelog_read(${changelog_md})
changelog_require(${PROJECT_VERSION} ${QORB_RELEASE_DATE})
changelog_debian(QORB_DEBIAN_CHANGELOG qorb "${QORB_CONTACT}")
changelog_appstream(QORB_APPSTREAM_RELEASES)

# Debian's machine-readable copyright, its licence text taken from LICENSE:
# the copyright line, then the paragraphs, each line indented, "." between.
file(READ ${QORB_LICENSE} license)
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n+(.+[^\n])\n*$")
  message(FATAL_ERROR "${QORB_LICENSE} has no copyright line followed by the licence")
endif()
set(QORB_COPYRIGHT ${CMAKE_MATCH_1})
string(REGEX REPLACE "\n\n" "\n.\n" text "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " text "${text}")
set(QORB_LICENSE_TEXT " ${text}")
set(debian_dir ${CMAKE_CURRENT_BINARY_DIR}/debian)
configure_file(debian/copyright.in ${debian_dir}/copyright @ONLY)
# Copied only when it changed, so that a new configure compresses it again only then.
file(WRITE ${debian_dir}/changelog.new "${QORB_DEBIAN_CHANGELOG}")
configure_file(${debian_dir}/changelog.new ${debian_dir}/changelog COPYONLY)
configure_file(qorb.metainfo.xml.in ${CMAKE_CURRENT_BINARY_DIR}/${QORB_APP_ID}.metainfo.xml @ONLY)

# One manual page for both games; game555's is a link to it. qorb-sim's is
# in section 6 too, beside the game it plays.
set(man_dir ${CMAKE_CURRENT_BINARY_DIR}/man)
configure_file(${PROJECT_SOURCE_DIR}/docs/qorb.6.in ${man_dir}/game565.6 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/docs/qorb-sim.6.in ${man_dir}/qorb-sim.6 @ONLY)
file(CREATE_LINK game565.6.gz ${man_dir}/game555.6.gz SYMBOLIC)

# Compressed as Debian wants them: the most, and with no time stamp, so that
# a rebuild gives the same bytes.
set(compressed ${man_dir}/game565.6.gz ${man_dir}/qorb-sim.6.gz ${debian_dir}/changelog.gz)
add_custom_command(OUTPUT ${compressed}
  COMMAND gzip -9nkf ${man_dir}/game565.6 ${man_dir}/qorb-sim.6 ${debian_dir}/changelog
  DEPENDS ${man_dir}/game565.6 ${man_dir}/qorb-sim.6 ${debian_dir}/changelog
  COMMENT "Compressing the manual pages and the changelog"
  VERBATIM)
add_custom_target(qorb_docs ALL DEPENDS ${compressed})

install(FILES ${man_dir}/game565.6.gz ${man_dir}/game555.6.gz ${man_dir}/qorb-sim.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${debian_dir}/copyright ${debian_dir}/changelog.gz DESTINATION ${doc_dir}
        COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# One package of everything but what only a plain installation has.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Below the summary line; CPack indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Qorb is a full-screen brick-breaking arcade game. You steer a paddle with
the mouse along the bottom of a walled playfield, keep a ball in play and
break the bricks of twenty fixed rounds. Broken bricks may drop capsules
that give points and power-ups: lasers, a wider paddle, an extra life and
more.]=])
