# Desktop integration and the Debian package.
#
# Included at the end of the top-level CMakeLists, once every program folder
# has been added: a program that is not built (not landed yet, or left out of
# this configure) gets no desktop entry, icon or manual page either.

include(GNUInstallDirs)

# Programs with a window get a menu entry; every program gets an icon and a
# manual page. The file names in packaging/ and docs/man/ are the program names.
set(LUMORA_WINDOW_PROGRAMS kelvane lmPutw VantaGatewayServer orvconv simvane lml sonix2 pixtil2)
set(LUMORA_PROGRAMS ${LUMORA_WINDOW_PROGRAMS} snapget frconv gridex pictosrc cantara2mml vconsole netclient)

# A program's target may be named as the program or in lower case (lmputw).
function(lumora_program_built var program)
  string(TOLOWER ${program} lower)
  if(TARGET ${program} OR TARGET ${lower})
    set(${var} TRUE PARENT_SCOPE)
  else()
    set(${var} FALSE PARENT_SCOPE)
  endif()
endfunction()

set(LUMORA_BUILT_PROGRAMS "")
foreach(program ${LUMORA_PROGRAMS})
  lumora_program_built(built ${program})
  if(built)
    list(APPEND LUMORA_BUILT_PROGRAMS ${program})
  endif()
endforeach()

# Debian wants manual pages compressed, without a time stamp in the gzip header.
find_program(LUMORA_GZIP gzip REQUIRED)
set(man_out ${CMAKE_BINARY_DIR}/man)
set(man_pages "")
foreach(program ${LUMORA_BUILT_PROGRAMS})
  set(page ${CMAKE_SOURCE_DIR}/docs/man/${program}.1)
  add_custom_command(OUTPUT ${man_out}/${program}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_out}
    COMMAND ${LUMORA_GZIP} -9 -n -c ${page} > ${man_out}/${program}.1.gz
    DEPENDS ${page} VERBATIM)
  list(APPEND man_pages ${man_out}/${program}.1.gz)
  install(FILES ${man_out}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/lumora-${program}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  if(program IN_LIST LUMORA_WINDOW_PROGRAMS)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/applications/${program}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  endif()
endforeach()
add_custom_target(lumora_man_pages ALL DEPENDS ${man_pages})

# What Debian wants beside every package: the copyright notice and the
# changelog of this (native) package, dated by SOURCE_DATE_EPOCH when set.
string(TIMESTAMP LUMORA_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${LUMORA_GZIP} -9 -n -c ${CMAKE_BINARY_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog VERBATIM)
add_custom_target(lumora_package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumora-kit)

install(FILES ${CMAKE_SOURCE_DIR}/packaging/mime/lumora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
# The IDE's keyword database; the IDE looks here when none lies beside it.
install(FILES ${CMAKE_SOURCE_DIR}/testkit/toolchain/Lumo.kdb DESTINATION ${CMAKE_INSTALL_DATADIR}/lumora)

# The Debian package: `make package` (cpack in the release tree).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumora-kit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lumora kit developers")
set(CPACK_PACKAGE_CONTACT "Lumora kit developers <lumora-kit@lumora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop tools for the Lumora handheld console kit")
set(CPACK_PACKAGE_DESCRIPTION
    "Native Linux tools for Lumora, the homebrew programming kit for a handheld
game console: the IDE kelvane, the transfer tool lmPutw, the screen capture
receiver snapget, the network gateway VantaGatewayServer, converters for
pictures, maps and music, a hardware simulator, launchers, and a virtual
console for trying everything without hardware.")
# The package installs below /usr whatever prefix this tree was configured
# with (with DESTDIR staging CPack takes CPACK_INSTALL_PREFIX).
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Some files (the Qt image plug-in) go to absolute folders outside the prefix;
# installing through DESTDIR keeps them inside the package's staging root.
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The simulator's attach library is public: other packages' programs under
# test link it, so the package declares it (shlibs) for their dependencies.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Not found through the libraries: the X11 platform plug-in that shows the
# windows, and the fonts every window and grid is laid out with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, shared-mime-info")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/deb-triggers.cmake)
include(CPack)
