# The Debian package: `cmake --build build --target package` writes build/tolm-launcher_<version>_<arch>.deb
# with everything `cmake --install` puts under /usr (launcher, entrance program, tools, menu entry,
# icon) and the files Debian requires of every package.
set(package_docs share/doc/tolm-launcher)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${package_docs})
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
# A native package's changelog; Debian wants it compressed, and byte for byte the same on every
# build (no name or time inside).
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog)
add_custom_target(tolm_package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${package_docs})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolm-launcher)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Qorvane")
set(CPACK_PACKAGE_CONTACT "Qorvane launcher team <launcher@qorvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Launcher and self-updater of the game")
set(CPACK_PACKAGE_DESCRIPTION "The game's launcher keeps the game and itself up to date from
the game's CDN and starts it. The package also holds the entrance program that
restarts the launcher after it updated itself, the headless updater for servers
and the publishing tool.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": that section is for packages with programs in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The install step writes the menu entry for the prefix it installs to: staged through DESTDIR,
# that prefix is /usr, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
