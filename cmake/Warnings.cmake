# Warnings for every target of the project; -Werror only where asked for (CI).
add_compile_options(-Wall -Wextra -Wshadow)
if(LINKMEND_WERROR)
  add_compile_options(-Werror)
endif()
if(LINKMEND_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# linkmend_library(name SOURCES ... DEPS ...): one static library per source folder.
function(linkmend_library name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${L_DEPS} PRIVATE ${L_PRIVATE_DEPS})
endfunction()
