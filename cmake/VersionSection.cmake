# Each Linux executable carries the file version in an ELF section of its own,
# which GetFileVersion reads back from the file (see foundation/VersionSectionElf.cpp);
# Windows executables carry it in their version resource instead.
function(zorv_add_version_section target)
  if(NOT WIN32)
    target_sources(${target} PRIVATE "${PROJECT_SOURCE_DIR}/foundation/VersionSectionElf.cpp")
    target_compile_definitions(${target} PRIVATE ZORV_FILE_VERSION="${ZORV_FILE_VERSION}")
  endif()
endfunction()
