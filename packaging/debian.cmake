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
configure_file(qorb.metainfo.xml.in ${CMAKE_CURRENT_BINARY_DIR}/${QORB_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${QORB_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${QORB_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 64 128 256)
  install(FILES ${QORB_ICON_DIR}/qorb-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${QORB_APP_ID}.png)
endforeach()

# RFC 2822's date of the release for the changelog: the weekday by
# Sakamoto's rule.
string(REGEX MATCH "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$" date_ok "${QORB_RELEASE_DATE}")
if(NOT date_ok)
  message(FATAL_ERROR "QORB_RELEASE_DATE '${QORB_RELEASE_DATE}' is not YYYY-MM-DD")
endif()
math(EXPR year "${CMAKE_MATCH_1}")
math(EXPR month "1${CMAKE_MATCH_2} - 100")
math(EXPR day "1${CMAKE_MATCH_3} - 100")
set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
math(EXPR month_index "${month} - 1")
list(GET month_offsets ${month_index} offset)
set(y ${year})
if(month LESS 3)
  math(EXPR y "${year} - 1")
endif()
math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
set(weekdays Sun Mon Tue Wed Thu Fri Sat)
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET weekdays ${weekday} weekday_name)
list(GET months ${month_index} month_name)
set(QORB_RELEASE_DATE_RFC2822 "${weekday_name}, ${CMAKE_MATCH_3} ${month_name} ${year} 00:00:00 +0000")

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
configure_file(debian/changelog.in ${debian_dir}/changelog @ONLY)

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
