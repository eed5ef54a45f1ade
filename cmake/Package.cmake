# A Debian package of what cmake/Install.cmake installs, under /usr:
#   cpack -G DEB   (in the build directory)
# Its dependencies are what dpkg-shlibdeps finds the binaries need, so they
# follow the Qt and C++ libraries the build linked.
set(CPACK_PACKAGE_NAME ${POSITIONMODE_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Position-mode tool developers")
set(CPACK_PACKAGE_CONTACT "Position-mode tool developers <positionmode@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Position-mode tool plug-in of a motor-control IDE, with its workbench")
set(CPACK_PACKAGE_DESCRIPTION
  "The plug-in file of the position-mode tool, a stand-in for the host IDE's\n\
libraries with a simulated device, and the workbench application that loads\n\
the plug-in and runs scripted sessions headless.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
