# What `cmake --install` puts where: the programs, their icons and a desktop entry. pelorinctl and
# the help manual (share/pelorin/help, where the help lookup finds it from bin/) are installed by
# the rules beside their own targets. The simulator and the tests are not installed.
include(GNUInstallDirs)

if(TARGET Pelorin)
    # Primelet starts the tool from its own folder, so both go to the same one.
    install(TARGETS Pelorin Primelet RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(UNIX AND NOT APPLE)
    set(pelorin_icon_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/pelorin-48.png
            DESTINATION ${pelorin_icon_dir}/48x48/apps
            RENAME pelorin.png)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/pelorin.svg
            DESTINATION ${pelorin_icon_dir}/scalable/apps)
    if(TARGET Pelorin)
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/pelorin.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    endif()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/Packaging.cmake)
