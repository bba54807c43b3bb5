# The statement engine's per-statement cost on SQLite and PostgreSQL, with sqlite3 and psql as peers.
if(NOT TARGET linkmend_testdb_core)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/db ${PROJECT_BINARY_DIR}/tests/db)
endif()
add_executable(odbc_bench ${CMAKE_CURRENT_LIST_DIR}/OdbcBench.cpp)
target_link_libraries(odbc_bench PRIVATE linkmend_odbc linkmend_testdb_core benchmark::benchmark)
