# CPack: `cpack -G DEB` in the build folder makes the Debian package "pelorin" from the install
# rules, for /usr. tests/postinstall/check-install.sh builds it and checks it with lintian.
set(CPACK_PACKAGE_NAME pelorin)
set(CPACK_PACKAGE_VENDOR "Pelorin")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "TV server power switch")
# The extended description: lines as the control file shows them (under 80 characters).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Pelorin switches the PC that records your television (the TV server) on\n"
    "and off from another PC in your home and shows whether it is running:\n"
    "ON wakes the server with a Wake-on-LAN magic packet, OFF puts it into\n"
    "hibernation through the server's web application. The window can shrink\n"
    "to a small floating power button.\n"
    "\n"
    "pelorinctl does the same from a terminal or a script, with the same\n"
    "settings. The texts of the windows and the manual are in Japanese.")
set(CPACK_PACKAGE_CONTACT "Pelorin developers <pelorin@example.invalid>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders as Debian has them (rwxr-xr-x), whatever the umask of the one who builds the package.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_GENERATOR DEB)

# The first package of this version: Debian revision 1.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(PELORIN_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Control files with the owners and modes Debian asks for, whatever the build folder's umask.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The windows need a Qt platform plugin; the Japanese texts need a font that has them; the help
# manual is opened with xdg-open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, xdg-utils, qt6-translations-l10n")
find_program(PELORIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(PELORIN_DPKG_SHLIBDEPS)
    # The Qt libraries and everything else the programs load, with the versions they need.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
           ", libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4)"
           ", libqt6network6 (>= 6.4), libqt6svg6 (>= 6.4)")
endif()

# The package's copyright, changelog and lintian overrides, where Debian keeps them (named after
# the package). Before the package is made, the staged manual pages and changelog are compressed
# and the programs lose their compiler notes, as Debian ships them (cmake/PackageStage.cmake).
if(UNIX AND NOT APPLE)
    set(pelorin_docdir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
    configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in
                   ${PROJECT_BINARY_DIR}/packaging/changelog.Debian @ONLY)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
                  ${PROJECT_BINARY_DIR}/packaging/changelog.Debian
            DESTINATION ${pelorin_docdir})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            RENAME ${CPACK_PACKAGE_NAME})
    set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageStage.cmake)
    set(CPACK_PELORIN_COMPRESSED
        ${CMAKE_INSTALL_MANDIR}/man1/*.1 ${pelorin_docdir}/changelog.Debian)
    set(CPACK_PELORIN_PROGRAMS ${CMAKE_INSTALL_BINDIR}/*)
    set(CPACK_PELORIN_STRIP ${CMAKE_STRIP})
endif()

include(CPack)
