# Installs Corvantis as one program folder, lib/corvantis/ under the prefix, holding the
# program, its reader helper, the jetwrite tool and the files the program reads beside itself;
# bin/corvantis links to it. The desktop entry, icons and AppStream metainfo go where the
# desktop looks for them. `cpack -G DEB` makes the Debian package.
include(GNUInstallDirs)

set(CORVANTIS_INSTALL_FOLDER lib/corvantis)
set(CORVANTIS_RELEASE_DATE 2026-12-07)

install(TARGETS corvantis corvantis-mdb-reader jetwrite RUNTIME DESTINATION ${CORVANTIS_INSTALL_FOLDER})
install(FILES ${CORVANTIS_PROGRAM_DIR}/websites.mdb ${CORVANTIS_PROGRAM_DIR}/HAND-M.CUR
        DESTINATION ${CORVANTIS_INSTALL_FOLDER})
install(FILES ${CORVANTIS_PROGRAM_DIR}/x/o.cjs DESTINATION ${CORVANTIS_INSTALL_FOLDER}/x)

# bin/corvantis: a relative link, so the installed tree can be moved or unpacked anywhere. The
# program finds its folder through the real path of its executable.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK ../${CORVANTIS_INSTALL_FOLDER}/corvantis ${CMAKE_BINARY_DIR}/install-links/corvantis
     SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install-links/corvantis DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/assets/corvantis.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${PROJECT_SOURCE_DIR}/assets/org.corvantis.Corvantis.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/org.corvantis.Corvantis.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/org.corvantis.Corvantis.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 32 48 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/corvantis-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME corvantis.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/corvantis.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvantis)
set(CPACK_PACKAGE_VENDOR "Corvantis developers")
set(CPACK_PACKAGE_CONTACT "Corvantis developers <support@corvantis.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "${PROJECT_DESCRIPTION}\n Keep a list of website addresses, type a number N and Corvantis opens N of\n them, picked at random, in the default browser. The list can be edited,\n imported from text files, exported as a text table and filled from a\n default list.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, fonts-liberation")
set(CPACK_STRIP_FILES ON)
include(CPack)
