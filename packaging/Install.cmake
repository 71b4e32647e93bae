# Installation. The program folder (lib/trevak under the prefix) holds both
# programs and the configuration folder Config/ with the help document; bin/
# holds links to the two programs. The window finds its folder through the
# executable's real path, so it finds the help document next to itself even
# when started through the link; settings go to the per-user data folder,
# since an installed program folder is not writable. The desktop entry and the
# icon go to share/. Tests, the benchmark and trevak-helpdoc are not installed.

set(TREVAK_INSTALL_PROGRAM_DIR "lib/trevak" CACHE STRING
    "Folder of the programs and their Config/ folder, relative to the installation prefix")
if(IS_ABSOLUTE "${TREVAK_INSTALL_PROGRAM_DIR}")
    message(FATAL_ERROR "TREVAK_INSTALL_PROGRAM_DIR must be relative to the prefix: ${TREVAK_INSTALL_PROGRAM_DIR}")
endif()

set(trevak_installed_programs trevak-cli)
if(TARGET trevak)
    list(APPEND trevak_installed_programs trevak)
endif()
install(TARGETS ${trevak_installed_programs} RUNTIME DESTINATION ${TREVAK_INSTALL_PROGRAM_DIR})

# The marker that tells the window its folder is an installed copy: settings
# then go to each user's data folder even for a user who could write here
# (root), so that the program folder only ever holds what was installed.
set(trevak_installed_marker ${CMAKE_BINARY_DIR}/INSTALLED)
file(WRITE ${trevak_installed_marker}
    "An installed copy of Trevak: settings and examples are kept in each user's data folder.\n")
install(FILES ${trevak_installed_marker} DESTINATION ${TREVAK_INSTALL_PROGRAM_DIR})

if(TARGET trevak)
    install(FILES ${TREVAK_HELP_PDF} DESTINATION ${TREVAK_INSTALL_PROGRAM_DIR}/Config)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/trevak.desktop DESTINATION share/applications)
    install(FILES ${TREVAK_APP_ICON} DESTINATION share/icons/hicolor/scalable/apps RENAME trevak.svg)
endif()

# bin/trevak -> ../lib/trevak/trevak, relative so that it holds under any
# prefix and in a package's staging folder. The links are made here and
# installed as links.
file(RELATIVE_PATH trevak_link_target /prefix/bin /prefix/${TREVAK_INSTALL_PROGRAM_DIR})
set(trevak_link_folder ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${trevak_link_folder})
foreach(program IN LISTS trevak_installed_programs)
    file(CREATE_LINK ${trevak_link_target}/${program} ${trevak_link_folder}/${program} SYMBOLIC)
    install(FILES ${trevak_link_folder}/${program} DESTINATION bin)
endforeach()
