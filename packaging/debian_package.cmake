# The Debian package, built by CPack from the same install rules:
# corvane-adjust_VERSION_ARCH.deb, installing under /usr. Its Depends are the
# packages of the programs' shared libraries (dpkg-shlibdeps) plus the font
# the pages are drawn in and the monitor makers' names.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE CORVANE_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_QUIET)
if(NOT CORVANE_DEB_ARCH)
  return()  # not a Debian system: no package
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane-adjust)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "${CORVANE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen wizard to set up a flat-panel LCD monitor")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Corvane LCD Adjustment compares the PC's display mode with the mode
recommended for the panel's size (15 to 19 inches) and offers to switch to
it. Then it shows full-screen test patterns, one program pixel on one screen
pixel, with numbered instructions for the monitor's own buttons: one-pixel
black and white columns for the pitch and phase settings and green lines
along the four edges for centring.

corvane-snapshot runs the same wizard on a simulated screen and records
what it draws, for tests and reviews.")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${CORVANE_DEB_ARCH})
set(CPACK_DEBIAN_FILE_NAME "corvane-adjust_${PROJECT_VERSION}_${CORVANE_DEB_ARCH}.deb")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CORVANE_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libSDL2, libX11 and libXrandr (on X11) and libsystemd (for GNOME's session bus) are
# loaded at run time, so shlibdeps does not see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, hwdata, libsdl2-2.0-0, libx11-6, libxrandr2, libsystemd0")
# Everything a plain install has, plus the Debian copyright and changelog.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};corvane-adjust;ALL;/"
                                 "${CMAKE_BINARY_DIR};corvane-adjust;debian;/")
include(CPack)
