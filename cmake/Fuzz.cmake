# The libFuzzer build (LINKMEND_FUZZ): the record model and the INI routines instrumented for
# coverage with AddressSanitizer and UndefinedBehaviorSanitizer; every UBSan finding aborts, so
# libFuzzer keeps the input that caused it. tests/fuzz links the targets with libFuzzer's main.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "LINKMEND_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++ "
                      "-DCMAKE_C_COMPILER=clang); the compiler is ${CMAKE_CXX_COMPILER_ID}")
endif()
if(LINKMEND_SANITIZE)
  message(FATAL_ERROR "LINKMEND_FUZZ brings its own sanitizers; leave LINKMEND_SANITIZE off")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
foreach(dir base marc)
  add_subdirectory(src/${dir})
endforeach()
enable_testing()
add_subdirectory(tests/fuzz)
