# Installing the program like a desktop program, and its Debian package.
#
#   cmake --install build/release --prefix /usr/local      (or DESTDIR=... for a staging root)
#   cpack --preset deb                                     (build/release/snapvale2_<version>_amd64.deb)
#
# Installs bin/snapvale2, its desktop entry, its icon in the hicolor theme, its AppStream
# metadata, the README and the licence. Nothing else of the build is installed.

include(GNUInstallDirs)

set(snapvale_resources ${PROJECT_SOURCE_DIR}/resources)
set(snapvale_appstream_id example.snapvale2.Snapvale2)

install(TARGETS snapvale2 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${snapvale_resources}/desktop/snapvale2.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

install(FILES ${snapvale_resources}/icons/snapvale2.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${snapvale_resources}/hicolor/${size}x${size}/apps/snapvale2.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

configure_file(${snapvale_resources}/desktop/${snapvale_appstream_id}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${snapvale_appstream_id}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${snapvale_appstream_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian looks for a package's licence under the name "copyright".
set(snapvale_docdir ${CMAKE_INSTALL_DATADIR}/doc/snapvale2)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${snapvale_docdir} RENAME copyright)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${snapvale_docdir})

# The Debian package. Its library dependencies are read from the program (dpkg-shlibdeps); the
# Japanese font it draws every caption with is named here, since no library asks for it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME snapvale2)
set(CPACK_PACKAGE_VENDOR "Snapvale2 developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for a game's TGA screenshots, by date")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Snapvale2 lists the TGA screenshots in the install folder of the game\n"
  "Lineage in a tree grouped by day, shows a day's screenshots as thumbnails\n"
  "and one at full size, and copies or saves the view or a region of it as\n"
  "BMP or JPEG. Its user interface is in Japanese.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY snapvale2)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Snapvale2 developers")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
# Qt's own dialogs (the folder browser, the save dialog) speak Japanese with these.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
