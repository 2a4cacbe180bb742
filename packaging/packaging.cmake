# Installation and the Debian packages (`make package`):
#   qorvil          the desktop server, qorvil-report, the manual, desktop entry, icon, metainfo, man pages
#   qorvil-client   the terminal
#   qorvil-service  the terminal service without a display, its systemd unit and the user that runs it
set(QORVIL_PACKAGE_MAINTAINER "Qorvil maintainers <maintainers@qorvil.example>"
    CACHE STRING "The Maintainer field of the Debian packages")

set(packaging ${CMAKE_SOURCE_DIR}/packaging)
set(generated ${CMAKE_BINARY_DIR}/packaging)

# Man pages and changelogs go compressed, without a time stamp, as Debian's policy asks.
set(compressed "")
function(qorvil_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9nc ${source} > ${output}
        DEPENDS ${source} VERBATIM)
    set(compressed ${compressed} ${output} PARENT_SCOPE)
endfunction()

configure_file(${packaging}/debian/changelog ${generated}/changelog @ONLY)
qorvil_gzip(${generated}/changelog ${generated}/changelog.gz)
foreach(page qorvil-server.1 qorvil-report.1 qorvil-client.1 qorvil-service.8)
    qorvil_gzip(${packaging}/man/${page} ${generated}/${page}.gz)
endforeach()
add_custom_target(qorvil_packaging_files ALL DEPENDS ${compressed})

function(qorvil_package_docs component package)
    install(FILES ${packaging}/debian/copyright ${generated}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endfunction()

function(qorvil_desktop_files component id)
    install(FILES ${packaging}/desktop/${id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT ${component})
    install(FILES ${packaging}/icons/${id}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT ${component})
    install(FILES ${packaging}/metainfo/${id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT ${component})
endfunction()

# qorvil
install(TARGETS qorvil-server qorvil-report RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server)
install(FILES ${CMAKE_SOURCE_DIR}/docs/help.hlp ${CMAKE_SOURCE_DIR}/docs/help.doc
    DESTINATION ${CMAKE_INSTALL_DATADIR}/qorvil COMPONENT server)
install(FILES ${CMAKE_SOURCE_DIR}/docs/es/help.hlp ${CMAKE_SOURCE_DIR}/docs/es/help.doc
    DESTINATION ${CMAKE_INSTALL_DATADIR}/qorvil/es COMPONENT server)
install(FILES ${generated}/qorvil-server.1.gz ${generated}/qorvil-report.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT server)
qorvil_desktop_files(server org.qorvil.server)
qorvil_package_docs(server qorvil)

# qorvil-client
install(TARGETS qorvil-client RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT client)
install(FILES ${generated}/qorvil-client.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT client)
qorvil_desktop_files(client org.qorvil.client)
qorvil_package_docs(client qorvil-client)

# qorvil-service
set(qorvil_components server client)
if(TARGET qorvil-service)
    list(APPEND qorvil_components service)
    install(TARGETS qorvil-service RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT service)
    install(FILES ${generated}/qorvil-service.8.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man8 COMPONENT service)
    # Debian 12 keeps the units of packages in /lib/systemd/system.
    install(FILES ${packaging}/systemd/qorvil-service.service DESTINATION /lib/systemd/system COMPONENT service)
    qorvil_package_docs(service qorvil-service)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qorvil)
set(CPACK_PACKAGE_VENDOR "Qorvil developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Debian packages install under /usr, whatever prefix a plain `cmake --install` of this build would use.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${qorvil_components})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QORVIL_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The libraries come from dpkg-shlibdeps; the plugins Qt loads at run time are named here.
set(CPACK_DEBIAN_SERVER_PACKAGE_NAME qorvil)
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
set(CPACK_DEBIAN_SERVER_PACKAGE_SUGGESTS "qorvil-service, qorvil-client")
# A database shared by several sites on a PostgreSQL server needs Qt's driver for it.
set(CPACK_DEBIAN_SERVER_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_SERVER_DESCRIPTION "employee time clock with payroll reports
Qorvil is a time clock for small businesses. Employees punch in and out by
typing their employee ID at the clock window or at a qorvil-client terminal
on the local network. The administrator keeps the employee records, corrects
timesheets and prepares the payroll reports, also from the command line with
qorvil-report.

This package holds the desktop server. Terminals can be served by it or by
the qorvil-service package.")

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME qorvil-client)
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
set(CPACK_DEBIAN_CLIENT_DESCRIPTION "punch terminal for the Qorvil time clock
Qorvil Client is the terminal of the Qorvil time clock: employees type their
ID, the terminal sends it to the Qorvil server on the local network and shows
whether they signed in or out.")

set(CPACK_DEBIAN_SERVICE_PACKAGE_NAME qorvil-service)
set(CPACK_DEBIAN_SERVICE_PACKAGE_DEPENDS "libqt6sql6-sqlite, adduser")
set(CPACK_DEBIAN_SERVICE_PACKAGE_SUGGESTS "qorvil, sqlite3")
set(CPACK_DEBIAN_SERVICE_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_SERVICE_PACKAGE_CONTROL_EXTRA
    "${packaging}/debian/qorvil-service/postinst;${packaging}/debian/qorvil-service/prerm;${packaging}/debian/qorvil-service/postrm")
set(CPACK_DEBIAN_SERVICE_DESCRIPTION "Qorvil time clock terminal service
The terminal service of the Qorvil time clock serves the qorvil-client
terminals without a display: it starts at boot under systemd, answers each
terminal at once and records the punches in /var/lib/qorvil/punched.mdb,
which the desktop server of the qorvil package can administer at the same
time.")

include(CPack)
