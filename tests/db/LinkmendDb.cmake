# linkmend_db_test(name SOURCES ... LIBS ... [TIMEOUT s]): a GoogleTest binary whose cases use the
# test databases; every case requires the run's PostgreSQL cluster (CTest fixture linkmend_postgres).
# Include this file from a test folder's CMakeLists.txt.
if(NOT TARGET linkmend_testdb_core)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/db ${PROJECT_BINARY_DIR}/tests/db)
endif()

function(linkmend_db_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} linkmend_testdb GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/tests/db
    ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(${name} PRIVATE
    LINKMEND_SHARED_DATA_DIR="${LINKMEND_SHARED_DATA_DIR}"
    LINKMEND_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    LINKMEND_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS db FIXTURES_REQUIRED linkmend_postgres)
endfunction()
