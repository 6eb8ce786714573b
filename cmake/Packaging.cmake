# The Debian package t8hostlink_<version>_<arch>.deb: `cpack` in a build folder, or
# scripts/t8dev package, which also runs lintian on it. It holds what `cmake --install` puts
# under /usr: the programs, the desktop entry, the file types, the icon, the man pages, the HTML
# manual, the copyright and the changelog.

set(T8_PACKAGE_MAINTAINER "T8HostLink maintainers <t8hostlink@tallon-rodezedoraz.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME t8hostlink)
set(CPACK_PACKAGE_VENDOR "TALLON Rodezedoraz")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${T8_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop host for the T8 device programmer")
# Debian wants the lines of the long description within 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "T8HostLink works a T8 universal device programmer (memories, MCS51, AVR and\n"
    "dsPIC microcontrollers, PLDs) connected by a serial line. Every two-letter\n"
    "device command is a menu item or toolbar button, the device's dialogue runs\n"
    "in a terminal window, and data files (Intel HEX, Motorola S-record,\n"
    "Tektronix HEX, ASCII hex, binary) are sent to and received from the device.\n"
    "Batch files automate the dialogue.\n"
    "\n"
    "The package also holds t8batch, which runs batch files without a window and\n"
    "reports through its exit status, t8examine, which examines data files from\n"
    "the command line, and t8sim, a simulated T8 on a pseudo-terminal.")
# Stripped programs and directories of mode 0755, as Debian ships them.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${T8_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link are found by dpkg-shlibdeps, not listed by hand. The Qt
# plugins loaded at run time (X11 platform, SVG icons) come with those libraries on Debian 12;
# the Wayland platform plugin is a package of its own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
