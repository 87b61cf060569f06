# What `cmake --install` puts where, and the Debian package `make deb` makes
# of it. The program finds its bundled plug-ins in <prefix>/lib/quillet/plugins
# (compiled in), the desktop finds the launcher, icons, metainfo and manual
# pages in their standard places under <prefix>/share.
include(GNUInstallDirs)

set(QUILLET_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(QUILLET_APP_ID org.quillet.Quillet)

install(TARGETS quillet-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(QUILLET_BUILD_GUI)
  install(TARGETS quillet RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${QUILLET_PACKAGING}/${QUILLET_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QUILLET_PACKAGING}/${QUILLET_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${QUILLET_PACKAGING}/icons/${size}x${size}/quillet.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${QUILLET_PACKAGING}/quillet.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Manual pages, compressed as Debian keeps them (no time stamp, so the
# package builds the same bytes twice).
set(QUILLET_MAN_PAGES)
foreach(page quillet quillet-cli)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND gzip -9nc ${QUILLET_PACKAGING}/${page}.1 > ${out}
    DEPENDS ${QUILLET_PACKAGING}/${page}.1
    VERBATIM)
  list(APPEND QUILLET_MAN_PAGES ${out})
endforeach()
add_custom_target(quillet_man_pages ALL DEPENDS ${QUILLET_MAN_PAGES})
install(FILES ${QUILLET_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package: one package with both programs, the plug-ins and the
# plug-in header. Library dependencies come from dpkg-shlibdeps; the editor's
# font is the one package the libraries do not name.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillet")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plain-text diary with a Japanese user interface")
# The long description; CPack puts the summary first and indents each line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quillet keeps one plain-text entry a day, written in an editor with
Japanese line-breaking rules. Days have titles and may be encrypted; a
calendar, a title list, a task list, pictures per day and a
regular-expression search over the whole diary sit beside the editor.

The package holds the program, quillet-cli and image plug-ins for JPEG,
PNG and GIF.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillet developers <quillet@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES ON)
include(CPack)
