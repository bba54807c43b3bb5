# Per-record retrieval through the Voyager reader on SQLite and PostgreSQL, with the statement
# engine running the same statements as the peer.
if(NOT TARGET linkmend_testdb_core)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/db ${PROJECT_BINARY_DIR}/tests/db)
endif()
add_executable(voyager_bench ${CMAKE_CURRENT_LIST_DIR}/VoyagerBench.cpp)
target_link_libraries(voyager_bench PRIVATE linkmend_voyager linkmend_testdb_core benchmark::benchmark)
