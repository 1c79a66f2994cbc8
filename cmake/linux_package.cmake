# The Linux port's desktop files and its Debian package:
#   cpack -G DEB            (in the linux build folder)
# makes sonabel_<version>_amd64.deb with the program under /usr/lib/sonabel.
set(packaging ${PROJECT_SOURCE_DIR}/packaging/linux)
set(generated ${PROJECT_BINARY_DIR}/packaging)

install(FILES ${packaging}/sonabel.svg DESTINATION share/icons/hicolor/scalable/apps)
configure_file(${packaging}/org.sonabel.Sonabel.metainfo.xml ${generated}/org.sonabel.Sonabel.metainfo.xml @ONLY)
install(FILES ${generated}/org.sonabel.Sonabel.metainfo.xml DESTINATION share/metainfo)

# Debian wants these in the package's doc folder, the changelog compressed
# reproducibly.
configure_file(${packaging}/changelog.in ${generated}/changelog @ONLY)
execute_process(COMMAND gzip -9 -n -c ${generated}/changelog OUTPUT_FILE ${generated}/changelog.gz)
install(FILES ${packaging}/copyright ${generated}/changelog.gz DESTINATION share/doc/sonabel)

set(CPACK_PACKAGE_NAME sonabel)
set(CPACK_PACKAGE_VENDOR "The Sonabel developers")
set(CPACK_PACKAGE_CONTACT "The Sonabel developers <developers@sonabel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "music player for the files on your computer")
set(CPACK_PACKAGE_DESCRIPTION "Sonabel plays local music files: add files or whole folders, sort and
search the library, shuffle and repeat, with media keys and the desktop's
media controls. The library is kept between runs.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What WebKit needs to play MP3, AAC/M4A, FLAC, Ogg and WAV.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-libav")
# Installed for /usr into the staging folder, so that the launcher link and
# the menu entry name /usr, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
