# What an installation holds beside the targets (the demo generator with its schemas and templates,
# in the layout its scripts expect, so the demo can be made without the sources) and the .deb
# package that CPack builds from it: cpack -G DEB in the build folder.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tools/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/linkmend/tools/demo
  FILES_MATCHING PATTERN "*.py" PATTERN "__pycache__" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/demo/schema-sqlite.sql ${PROJECT_SOURCE_DIR}/demo/schema-postgresql.sql
  DESTINATION ${CMAKE_INSTALL_DATADIR}/linkmend/demo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/demo/templates DESTINATION ${CMAKE_INSTALL_DATADIR}/linkmend/demo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME linkmend)
set(CPACK_PACKAGE_VENDOR "Linkmend developers")
set(CPACK_PACKAGE_CONTACT "Linkmend developers <linkmend@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "change the 856 links of many catalogue records at once")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_PACKAGE_DESCRIPTION "Linkmend finds catalogue records of a Voyager library system's
database through its link index, screens them against the operator's rights, rewrites their
MARC 856 fields and writes them back, leaving exact plain-text reports. It runs the same change
on MARC files (ISO 2709 or MARCXML) from any library system. A Qt window and a headless mode.")
# The libraries the program links come from dpkg-shlibdeps; the ODBC drivers and the driver
# manager are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "unixodbc, libsqliteodbc, odbc-postgresql")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3, qt6-qpa-plugins")
include(CPack)
