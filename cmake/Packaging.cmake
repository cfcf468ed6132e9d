# The Debian package (scripts/package builds it): quillbey_<version>_<arch>.deb,
# its run-time dependencies read from the binaries by dpkg-shlibdeps, the
# binaries stripped as Debian strips them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillbey)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillbey developers")
set(CPACK_PACKAGE_CONTACT "The Quillbey developers <quillbey@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Game Boy Advance ROM header viewer")
set(CPACK_PACKAGE_DESCRIPTION [=[
Quillbey lists the Game Boy Advance ROM images in a folder (plain .bin, .gba
and .agb files, and the first such entry of each ZIP archive), sorted by name,
and decodes the cartridge header of the one picked: internal name, serial
with region, maker, version, size, main unit code, device type, header
complement (stored and computed), boot logo check and the archive's CRC-32.
It reads only the first 512 bytes of each image and never writes one.

The package holds the desktop program, quillbey, and the command-line tool,
quillbey-cli, which prints the same as a table, JSON or CSV and can fail a
build when a homebrew image has a broken header.]=])

# No Debian revision: Quillbey is its own upstream, a native package.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillbey.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugin at run time, so no binary names it and
# dpkg-shlibdeps cannot find it; without it the window cannot open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Folders 0755 whatever the umask of the one who builds.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# CPack's own stripping keeps the .comment and .note sections; the staged
# binaries are stripped as dh_strip does it instead.
set(CPACK_STRIP_FILES OFF)
set(CPACK_QB_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StripForDebian.cmake)

include(CPack)
