# Installs like a desktop program and packs a .deb: the programs find their private library
# through their run path, so the system's library path stays untouched.
include(GNUInstallDirs)

# Who publishes the program, and where it lives on the web: the package's copyright file, its
# control fields and the AppStream data all say the same.
set(TAVLO_PUBLISHER "Brenmark Rezod" CACHE STRING "The publisher who holds the rights to TAVLO-II")
# A placeholder address until the project has one.
set(TAVLO_HOMEPAGE "https://tavlo.example.org" CACHE STRING "The project's web page")
set(TAVLO_CONTACT "TAVLO-II <tavlo-ii@example.org>" CACHE STRING "The package's maintainer")
# The package's own revision of the project's version (0.1.0-1): the package is not a native
# Debian package, so its changelog is changelog.Debian.
set(TAVLO_PACKAGE_REVISION 1 CACHE STRING "The Debian revision of the package")
set(CPACK_PACKAGE_CONTACT "${TAVLO_CONTACT}")
string(TIMESTAMP TAVLO_COPYRIGHT_YEAR "%Y" UTC)
# The changelog's date: the build's (SOURCE_DATE_EPOCH, when set, makes it reproducible).
string(TIMESTAMP TAVLO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(TAVLO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tavlo-ii)
configure_file(packaging/copyright.in doc/copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/doc/copyright DESTINATION ${TAVLO_DOC_DIR})
install(FILES packaging/tavlo-ii.lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tavlo-ii)

# Debian's folder for an architecture's private libraries. Directly under lib/, CPack would
# have the package run ldconfig for a library that is no one else's to find.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(TAVLO_PRIVATE_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/tavlo-ii)
else()
  set(TAVLO_PRIVATE_LIBDIR lib/tavlo-ii)
endif()
set_target_properties(tavlo-ii PROPERTIES INSTALL_RPATH "$ORIGIN/../${TAVLO_PRIVATE_LIBDIR}")
# The tool links no library of its own (it finds its painting library by its own path): a run
# path would only send the loader looking for the system's libraries there first.
set_target_properties(tavlo-ii-cli PROPERTIES SKIP_BUILD_RPATH ON INSTALL_RPATH "")
set_target_properties(tavlo-cli-paint PROPERTIES INSTALL_RPATH "$ORIGIN")
# The tool loads its painting by path: beside it in the build tree, here once installed.
target_compile_definitions(tavlo-ii-cli PRIVATE TAVLO_PRIVATE_LIBDIR="${TAVLO_PRIVATE_LIBDIR}"
                                                TAVLO_PAINTING_LIBRARY="$<TARGET_FILE_NAME:tavlo-cli-paint>")

install(TARGETS tavlo-ii tavlo-ii-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vandrel LIBRARY DESTINATION ${TAVLO_PRIVATE_LIBDIR} NAMELINK_SKIP)
install(TARGETS tavlo-cli-paint LIBRARY DESTINATION ${TAVLO_PRIVATE_LIBDIR})

# The schema and the shipped norms travel inside the programs as resources: no data files.
foreach(size IN LISTS TAVLO_ICON_SIZES)
  install(FILES resources/icons/hicolor/${size}x${size}/apps/tavlo-ii.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES resources/icons/hicolor/scalable/apps/tavlo-ii.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/tavlo-ii.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/tavlo-ii.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES packaging/tavlo-ii-cli.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME tavlo-ii-cli)
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

# Debian's changelog, made from the project's version, compressed the same way.
configure_file(packaging/changelog.in doc/changelog.Debian @ONLY)
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog.Debian.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog.Debian > ${changelog}
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog.Debian VERBATIM)
add_custom_target(tavlo-changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${TAVLO_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavlo-ii)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TAVLO_PACKAGE_REVISION})
set(CPACK_PACKAGE_VENDOR "${TAVLO_PUBLISHER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TAVLO_HOMEPAGE}")
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
# OpenSSL is opened, not linked: the package names it, since its libraries do not.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsqliteodbc, odbcinst, libssl${TAVLO_OPENSSL_MAJOR}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "odbc-postgresql")
include(CPack)
