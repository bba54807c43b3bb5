# MARC record model: load + assemble, and the link job's 856 rewrite loop.
add_executable(marc_record_bench ${CMAKE_CURRENT_LIST_DIR}/marc_record_bench.cpp)
target_link_libraries(marc_record_bench PRIVATE linkmend_marc linkmend_testkit benchmark::benchmark)
