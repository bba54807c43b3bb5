# MARC-8 -> UTF-8 translation of whole records and file reading throughput, with yaz-marcdump on the
# same file as the peer (run: build/bench/marc_chars_bench; see RESULTS.md).
add_executable(marc_chars_bench ${CMAKE_CURRENT_LIST_DIR}/MarcCharsBench.cpp)
target_link_libraries(marc_chars_bench PRIVATE linkmend_marc linkmend_testkit benchmark::benchmark)
