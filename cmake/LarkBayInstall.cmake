# What `cmake --install` puts where: the program and its command-line tool on
# the PATH; the updater, the archiver and the engine pack in lib/lark-bay,
# where the program looks for the pack it installs its engine from; the
# desktop entry, the AppStream metainfo and the icons of the hicolor theme.
include(GNUInstallDirs)

set(LARKBAY_INSTALL_PKGDIR lib/lark-bay)
install(TARGETS lark-bay lark-bay-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS larkbay_updater larkbay_archiver RUNTIME DESTINATION ${LARKBAY_INSTALL_PKGDIR})
install(FILES ${LARKBAY_ENGINE_PACK_DIR}/Enginepack ${LARKBAY_ENGINE_PACK_DIR}/cef.pak.md5
  DESTINATION ${LARKBAY_INSTALL_PKGDIR})

# The program runs the bundled updater and unpacks the bundled pack only with
# their release signatures beside them. A build of the demo key signs them with
# the demo key; a build for users names the maker's key (LARKBAY_SIGNING_KEY,
# a PEM file) or bundles them unsigned, and the program then downloads both.
if(LARKBAY_RELEASE_KEY STREQUAL LARKBAY_DEMO_RELEASE_KEY)
  set(larkbay_default_signing_key ${PROJECT_SOURCE_DIR}/tools/server/keys/demo-release-key.pem)
else()
  set(larkbay_default_signing_key "")
endif()
set(LARKBAY_SIGNING_KEY "${larkbay_default_signing_key}" CACHE FILEPATH
  "Ed25519 private key (PEM) that signs the bundled updater and engine pack")
if(LARKBAY_SIGNING_KEY)
  # Signed where they are installed, after a package build has stripped the
  # updater: a signature of the build's own file would not hold for it.
  install(CODE "
    set(pkgdir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${LARKBAY_INSTALL_PKGDIR}\")
    execute_process(COMMAND \"$<TARGET_FILE:lark-bay-cli>\" sign --key \"${LARKBAY_SIGNING_KEY}\"
                            \"\${pkgdir}/Update.exe\" \"\${pkgdir}/Enginepack\"
                    RESULT_VARIABLE signed)
    if(NOT signed EQUAL 0)
      message(FATAL_ERROR \"the bundled updater and engine pack could not be signed\")
    endif()
    file(CHMOD \"\${pkgdir}/Update.exe.sig\" \"\${pkgdir}/Enginepack.sig\"
         PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)")
else()
  message(NOTICE "LARKBAY_SIGNING_KEY is not set: the package carries its updater and engine "
    "pack unsigned, and the program downloads signed ones instead")
endif()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lark-bay.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.larkbay.LarkBay.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/${size}x${size}/lark-bay.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian's documentation of the package: its copyright and changelog.
set(larkbay_changelog_gz ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${larkbay_changelog_gz}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${larkbay_changelog_gz}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog VERBATIM)
add_custom_target(larkbay_package_docs ALL DEPENDS ${larkbay_changelog_gz})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${larkbay_changelog_gz}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lark-bay)

# `cpack -G DEB` in the build folder makes lark-bay_<version>_<arch>.deb; its
# dependencies are Debian packages: the libraries of the installed programs as
# dpkg-shlibdeps finds them, and what the program loads at run time (the
# engine it installs from its pack, the media plug-ins, the CJK font, Qt's
# Chinese texts for the updater's standard buttons).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lark-bay)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lark-Bay")
set(CPACK_PACKAGE_CONTACT "Lark-Bay maintainers <maintainers@larkbay.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop music client for songs and DJ mixes")
set(CPACK_PACKAGE_DESCRIPTION
  "Lark-Bay searches the song and DJ-mix catalogues of its maker's web\n\
service, pages through the results, plays a song, a mix or the recommended\n\
list in a small player strip, and downloads songs in a chosen quality\n\
through a download manager with pause, resume and delete.")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6webenginecore6, libqt6webenginecore6-bin, libqt6webenginewidgets6, gstreamer1.0-plugins-good, gstreamer1.0-libav, fonts-noto-cjk, qt6-translations-l10n, ca-certificates")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
