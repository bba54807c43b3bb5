# What an installation holds beside the targets (the demo generator with its schemas and templates,
# in the layout its scripts expect, so the demo can be made without the sources).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tools/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/linkmend/tools/demo
  FILES_MATCHING PATTERN "*.py" PATTERN "__pycache__" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/demo/schema-sqlite.sql ${PROJECT_SOURCE_DIR}/demo/schema-postgresql.sql
  DESTINATION ${CMAKE_INSTALL_DATADIR}/linkmend/demo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/demo/templates DESTINATION ${CMAKE_INSTALL_DATADIR}/linkmend/demo)
