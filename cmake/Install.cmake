# Installing like a desktop program: hivewarden-cli beside the window in
# bin/, the desktop entry, icon, AppStream metadata, manual pages and
# documentation, and the Debian package made from them by `cpack -G DEB`.
# The window (app/) and the data files (data/) install themselves.

set(HW_APP_ID "org.example.hivewarden" CACHE STRING
    "The reverse-DNS id of the desktop entry and AppStream metadata; a build for distribution sets its own")

install(TARGETS hivewarden-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The programs find their data folder relative to their own.
set_property(SOURCE platform/ProgramPlaces.cpp TARGET_DIRECTORY hw_platform APPEND PROPERTY
             COMPILE_DEFINITIONS HW_DATA_FROM_BIN="${HW_DATA_FROM_BIN}")

install(FILES README.md data/exclusions.md DESTINATION ${HW_INSTALL_DOCDIR})

if(WIN32)
  return()
endif()

set(hw_generated ${PROJECT_BINARY_DIR}/install)
set(HW_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
# The manual pages go in compressed, as Debian keeps them (gzip -9n: no name
# or time stamp, so the same page gives the same file).
set(hw_man_pages)
foreach(page hivewarden hivewarden-cli)
  configure_file(doc/${page}.1 ${hw_generated}/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${hw_generated}/${page}.1.gz
    COMMAND gzip -9nf -k ${page}.1
    DEPENDS ${hw_generated}/${page}.1
    WORKING_DIRECTORY ${hw_generated})
  list(APPEND hw_man_pages ${hw_generated}/${page}.1.gz)
endforeach()
add_custom_target(hw_man_pages ALL DEPENDS ${hw_man_pages})
install(FILES ${hw_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(TARGET hivewarden)
  set(HW_METAINFO_URL "")
  if(HW_HOMEPAGE_URL)
    set(HW_METAINFO_URL "  <url type=\"homepage\">${HW_HOMEPAGE_URL}</url>\n")
  endif()
  configure_file(data/desktop/hivewarden.desktop.in ${hw_generated}/${HW_APP_ID}.desktop @ONLY)
  configure_file(data/desktop/hivewarden.metainfo.xml.in
                 ${hw_generated}/${HW_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${hw_generated}/${HW_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${hw_generated}/${HW_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The program's logo is its icon: square, and drawn to read at any size.
  install(FILES data/images/logo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME hivewarden.svg)
endif()

# The Debian package: /usr, and the libraries it links found by
# dpkg-shlibdeps (Debian ships Qt's X11 platform plugin in libqt6gui6 and the
# SVG plugins in libqt6svg6, so those come along); Wine makes the prefixes.
set(CPACK_PACKAGE_NAME hivewarden)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quornel Software")
set(CPACK_PACKAGE_CONTACT "Quornel Software <hivewarden@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find and repair stale registry entries of Wine prefixes")
set(CPACK_PACKAGE_DESCRIPTION
    "Hivewarden scans the registry of a Wine prefix for entries that point at
things that no longer exist (missing files and folders, fonts, Start-menu
folders, application paths, help files, shared-library counters), lets you
pick what to repair, writes a REGEDIT4 backup of everything it changes, and
then deletes or rewrites the picked entries. hivewarden-cli does the same
from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine")
if(HW_HOMEPAGE_URL)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${HW_HOMEPAGE_URL})
endif()
set(CPACK_GENERATOR DEB)
include(CPack)
