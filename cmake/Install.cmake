# Installation (cmake --install, any prefix) and the Debian package (cpack -G DEB). An installed
# program lives in <prefix>/bin and keeps its working files in the per-user data folder
# (~/.local/share/Tessaly), never beside itself.
include(GNUInstallDirs)

install(TARGETS tessaly tessaly-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/tessaly.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/tessaly.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 64 128 256)
  install(FILES packaging/icons/${size}x${size}/tessaly.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# The lists the tools start with (carried inside the program as well): a starting point for
# tessaly-cli vocabulary --cities FILE and the like.
install(DIRECTORY data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tessaly
        FILES_MATCHING PATTERN "*.txt" PATTERN "CMakeLists.txt" EXCLUDE)
# Documentation goes where Debian looks for a package's (the package's name, not the project's).
install(FILES README.md packaging/endpoints.conf.example packaging/requests.conf.example
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessaly)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tessaly")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workbench for site clusters: DNS, search research, domain and text tools")
# One string (separate strings would become a list joined with ';').
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Tessaly gathers some thirty tools for people who run many small web sites at once:\n"
       "batch DNS set-up at two DNS services, keyword and search-engine research, whois and IP\n"
       "lookups, reachability tests, generators, text and list tools, and link promotion.\n"
       "tessaly-cli runs the tools without a window, for scheduled runs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tessaly developers <tessaly@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# Shared libraries are found by dpkg-shlibdeps; what is loaded otherwise is named here: the
# browser engine's helper process, the certificate store for HTTPS, a Chinese font, and Qt's
# Chinese translations (the buttons of message boxes, the file dialogs).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6webenginecore6-bin, ca-certificates")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk, qt6-translations-l10n")
include(CPack)
