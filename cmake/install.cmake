# Installation layout of a workstation. The program finds its logo and card-reader library in
# its own folder, so they all go to one private folder and /usr/bin/kelvora links to the program.
# Components: "kelvora" (the product) and "formation" (the stand-in card library, training only).
set(KELVORA_INSTALL_PKGDIR lib/kelvora CACHE STRING "Folder of the program, its logo and card library")
set(KELVORA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
include(GNUInstallDirs)

if(TARGET kelvora)
    install(TARGETS kelvora RUNTIME DESTINATION ${KELVORA_INSTALL_PKGDIR} COMPONENT kelvora)
    install(FILES ${KELVORA_OUTPUT_DIR}/attest.vqi DESTINATION ${KELVORA_INSTALL_PKGDIR}
        COMPONENT kelvora)
endif()
# The network module, which the programs load from their own folder on their first transfer.
if(TARGET kelvora_network)
    install(TARGETS kelvora_network LIBRARY DESTINATION ${KELVORA_INSTALL_PKGDIR}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ COMPONENT kelvora)
endif()
# kelvora-admin sits beside the program too: its reading without a screen finds the logo and
# the card library in its own folder, as the program does.
if(TARGET kelvora-admin)
    install(TARGETS kelvora-admin RUNTIME DESTINATION ${KELVORA_INSTALL_PKGDIR} COMPONENT kelvora)
endif()
# Relative links, so they stay right under DESTDIR and in the package.
foreach(command kelvora kelvora-admin)
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
        file(MAKE_DIRECTORY \"\${bin}\")
        file(CREATE_LINK ../${KELVORA_INSTALL_PKGDIR}/${command} \"\${bin}/${command}\" SYMBOLIC)
        message(STATUS \"Installing: \${bin}/${command} -> ../${KELVORA_INSTALL_PKGDIR}/${command}\")"
        COMPONENT kelvora)
endforeach()
# The update helper runs as root through pkexec, whose polkit action names this very path.
if(TARGET kelvora-installer)
    install(TARGETS kelvora-installer RUNTIME DESTINATION ${KELVORA_INSTALL_PKGDIR} COMPONENT kelvora)
    install(FILES ${KELVORA_PACKAGING_DIR}/polkit/fr.kelvora.installer.policy
        DESTINATION share/polkit-1/actions COMPONENT kelvora)
endif()
# libapi_lec.so, .so.5 and .so.5.20.1.0: the program opens the unversioned name beside itself.
if(TARGET api_lec)
    install(TARGETS api_lec LIBRARY DESTINATION ${KELVORA_INSTALL_PKGDIR} COMPONENT formation
        NAMELINK_COMPONENT formation)
endif()

install(FILES ${KELVORA_PACKAGING_DIR}/fr.kelvora.Kelvora.desktop
    DESTINATION share/applications COMPONENT kelvora)
install(FILES ${KELVORA_PACKAGING_DIR}/fr.kelvora.Kelvora.metainfo.xml
    DESTINATION share/metainfo COMPONENT kelvora)
install(FILES ${KELVORA_PACKAGING_DIR}/man/kelvora.1 ${KELVORA_PACKAGING_DIR}/man/kelvora-admin.1
    DESTINATION share/man/man1 COMPONENT kelvora)
install(FILES ${KELVORA_PACKAGING_DIR}/icons/kelvora.svg
    DESTINATION share/icons/hicolor/scalable/apps COMPONENT kelvora)

# PNG sizes for menus and docks that do not draw SVG, rendered from the one SVG.
find_program(KELVORA_RSVG_CONVERT rsvg-convert)
if(KELVORA_RSVG_CONVERT)
    set(png_files)
    foreach(size 16 22 24 32 48 64 128 256)
        set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/kelvora.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
            COMMAND ${KELVORA_RSVG_CONVERT} -w ${size} -h ${size}
                ${KELVORA_PACKAGING_DIR}/icons/kelvora.svg -o ${png}
            DEPENDS ${KELVORA_PACKAGING_DIR}/icons/kelvora.svg
            VERBATIM)
        list(APPEND png_files ${png})
        install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps COMPONENT kelvora)
    endforeach()
    add_custom_target(kelvora_icons ALL DEPENDS ${png_files})
else()
    message(STATUS "rsvg-convert not found: the PNG icons are not built (scripts/install-deps.sh installs librsvg2-bin)")
endif()

# The keyring of the update-signing keys, at the very path compiled into the program and the
# helper.
get_filename_component(kelvora_keyring_dir "${KELVORA_UPDATE_KEYRING}" DIRECTORY)
get_filename_component(kelvora_keyring_name "${KELVORA_UPDATE_KEYRING}" NAME)
install(FILES ${KELVORA_UPDATE_KEYRING_SOURCE} DESTINATION ${kelvora_keyring_dir}
    RENAME ${kelvora_keyring_name} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    COMPONENT kelvora)

# The repository as an apt source, a conffile of the package: the expiry and date checks are
# stated in it, since a machine's own apt settings may switch them off.
configure_file(${KELVORA_PACKAGING_DIR}/kelvora.sources.in ${CMAKE_BINARY_DIR}/kelvora.sources @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/kelvora.sources
    DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/apt/sources.list.d COMPONENT kelvora)
