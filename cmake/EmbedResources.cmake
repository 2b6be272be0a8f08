# Resources are carried inside the executable. On Windows a .rc script holds them;
# elsewhere all of them become one generated table of byte arrays, found by name.

# zorv_embed_resources(<target> NAME file NAME file ...)
function(zorv_embed_resources target)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/EmbeddedResources.cpp")
  set(pairs "")
  set(deps "")
  set(args ${ARGN})
  list(LENGTH args n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET args ${i} name)
    list(GET args ${j} file)
    list(APPEND pairs "${name}=${file}")
    list(APPEND deps "${file}")
  endforeach()
  string(REPLACE ";" "|" pairs_arg "${pairs}")
  add_custom_command(
    OUTPUT "${out}"
    COMMAND ${CMAKE_COMMAND} "-DPAIRS=${pairs_arg}" "-DOUTPUT=${out}"
            -P "${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake"
    DEPENDS ${deps} "${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake"
    COMMENT "Embedding resources"
    VERBATIM)
  target_sources(${target} PRIVATE "${out}")
endfunction()
