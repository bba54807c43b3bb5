# linkmend_db_test(name SOURCES ... LIBS ... [TIMEOUT s]): linkmend_test() on the test databases;
# every case requires the run's PostgreSQL cluster (CTest fixture linkmend_postgres).
if(NOT TARGET linkmend_testdb_core)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/db ${PROJECT_BINARY_DIR}/tests/db)
endif()

function(linkmend_db_test name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  linkmend_test(${name} ${T_UNPARSED_ARGUMENTS} LIBS ${T_LIBS} linkmend_testdb LABELS db FIXTURE linkmend_postgres)
endfunction()
