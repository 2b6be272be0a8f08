# The resource script of the Windows program. It is configured into the build
# folder so that it names the captions converted to Windows-1251 there; the
# manifest is configured there with the project's version.
enable_language(RC)

string(REPLACE "." "," ZORV_RC_VERSION_COMMAS "${ZORV_FILE_VERSION}")
set(ZORV_RC_START_CMD "${ZORV_RESOURCE_DIR}/ZorvGSMDemoStartCmd.txt")
set(ZORV_RC_END_CMD "${ZORV_RESOURCE_DIR}/ZorvGSMDemoEnCmd.txt")
set(ZORV_RC_CAPTIONS "${ZORV_CAPTIONS_CP1251}")
set(ZORV_RC_ICON "${ZORV_RESOURCE_DIR}/ZorvGSMDemo.ico")
set(ZORV_RC_BACKGROUND "${ZORV_RESOURCE_DIR}/background.bmp")
set(ZORV_RC_MANIFEST "${PROJECT_BINARY_DIR}/ZorvGSMDemo.manifest")
configure_file("${ZORV_RESOURCE_DIR}/ZorvGSMDemo.manifest.in" "${ZORV_RC_MANIFEST}" @ONLY)

set(rc_file "${PROJECT_BINARY_DIR}/ZorvGSMDemo.rc")
configure_file("${ZORV_RESOURCE_DIR}/ZorvGSMDemo.rc.in" "${rc_file}" @ONLY)
set_source_files_properties("${rc_file}" PROPERTIES OBJECT_DEPENDS
  "${ZORV_RC_START_CMD};${ZORV_RC_END_CMD};${ZORV_RC_CAPTIONS};${ZORV_RC_ICON};${ZORV_RC_BACKGROUND};${ZORV_RC_MANIFEST}")

add_library(zorv_resources OBJECT "${rc_file}")
# A static library's objects are linked only when referenced, and nothing
# references a resource: every executable that links the core takes the object itself.
target_link_libraries(zorv_foundation INTERFACE $<TARGET_OBJECTS:zorv_resources>)
