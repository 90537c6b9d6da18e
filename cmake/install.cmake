# What `cmake --install` puts where, and the Debian package CPack builds from the same rules
# (the `package` target; scripts/package). The files come from packaging/.
include(GNUInstallDirs)

set(VELOMIRA_PACKAGE_MAINTAINER "Velomira developers <velomira@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")

set(velomira_assets ${CMAKE_SOURCE_DIR}/packaging)
set(velomira_generated ${CMAKE_BINARY_DIR}/packaging)
set(velomira_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/velomira)

# The changelog's newest entry names the version being packaged (scripts/package refuses a
# stale one; a build of the programs only is not held up by it).
file(STRINGS ${velomira_assets}/changelog velomira_changelog_top LIMIT_COUNT 1)
if(NOT velomira_changelog_top MATCHES "^velomira \\(${PROJECT_VERSION}\\) ")
  message(WARNING "packaging/changelog: add an entry for version ${PROJECT_VERSION} at its top")
endif()

# Debian wants manual pages and the changelog compressed, without a time stamp (gzip -n).
find_program(VELOMIRA_GZIP gzip REQUIRED)
set(velomira_gzipped)
function(velomira_gzip source name)
  set(output ${velomira_generated}/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${VELOMIRA_GZIP} -9 -n -c ${source} > ${output}
    DEPENDS ${source} VERBATIM)
  set(velomira_gzipped ${velomira_gzipped} ${output} PARENT_SCOPE)
endfunction()

set(velomira_programs velomira velomira-render)
if(TARGET velomira-play)
  list(APPEND velomira_programs velomira-play)
endif()
foreach(program ${velomira_programs})
  configure_file(${velomira_assets}/man/${program}.1 ${velomira_generated}/man/${program}.1 @ONLY)
  velomira_gzip(${velomira_generated}/man/${program}.1 man/${program}.1)
endforeach()
# The pattern files' format, a page of section 5.
configure_file(${velomira_assets}/man/velomira-pattern.5 ${velomira_generated}/man/velomira-pattern.5 @ONLY)
velomira_gzip(${velomira_generated}/man/velomira-pattern.5 man/velomira-pattern.5)
velomira_gzip(${velomira_assets}/changelog changelog)
add_custom_target(velomira_package_files ALL DEPENDS ${velomira_gzipped})

# Everything the install needs, for builds that skip the rest (scripts/package).
add_custom_target(velomira_installables)
add_dependencies(velomira_installables ${velomira_programs} velomira_package_files)

install(TARGETS ${velomira_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${velomira_assets}/velomira.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${velomira_assets}/velomira.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
# velomira.svg drawn at 48 px (rsvg-convert -w 48 -h 48 velomira.svg -o velomira-48.png).
install(FILES ${velomira_assets}/velomira-48.png RENAME velomira.png
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/48x48/apps)
foreach(program ${velomira_programs})
  install(FILES ${velomira_generated}/man/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${velomira_generated}/man/velomira-pattern.5.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)
# The pattern library, found there by name (src/pattern/pattern_library.h).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/patterns/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/velomira/patterns
        FILES_MATCHING PATTERN "*.pattern")
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${velomira_assets}/copyright ${velomira_generated}/changelog.gz
        DESTINATION ${velomira_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velomira)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VELOMIRA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "toothed-wheel rotation sensor emulator on the sound card")
set(CPACK_PACKAGE_DESCRIPTION
    "Velomira turns a PC's sound card into the rotation sensor of an engine's
toothed wheel, so that an engine control unit (ECU) on a test bench sees an
RPM signal: a square wave of one wheel revolution played in a loop, its speed
set with a slider, presets, a typed value or a batch table of ramps.

The package holds the program with its window (velomira), a headless player
for test rigs and scripts (velomira-play), and a tool that writes the signal
to WAV files (velomira-render).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries come from the binaries (dpkg-shlibdeps). Qt loads its window-system plugin at run
# time, so no binary names it and the package must.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
