# Installing the player, and its Debian package:
#   cmake --build build --target package   ->  build/glimmerframe_VERSION_ARCH.deb
# The program goes to /usr/bin, the XScreenSaver hack's description to
# XScreenSaver's system folder (so xscreensaver-settings shows its options), a
# desktop entry opens the settings dialog, another plays shows opened from a
# file manager (the show file types are declared, and a thumbnailer draws
# their pictures), and the man page and the bash completion come with it.
include(GNUInstallDirs)

install(TARGETS glimmer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The hack's description is the one install-xscreensaver writes, made by the
# program itself into a home folder of the build's own.
set(GLIMMER_PACKAGE_HOME ${CMAKE_BINARY_DIR}/package-home)
set(GLIMMER_HACK_XML ${GLIMMER_PACKAGE_HOME}/.xscreensaver-hacks/glimmer.xml)
add_custom_command(
  OUTPUT ${GLIMMER_HACK_XML}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GLIMMER_PACKAGE_HOME}
  COMMAND ${CMAKE_COMMAND} -E env HOME=${GLIMMER_PACKAGE_HOME} $<TARGET_FILE:glimmer>
          install-xscreensaver > ${GLIMMER_PACKAGE_HOME}/install.log
  DEPENDS glimmer
  COMMENT "Writing the XScreenSaver hack's description")
set(GLIMMER_MAN_PAGE ${CMAKE_BINARY_DIR}/glimmer.1.gz)
add_custom_command(
  OUTPUT ${GLIMMER_MAN_PAGE}
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/glimmer.1 > ${GLIMMER_MAN_PAGE}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/glimmer.1)
add_custom_target(glimmer_package_files ALL DEPENDS ${GLIMMER_HACK_XML} ${GLIMMER_MAN_PAGE})

install(FILES ${GLIMMER_HACK_XML} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/xscreensaver/config)
install(FILES ${GLIMMER_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/glimmerframe-settings.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/glimmerframe.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/glimmerframe-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/mime/packages RENAME glimmerframe.xml)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/glimmer.thumbnailer
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/thumbnailers)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/glimmer.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME glimmer)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glimmerframe)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Glimmerframe developers <dev@glimmerframe.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for animated screensaver shows")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Plays animated screensaver shows: looping slides of pictures under a moving\n camera with animated layers (particles, sprites, texts, screen effects, 3D\n objects, sounds). Runs as an XScreenSaver hack, in windows, and renders shows\n to PNG frames or video files.")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://glimmerframe.example.org")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Libraries the program links are found by dpkg-shlibdeps; OpenGL and EGL are
# loaded through libepoxy and SDL_mixer when sound starts, so they are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl1, libgl1, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsdl2-mixer-2.0-0, xscreensaver")
include(CPack)
