# Installing Quorvel under any prefix (cmake --install, with or without
# DESTDIR) and the Debian package that cpack makes from the same rules.
#
#   bin/quorvel, bin/quorvel-list
#   share/quorvel/animation/spin.avi          the default clip
#   share/applications/<id>.desktop
#   share/metainfo/<id>.metainfo.xml
#   share/icons/hicolor/{scalable,NxN}/apps/<id>.{svg,png}
#   share/man/man1/quorvel.1, quorvel-list.1
#   share/bash-completion/completions/quorvel-list

set(QUORVEL_HOMEPAGE "https://quorvel.morbanta.example/")
set(QUORVEL_MAINTAINER "Dallowin <dallowin@morbanta.example>")
set(QUORVEL_SUMMARY "List a folder tree as an HTML page")
set(QUORVEL_ICON_SIZES 16 24 32 48 64 128 256)

# The program finds its data relative to its own folder, so one build runs
# from the build tree and from any prefix it is installed under.
set(data_install_dir ${CMAKE_INSTALL_DATADIR}/quorvel)
cmake_path(ABSOLUTE_PATH data_install_dir BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX}
           OUTPUT_VARIABLE data_full_dir)
file(RELATIVE_PATH data_from_program ${CMAKE_INSTALL_FULL_BINDIR} ${data_full_dir})
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/app/program_state.cpp
                            TARGET_DIRECTORY quorvel_app
                            PROPERTIES COMPILE_DEFINITIONS
                                       "QUORVEL_DATA_FROM_PROGRAM=\"${data_from_program}\"")
# The window names its desktop entry, so the desktop finds its icon and name.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/ui/application_identity.cpp
                            TARGET_DIRECTORY quorvel_ui
                            PROPERTIES COMPILE_DEFINITIONS "QUORVEL_APP_ID=\"${QUORVEL_APP_ID}\"")

# Texts that carry the id, the summary, the version and the release date.
configure_file(${PROJECT_SOURCE_DIR}/resources/quorvel.desktop.in
               ${QUORVEL_GENERATED}/${QUORVEL_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/quorvel.metainfo.xml.in
               ${QUORVEL_GENERATED}/${QUORVEL_APP_ID}.metainfo.xml @ONLY)
foreach(page quorvel.1 quorvel-list.1)
    configure_file(${PROJECT_SOURCE_DIR}/resources/man/${page}.in
                   ${QUORVEL_GENERATED}/man/${page} @ONLY)
endforeach()

# Made by the project's tools: the completion from the settings key table,
# the PNG icons from the icon the window draws.
set(completion ${QUORVEL_GENERATED}/completion/quorvel-list)
set(completion_template ${PROJECT_SOURCE_DIR}/resources/completion/quorvel-list.bash.in)
add_custom_command(OUTPUT ${completion}
                   COMMAND quorvel-make-completion ${completion_template} ${completion}
                   DEPENDS quorvel-make-completion ${completion_template}
                   COMMENT "Making the bash completion of quorvel-list")
set(png_icons)
foreach(size ${QUORVEL_ICON_SIZES})
    set(png ${QUORVEL_GENERATED}/icons/${size}x${size}/apps/${QUORVEL_APP_ID}.png)
    list(APPEND png_icons ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_command(OUTPUT ${png_icons}
                   COMMAND quorvel-make-icons ${QUORVEL_GENERATED}/icons ${QUORVEL_APP_ID}
                           ${QUORVEL_ICON_SIZES}
                   DEPENDS quorvel-make-icons
                   COMMENT "Drawing the program's icon as PNG files")
add_custom_target(quorvel_resources ALL DEPENDS ${completion} ${png_icons})

install(TARGETS quorvel quorvel-list RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QUORVEL_SPIN_CLIP} DESTINATION ${data_install_dir}/animation)
install(FILES ${QUORVEL_GENERATED}/${QUORVEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUORVEL_GENERATED}/${QUORVEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/quorvel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${QUORVEL_APP_ID}.svg)
install(FILES ${QUORVEL_GENERATED}/man/quorvel.1 ${QUORVEL_GENERATED}/man/quorvel-list.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# cpack -G DEB: quorvel_<version>_<arch>.deb for /usr. The libraries the
# programs link give most of Depends; the rest are loaded at run time.
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR Morbanta)
set(CPACK_PACKAGE_CONTACT ${QUORVEL_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${QUORVEL_SUMMARY})
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Quorvel scans a folder tree into a list of folders and files with their\n"
       "size, type, dates and attributes, and writes a self-contained HTML page of\n"
       "it: colours, fonts, columns, borders, hover, file links and folders that\n"
       "fold open and shut. The page shows in a preview and opens in the browser;\n"
       "the list can be copied as tab-separated text, and the options saved as\n"
       "named settings files. quorvel-list makes the same listing from the\n"
       "command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUORVEL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUORVEL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's platform plugin; the preview's web process comes with the
# web engine's own packages.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# "open in browser" goes through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
