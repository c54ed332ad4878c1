# Run by cpack before it packs: what a Debian package holds besides the installed tree. Its
# licence and its changelog go to /usr/share/doc/<package>, and its man pages and changelog are
# compressed, as Debian wants; `cmake --install` leaves all of this alone.
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${root}/share/doc/${CPACK_PACKAGE_NAME})

# The changelog's newest entry is the version being packed.
file(STRINGS ${CPACK_KORVEL_CHANGELOG} newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^${CPACK_PACKAGE_NAME} \\(${CPACK_PACKAGE_VERSION}\\) ")
  message(FATAL_ERROR "${CPACK_KORVEL_CHANGELOG} does not start with an entry for "
    "${CPACK_PACKAGE_NAME} ${CPACK_PACKAGE_VERSION}")
endif()

file(COPY ${CPACK_KORVEL_COPYRIGHT} ${CPACK_KORVEL_CHANGELOG} DESTINATION ${doc}
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(GLOB man_pages ${root}/share/man/man*/*)
# -n keeps the file's name and time out of the archive, so that the same files pack the same.
execute_process(COMMAND gzip -9n ${doc}/changelog ${man_pages} COMMAND_ERROR_IS_FATAL ANY)
