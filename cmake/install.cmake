# cmake --install: the two programs, the menu entry, the icon, the AppStream description, the shipped
# language file and the companion's manual page, where a Linux desktop looks for them.
set(VERDARIUM_APP_ID org.myverdarium.Verdarium)
set(VERDARIUM_HOMEPAGE "https://my-verdarium.example.org/" CACHE STRING "The program's web site")
set(VERDARIUM_SCREENSHOTS "${VERDARIUM_HOMEPAGE}screenshots/" CACHE STRING
    "Where the README's pictures (docs/*.png) are published, for software centres")
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS verdarium verdarium-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Read only; a lang.INI in the user's program folder comes first.
install(FILES resources/lang.INI DESTINATION ${CMAKE_INSTALL_DATADIR}/my-verdarium)
install(FILES ${packaging}/${VERDARIUM_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${packaging}/${VERDARIUM_APP_ID}.metainfo.xml.in ${PROJECT_BINARY_DIR}/${VERDARIUM_APP_ID}.metainfo.xml
               @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${VERDARIUM_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${packaging}/icons/${VERDARIUM_APP_ID}.svg DESTINATION ${icons}/scalable/apps)
foreach(size 48 128 256)
    install(FILES ${packaging}/icons/${size}/${VERDARIUM_APP_ID}.png DESTINATION ${icons}/${size}x${size}/apps)
endforeach()

# The manual page is made from verdarium-cli --help by the program just built.
set(manpage ${PROJECT_BINARY_DIR}/verdarium-cli.1.gz)
add_custom_command(OUTPUT ${manpage}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
            ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:verdarium-cli> -DVERSION=${PROJECT_VERSION} -DOUT=${manpage}
            -P ${PROJECT_SOURCE_DIR}/cmake/manpage.cmake
    DEPENDS verdarium-cli ${PROJECT_SOURCE_DIR}/cmake/manpage.cmake
    COMMENT "Making the manual page of verdarium-cli")
add_custom_target(verdarium-cli-manpage ALL DEPENDS ${manpage})
install(FILES ${manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
