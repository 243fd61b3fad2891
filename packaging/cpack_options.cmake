# Read by CPack for each generator it runs: the Debian package installs under
# /usr; the source archive keeps the tree as it is.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
