# What `cmake --install` puts where: the programs, their icons, the desktop entry and its
# AppStream metadata, the manual pages and the package's copyright and changelog. pelorinctl,
# its manual page and the help manual (share/pelorin/help, where the help lookup finds it from
# bin/) are installed by the rules beside their own targets. The simulator and the tests are not
# installed.
include(GNUInstallDirs)

# The release that PROJECT_VERSION names, as the changelog, the manual pages and the AppStream
# metadata date it.
set(PELORIN_RELEASE_DATE 2026-12-07)
set(PELORIN_RELEASE_MONTH "December 2026")
set(PELORIN_RELEASE_CHANGELOG_DATE "Mon, 07 Dec 2026 00:00:00 +0000")
# The desktop entry's name and the AppStream component id.
set(PELORIN_APP_ID jp.example.pelorin)

if(TARGET Pelorin)
    # Primelet starts the tool from its own folder, so both go to the same one.
    install(TARGETS Pelorin Primelet RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(UNIX AND NOT APPLE)
    set(pelorin_icon_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    foreach(size IN ITEMS 16 32 48 64 128 256)
        install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/pelorin-${size}.png
                DESTINATION ${pelorin_icon_dir}/${size}x${size}/apps
                RENAME pelorin.png)
    endforeach()
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/pelorin.svg
            DESTINATION ${pelorin_icon_dir}/scalable/apps)

    if(TARGET Pelorin)
        set(pelorin_generated ${PROJECT_BINARY_DIR}/packaging)
        configure_file(${PROJECT_SOURCE_DIR}/packaging/${PELORIN_APP_ID}.metainfo.xml.in
                       ${pelorin_generated}/${PELORIN_APP_ID}.metainfo.xml @ONLY)
        foreach(program IN ITEMS Pelorin Primelet)
            configure_file(${PROJECT_SOURCE_DIR}/packaging/${program}.1.in
                           ${pelorin_generated}/${program}.1 @ONLY)
        endforeach()

        install(FILES ${PROJECT_SOURCE_DIR}/packaging/${PELORIN_APP_ID}.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
        install(FILES ${pelorin_generated}/${PELORIN_APP_ID}.metainfo.xml
                DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
        install(FILES ${pelorin_generated}/Pelorin.1 ${pelorin_generated}/Primelet.1
                DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/Packaging.cmake)
