# Installation and the Debian package (scripts/package builds it with cpack).
#
# The version comes from common/version.h, the one the About box and quelmar-cli --version
# print, so the package cannot claim another.

include(GNUInstallDirs)

file(STRINGS ${PROJECT_SOURCE_DIR}/common/version.h version_line
     REGEX "program_version = \"[^\"]+\"")
if(NOT version_line MATCHES "program_version = \"([^\"]+)\"")
  message(FATAL_ERROR "no program_version in common/version.h")
endif()
set(QUELMAR_VERSION ${CMAKE_MATCH_1})
# The day this version was released, for the AppStream release entry and the changelog.
set(QUELMAR_RELEASE_DATE 2026-12-09)
set(QUELMAR_CHANGELOG_DATE "Wed, 09 Dec 2026 00:00:00 +0000")
set(QUELMAR_MAINTAINER "Quelmar developers <quelmar@stillmarsh.example>")
# The desktop entry's, the icon's and the metainfo's name: the maker's web address reversed.
set(QUELMAR_APP_ID example.stillmarsh.Quelmar)

# Directories the package creates get the usual modes whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(pkg ${PROJECT_BINARY_DIR}/packaging)
configure_file(packaging/${QUELMAR_APP_ID}.metainfo.xml.in ${pkg}/${QUELMAR_APP_ID}.metainfo.xml @ONLY)
configure_file(packaging/changelog.in ${pkg}/changelog @ONLY)
configure_file(packaging/quelmar.1.in ${pkg}/quelmar.1 @ONLY)
configure_file(packaging/quelmar-cli.1.in ${pkg}/quelmar-cli.1 @ONLY)

# Debian wants manual pages and changelogs compressed, without a time stamp in the gzip header.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(compressed)
foreach(f quelmar.1 quelmar-cli.1 changelog)
  add_custom_command(OUTPUT ${pkg}/${f}.gz
                     COMMAND ${GZIP_PROGRAM} -9n -c ${pkg}/${f} > ${pkg}/${f}.gz
                     DEPENDS ${pkg}/${f} VERBATIM)
  list(APPEND compressed ${pkg}/${f}.gz)
endforeach()
add_custom_target(quelmar_packaging_files ALL DEPENDS ${compressed})

set(QUELMAR_UDEV_RULES_DIR /lib/udev/rules.d CACHE PATH "Where the package puts the sensor's udev rule")

if(TARGET quelmar)
  install(TARGETS quelmar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/${QUELMAR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${pkg}/${QUELMAR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES resources/quelmar.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${QUELMAR_APP_ID}.svg)
  install(FILES ${pkg}/quelmar.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(TARGETS quelmar-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${pkg}/quelmar-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES udev/70-quelmar-sensor.rules DESTINATION ${QUELMAR_UDEV_RULES_DIR})
install(FILES packaging/copyright ${pkg}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelmar)
set(CPACK_PACKAGE_VERSION ${QUELMAR_VERSION})
set(CPACK_PACKAGE_VENDOR "Stillmarsh Ocean Instruments")
set(CPACK_PACKAGE_CONTACT ${QUELMAR_MAINTAINER})
set(CPACK_PACKAGE_HOMEPAGE_URL https://stillmarsh.example)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack indents the lines after the first itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "companion program of the lab-on-chip ocean sensor
Finds the lab-on-chip ocean sensors attached by USB, configures them, edits
and dry-runs their state machines, shows their readings live and upgrades
their firmware. Back from a deployment it turns the raw files a sensor wrote
into nutrient, pH, alkalinity and DIC results, in the window or with
quelmar-cli from scripts. A built-in virtual sensor stands in for the
hardware.")
# The libraries come from dpkg-shlibdeps; what it cannot see is loaded at run time: the SVG
# icon engine that draws the program's icon.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
