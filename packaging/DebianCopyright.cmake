# Run by cpack before it packs: every Debian package carries its licence in
# /usr/share/doc/<package>/copyright. It is the package's file, not one for `cmake --install`.
file(COPY ${CPACK_KORVEL_COPYRIGHT}
  DESTINATION ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/${CPACK_PACKAGE_NAME}
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
