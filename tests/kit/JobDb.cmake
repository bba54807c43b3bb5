# linkmend_testkit_jobdb: the reference catalogue (kit/Catalog.h) and the job's database fixture
# (kit/JobDb.h), for the test folders whose cases need them. Include from their CMakeLists.txt.
include(${PROJECT_SOURCE_DIR}/tests/db/LinkmendDb.cmake)
if(NOT TARGET linkmend_testkit_jobdb)
  add_library(linkmend_testkit_jobdb STATIC ${CMAKE_CURRENT_LIST_DIR}/Catalog.cpp ${CMAKE_CURRENT_LIST_DIR}/JobDb.cpp)
  target_include_directories(linkmend_testkit_jobdb PUBLIC ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/tests/db)
  target_link_libraries(linkmend_testkit_jobdb PUBLIC linkmend_testdb linkmend_testkit linkmend_catalog)
endif()
