# Run by CPack after it has made the .deb (CPACK_POST_BUILD_SCRIPTS).
#
# CPack gives a package that holds a shared library in /usr/lib postinst and
# postrm scripts that call ldconfig. Debian does this with a trigger instead,
# so the package keeps no maintainer scripts: the two generated scripts are
# replaced by "activate-noawait ldconfig" and the package is put together again.
foreach(deb ${CPACK_PACKAGE_FILES})
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${CMAKE_CURRENT_BINARY_DIR}/deb-triggers-tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  if(NOT EXISTS ${tree}/DEBIAN/postinst AND NOT EXISTS ${tree}/DEBIAN/postrm)
    file(REMOVE_RECURSE ${tree})
    continue()
  endif()
  foreach(script postinst postrm)
    if(EXISTS ${tree}/DEBIAN/${script})
      file(READ ${tree}/DEBIAN/${script} text)
      string(REGEX REPLACE "#![^\n]*\n|set -e\n|if \\[ \"\\$1\" = \"[a-z]+\" \\]; then\n|\tldconfig\n|fi\n|\n" "" rest "${text}")
      if(NOT rest STREQUAL "")
        message(FATAL_ERROR "${script} does more than run ldconfig; not replacing it:\n${text}")
      endif()
      file(REMOVE ${tree}/DEBIAN/${script})
    endif()
  endforeach()
  file(WRITE ${tree}/DEBIAN/triggers "activate-noawait ldconfig\n")
  execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b ${tree} ${deb}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
  message(STATUS "${deb}: ldconfig through a trigger, no maintainer scripts")
endforeach()
