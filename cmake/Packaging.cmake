# Installs like a desktop program and packs a .deb: the programs find their private library
# through their run path, so the system's library path stays untouched.
include(GNUInstallDirs)

set(TAVLO_PRIVATE_LIBDIR lib/tavlo-ii)
set_target_properties(tavlo-ii tavlo-ii-cli PROPERTIES INSTALL_RPATH "$ORIGIN/../${TAVLO_PRIVATE_LIBDIR}")

install(TARGETS tavlo-ii tavlo-ii-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vandrel LIBRARY DESTINATION ${TAVLO_PRIVATE_LIBDIR} NAMELINK_SKIP)

# The schema and the shipped norms travel inside the programs as resources: no data files.
foreach(size IN LISTS TAVLO_ICON_SIZES)
  install(FILES resources/icons/hicolor/${size}x${size}/apps/tavlo-ii.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES resources/icons/hicolor/scalable/apps/tavlo-ii.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/tavlo-ii.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES doc/codebook.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavlo-ii)
configure_file(packaging/no.tavlo.tavlo_ii.metainfo.xml.in no.tavlo.tavlo_ii.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/no.tavlo.tavlo_ii.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages are shipped compressed, as Debian's policy wants.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(TAVLO_MAN_PAGES tavlo-ii.1 tavlo-ii-cli.1)
set(TAVLO_MAN_OUTPUTS)
foreach(page IN LISTS TAVLO_MAN_PAGES)
  configure_file(packaging/${page} man/${page} @ONLY)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/man/${page} > ${out}
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/man/${page} VERBATIM)
  list(APPEND TAVLO_MAN_OUTPUTS ${out})
endforeach()
add_custom_target(tavlo-man-pages ALL DEPENDS ${TAVLO_MAN_OUTPUTS})
install(FILES ${TAVLO_MAN_OUTPUTS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavlo-ii)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brenmark Rezod")
# A placeholder address until the project has one for its package.
set(CPACK_PACKAGE_CONTACT "TAVLO-II <tavlo-ii@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "scoring of a neuropsychological test battery for children")
set(CPACK_PACKAGE_DESCRIPTION
    "TAVLO-II turns the raw scores of a neuropsychological test battery for\nchildren aged 3:0 to 16:11 into scaled scores, bands and a printed report,\nand keeps every test in a database. The shipped norms are provisional\nand not for clinical use.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# libvandrel is found through the run path ($ORIGIN), which dpkg-shlibdeps resolves in the staging tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The drivers are loaded by unixODBC at run time, so shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsqliteodbc, odbcinst")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "odbc-postgresql")
include(CPack)
