# CPack: `cpack -G DEB` in the build folder makes the Debian package "pelorin" from the install
# rules, for /usr.
set(CPACK_PACKAGE_NAME pelorin)
set(CPACK_PACKAGE_VENDOR "Pelorin")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "TV server power switch")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Pelorin switches the PC that records your television on and off from another PC in your "
    "home, with Wake-on-LAN and the server's web application, and shows whether it is running. "
    "pelorinctl does the same from a terminal.")
set(CPACK_PACKAGE_CONTACT "Pelorin developers <pelorin@example.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The windows need a Qt platform plugin; the Japanese texts need a font that has them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
find_program(PELORIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(PELORIN_DPKG_SHLIBDEPS)
    # The Qt libraries and everything else the programs load, with the versions they need.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
           ", libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4)"
           ", libqt6network6 (>= 6.4), libqt6svg6 (>= 6.4)")
endif()

include(CPack)
