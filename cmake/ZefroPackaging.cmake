# Installation as a desktop program and the Debian package.
#
#   cmake --install build --prefix /usr/local     programs in bin, the bundled tree and the documents in
#                                                 share/zefro/drive, the menu entry and the icon, the
#                                                 manual page of zefro-estimate in share/man/man1
#   cpack --config build/CPackConfig.cmake        zefro_<version>_<arch>.deb (installs under /usr)
#
# An installed program runs on the user's own drive root, set up at its first start from
# share/zefro/drive (see src/platform/UserDrive.h).
install(FILES "${CMAKE_SOURCE_DIR}/packaging/zefro.desktop" DESTINATION share/applications)
install(FILES "${CMAKE_SOURCE_DIR}/packaging/zefro.svg" DESTINATION share/icons/hicolor/scalable/apps)
include(ZefroManPage)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zefro)
set(CPACK_PACKAGE_VENDOR "ZEFRO")
set(CPACK_PACKAGE_CONTACT "ZEFRO maintainers <zefro@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Quick estimate of the consequences of a major industrial accident")
set(CPACK_PACKAGE_DESCRIPTION
  "ZEFRO looks up the damage distances of an accident with a dangerous substance in spreadsheet\n\
workbooks, writes a report and draws the damage areas on a raster map. Italian interface.\n\
The bundled workbooks hold example values, not official data.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/zefro")
# The shared libraries (Qt 6, GDAL, PROJ) are found by dpkg-shlibdeps; what is loaded or started
# at run time is named here: Qt's platform plugins and its Italian texts, the fonts the windows are laid out with, and
# xdg-open, the configuration's PDF reader.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, xdg-utils, fonts-dejavu-core, fonts-liberation2")
# A PDF viewer for xdg-open to hand the manuals to: without one the document buttons can only say so.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "evince | okular | mupdf | qpdfview")
include(CPack)
