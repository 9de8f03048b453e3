# qv_library(<name> SOURCES <files...> [DEPS <targets...>])
# One static library of the calling folder from the sources it names. Every
# library sees the project's headers as "folder/file.h", and its assertions
# name files relative to the project folder.
function(qv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE QV_SOURCE_DIR="${PROJECT_SOURCE_DIR}/")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()
