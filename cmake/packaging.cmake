# `cpack -G DEB` in a build folder makes twk-decoder_<version>_amd64.deb from the install rules.
set(CPACK_PACKAGE_NAME twk-decoder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ostrel ground station group")
set(CPACK_PACKAGE_CONTACT "Ostrel ground station group <decoder@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tarnwick spacecraft telemetry decoder")
set(CPACK_PACKAGE_DESCRIPTION "\
Reads the text logs a receiving station writes, keeps the Tarnwick\n\
spacecraft's packets and converts each into 31 engineering channels.\n\
The window, twk-decoder, shows one packet at a time, charts one channel\n\
over all packets and writes every value to a CSV file. twk-csv does the\n\
same conversion headless, for batch work.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.example.org/twk")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the libraries the programs link (Qt 6, the C++ runtime). Fonts are not
# linked, so the window's fallback fonts are named here; CPack adds them to what it finds.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")

# The package's copyright file (machine-readable) and its changelog, compressed as Debian keeps it.
set(TWK_DOC_DIR share/doc/twk-decoder)
set(TWK_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${TWK_CHANGELOG_GZ}
  COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
    ${TWK_CHANGELOG_GZ}
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog VERBATIM)
add_custom_target(twk-changelog ALL DEPENDS ${TWK_CHANGELOG_GZ})
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${TWK_CHANGELOG_GZ}
  DESTINATION ${TWK_DOC_DIR})

# A stripped install (CPack strips) also drops the compiler's notes that strip leaves, as
# Debian's own packaging does. This runs after the programs are installed: the rules of the
# folders added above come first.
install(CODE "set(twk_strip \"${CMAKE_STRIP}\")")
install(CODE [[
  if(CMAKE_INSTALL_DO_STRIP)
    file(GLOB programs "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/twk-*")
    foreach(program IN LISTS programs)
      execute_process(COMMAND "${twk_strip}" --remove-section=.comment --remove-section=.note
        "${program}" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()
]])

include(CPack)
