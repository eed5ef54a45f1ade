# SPDX-License-Identifier: MIT
# A Debian package of what cmake/Install.cmake installs, under /usr:
#   cpack -G DEB   (in the build directory; scripts/package.sh sets
#                   SOURCE_DATE_EPOCH, so that two runs give the same bytes)
# Its dependencies are what dpkg-shlibdeps finds the binaries need, so they
# follow the Qt and C++ libraries the build linked. The version is the
# project's: the project packages itself, so the package is native (no Debian
# revision) and its changelog is changelog.gz.
set(POSITIONMODE_MAINTAINER "Position-mode tool developers <positionmode-devel@example.org>"
    CACHE STRING "The Debian package's maintainer, \"Name <address>\"")
set(CPACK_PACKAGE_NAME ${POSITIONMODE_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Position-mode tool developers")
set(CPACK_PACKAGE_CONTACT "${POSITIONMODE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Position-mode tool plug-in of a motor-control IDE, with its workbench")
set(CPACK_PACKAGE_DESCRIPTION
  "The plug-in file of the position-mode tool, a stand-in for the host IDE's\n\
libraries with a simulated device, and the workbench application that loads\n\
the plug-in and runs scripted sessions headless.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${POSITIONMODE_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
