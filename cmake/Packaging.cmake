# `make package`: a Debian package of the installed tree. Library dependencies
# come from dpkg-shlibdeps; what it cannot see (Qt's platform plugins, loaded
# at run time) is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orlenta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orlenta developers")
set(CPACK_PACKAGE_CONTACT "The Orlenta developers <orlenta@users.noreply.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The interface is Chinese by default; scripts run in a terminal emulator;
# without qt6-wayland a Wayland session falls back to Xwayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk | fonts-wqy-microhei, x-terminal-emulator, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orlenta.example.org/")
# 0755 directories and 0644 control files, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "tray launcher for shell scripts
Orlenta keeps shell scripts in one tree of folders and scripts and shows
that tree in the system tray menu (StatusNotifierItem or XEmbed). Choosing
a script hands it to a terminal emulator: a new window, a new tab, or the
first window of a terminal the run starts.

A management window arranges the tree; a command line lists, runs and
arranges scripts from a terminal or a desktop shortcut.")
include(CPack)
