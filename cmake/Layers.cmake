# zorv_layer(<target> <folder> [USES <layer>...])
#
# One static library per layer of the program. A layer sees its own folder's
# headers and those of the layers it uses, each through a folder of links in
# the build tree that holds that one folder's headers and nothing else. The
# source tree's root is on no include path, so a file that includes a header
# of a layer its library does not use fails to build.
function(zorv_layer target folder)
  cmake_parse_arguments(ARG "" "" "USES" ${ARGN})
  add_library(${target} STATIC)
  zorv_warnings(${target})
  set(view "${PROJECT_BINARY_DIR}/layers/${target}")
  file(REMOVE_RECURSE "${view}")
  file(MAKE_DIRECTORY "${view}/${folder}")
  # A header added later is linked at the next configure, which the glob asks for.
  file(GLOB headers CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${folder}/*.h")
  foreach(header IN LISTS headers)
    get_filename_component(name "${header}" NAME)
    file(CREATE_LINK "${header}" "${view}/${folder}/${name}" SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC "${view}")
  target_link_libraries(${target} PUBLIC ${ARG_USES})
endfunction()
