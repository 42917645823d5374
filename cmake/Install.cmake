# Installs Corvantis as one program folder, lib/corvantis/ under the prefix, holding the
# program, its reader helper, the jetwrite tool and the files the program reads beside itself;
# bin/corvantis and bin/corvantis-jetwrite link to the program and the tool. The desktop entry,
# icons and AppStream metainfo go where the desktop looks for them. The Debian package (debian/,
# dpkg-buildpackage) installs exactly this, plus the man pages and the package's own documents.
include(GNUInstallDirs)

set(CORVANTIS_INSTALL_FOLDER lib/corvantis)
set(CORVANTIS_RELEASE_DATE 2026-12-07)

install(TARGETS corvantis corvantis-mdb-reader jetwrite RUNTIME DESTINATION ${CORVANTIS_INSTALL_FOLDER})
install(FILES ${CORVANTIS_PROGRAM_DIR}/HAND-M.CUR DESTINATION ${CORVANTIS_INSTALL_FOLDER})
install(FILES ${CORVANTIS_PROGRAM_DIR}/x/o.cjs DESTINATION ${CORVANTIS_INSTALL_FOLDER}/x)

# The links of the installed tree, made in the build tree and installed as links.
set(install_links ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${install_links})

# bin/corvantis: a relative link, so the installed tree can be moved or unpacked anywhere. The
# program finds its folder through the real path of its executable.
file(CREATE_LINK ../${CORVANTIS_INSTALL_FOLDER}/corvantis ${install_links}/corvantis SYMBOLIC)
install(FILES ${install_links}/corvantis DESTINATION ${CMAKE_INSTALL_BINDIR})
# bin/corvantis-jetwrite: the tool that makes a default list, on PATH under a name that no other
# program's jetwrite can take.
file(CREATE_LINK ../${CORVANTIS_INSTALL_FOLDER}/jetwrite ${install_links}/corvantis-jetwrite SYMBOLIC)
install(FILES ${install_links}/corvantis-jetwrite DESTINATION ${CMAKE_INSTALL_BINDIR})

# The default list is the administrator's to change, so it is a configuration file under
# etc/corvantis/: a package upgrade keeps a changed copy and asks before replacing it. The
# program reads websites.mdb beside itself, which links there.
set(default_list_config ${CMAKE_INSTALL_FULL_SYSCONFDIR}/corvantis/websites.mdb)
install(FILES ${CORVANTIS_PROGRAM_DIR}/websites.mdb DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/corvantis)
file(CREATE_LINK ${default_list_config} ${install_links}/websites.mdb SYMBOLIC)
install(FILES ${install_links}/websites.mdb DESTINATION ${CORVANTIS_INSTALL_FOLDER})

# The desktop entry and the AppStream component share one name.
install(FILES ${PROJECT_SOURCE_DIR}/assets/org.corvantis.corvantis.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${PROJECT_SOURCE_DIR}/assets/org.corvantis.corvantis.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/org.corvantis.corvantis.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/org.corvantis.corvantis.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 32 48 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/corvantis-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME corvantis.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/corvantis.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
