# Included from the top-level list, where the layers are made: generated sources belong to their directory.
# The resources that the program carries. The scripts are kept byte for byte as
# they are sent; the caption file is kept in UTF-8 for review and converted to
# Windows-1251 by the build.
set(ZORV_RESOURCE_DIR "${PROJECT_SOURCE_DIR}/resources")

set(captions_cp1251 "${PROJECT_BINARY_DIR}/ZorvGSMDemoCaptions.cp1251.ini")
add_custom_command(
  OUTPUT "${captions_cp1251}"
  COMMAND ${CMAKE_COMMAND} "-DINPUT=${ZORV_RESOURCE_DIR}/ZorvGSMDemoCaptions.ini" "-DOUTPUT=${captions_cp1251}"
          -P "${PROJECT_SOURCE_DIR}/cmake/ConvertToCp1251.cmake"
  DEPENDS "${ZORV_RESOURCE_DIR}/ZorvGSMDemoCaptions.ini" "${PROJECT_SOURCE_DIR}/cmake/ConvertToCp1251.cmake"
  COMMENT "Converting the captions to Windows-1251"
  VERBATIM)
set(ZORV_CAPTIONS_CP1251 "${captions_cp1251}" CACHE INTERNAL "")

if(NOT WIN32)
  zorv_embed_resources(zorv_foundation
    ZORVGSMDEMOSTARTCMD "${ZORV_RESOURCE_DIR}/ZorvGSMDemoStartCmd.txt"
    ZORVGSMDEMOENCMD "${ZORV_RESOURCE_DIR}/ZorvGSMDemoEnCmd.txt"
    ZORVGSMDEMOCAPTIONS "${captions_cp1251}")
else()
  include(resources/WindowsResources.cmake)
endif()
