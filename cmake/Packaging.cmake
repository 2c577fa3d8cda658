# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, made from the install rules: `cpack -G DEB` in a build folder.
set(CPACK_PACKAGE_NAME padsmith)
set(CPACK_PACKAGE_VENDOR Mervane)
set(CPACK_PACKAGE_CONTACT "${PADSMITH_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the drum kits of the Zarvo sampler")
# The package's long description: its lines as they stand in the package's control file.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Padsmith opens the kit scripts of Zarvo, a sample-based drum plug-in, shows\n"
    "its 18 pads and their sample zones, lets you change every value, auditions\n"
    "samples, and saves the script back in the form the plug-in reads, copying\n"
    "every sample into the plug-in's folders. The command-line tool padsmith-kit\n"
    "does the same work in scripts.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # padsmith_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# Dependencies come from the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its Wayland platform at run time; without it the editor runs through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
