# Read by cpack for each generator it runs. A .deb installs under /usr, and
# the program learns its install folder when it is built: one configured for
# another prefix would not know it is installed and would keep its data
# beside itself, in /usr/bin.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "A .deb must be built from a folder configured with -DCMAKE_INSTALL_PREFIX=/usr "
    "(this one installs into ${CPACK_PACKAGING_INSTALL_PREFIX}); scripts/package.sh does it.")
endif()
