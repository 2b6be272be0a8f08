# What users install, built by scripts/package with CPack: on Linux a Debian
# package (the program in a folder of its own under /usr/lib, a link in
# /usr/bin, the menu entry and icons, the panel's udev rule, the manual page and
# the AppStream metainfo), on Windows a zip
# with the program, an example INI file, a short Russian guide and the files'
# SHA-256 sums. The version is the project's.
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepares a Zorv GSM panel for live demonstrations")
set(CPACK_PACKAGE_CONTACT "Zorv demonstration tools <demo-tools@zorv.example>")
set(CPACK_STRIP_FILES ON)
set(ZORV_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")

# Converts a UTF-8 text of the package to Windows-1251 with CR LF line ends, as Windows users read it.
function(zorv_windows_text source output)
  add_custom_command(OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} "-DINPUT=${source}" "-DOUTPUT=${output}.lf" -P "${PROJECT_SOURCE_DIR}/cmake/ConvertToCp1251.cmake"
    COMMAND ${CMAKE_COMMAND} "-DINPUT=${output}.lf" "-DOUTPUT=${output}" -P "${PROJECT_SOURCE_DIR}/cmake/CrLf.cmake"
    DEPENDS "${source}" "${PROJECT_SOURCE_DIR}/cmake/ConvertToCp1251.cmake" "${PROJECT_SOURCE_DIR}/cmake/CrLf.cmake"
    VERBATIM)
endfunction()

if(WIN32)
  set(texts "${PROJECT_BINARY_DIR}/package/ZorvGSMDemo.ini" "${PROJECT_BINARY_DIR}/package/ПРОЧТИТЕ.txt")
  zorv_windows_text("${ZORV_PACKAGING_DIR}/windows/ZorvGSMDemo.ini" "${PROJECT_BINARY_DIR}/package/ZorvGSMDemo.ini")
  zorv_windows_text("${ZORV_PACKAGING_DIR}/windows/ПРОЧТИТЕ.txt" "${PROJECT_BINARY_DIR}/package/ПРОЧТИТЕ.txt")
  add_custom_target(zorv_package_texts ALL DEPENDS ${texts})

  install(TARGETS ZorvGSMDemo RUNTIME DESTINATION .)
  install(FILES ${texts} DESTINATION .)
  # After the program was stripped, so the sums are those of the files in the zip.
  install(CODE [[
    set(dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    set(sums "")
    foreach(name ZorvGSMDemo.exe ZorvGSMDemo.ini ПРОЧТИТЕ.txt)
      file(SHA256 "${dir}/${name}" sum)
      string(APPEND sums "${sum}  ${name}\n")
    endforeach()
    file(WRITE "${dir}/SHA256SUMS" "${sums}")
  ]])
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "ZorvGSMDemo-${PROJECT_VERSION}-win64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(doc share/doc/zorvgsmdemo)
  install(TARGETS ZorvGSMDemo RUNTIME DESTINATION lib/zorvgsmdemo)
  # As Debian's own packages are stripped: without the compilers' version notes either.
  install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/zorvgsmdemo/ZorvGSMDemo\" COMMAND_ERROR_IS_FATAL ANY)")
  # The program lives in a folder of its own, by which it knows it runs installed
  # (foundation/ProgramFilesLinux.cpp) and keeps its files in the user's XDG folders.
  file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
  file(CREATE_LINK ../lib/zorvgsmdemo/ZorvGSMDemo "${PROJECT_BINARY_DIR}/package/zorvgsmdemo" SYMBOLIC)
  install(FILES "${PROJECT_BINARY_DIR}/package/zorvgsmdemo" DESTINATION bin)
  install(FILES "${ZORV_PACKAGING_DIR}/linux/zorvgsmdemo.desktop" DESTINATION share/applications)
  foreach(size 16 32 48 64 128 256)
    install(FILES "${ZORV_PACKAGING_DIR}/icons/${size}x${size}.png"
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME zorvgsmdemo.png)
  endforeach()
  install(FILES "${ZORV_PACKAGING_DIR}/70-zorv-gsm.rules" DESTINATION lib/udev/rules.d)

  # The release's date comes from SOURCE_DATE_EPOCH when it is set (scripts/package sets the last
  # commit's), so the same commit gives the same changelog, manual page and metainfo.
  string(TIMESTAMP ZORV_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  string(TIMESTAMP ZORV_RELEASE_DAY "%Y-%m-%d" UTC)
  set(package "${PROJECT_BINARY_DIR}/package")
  configure_file("${ZORV_PACKAGING_DIR}/linux/changelog.in" "${package}/changelog" @ONLY)
  configure_file("${ZORV_PACKAGING_DIR}/linux/zorvgsmdemo.1" "${package}/zorvgsmdemo.1" @ONLY)
  configure_file("${ZORV_PACKAGING_DIR}/linux/zorvgsmdemo.metainfo.xml.in"
                 "${package}/example.zorv.zorvgsmdemo.metainfo.xml" @ONLY)
  foreach(text changelog zorvgsmdemo.1)
    add_custom_command(OUTPUT "${package}/${text}.gz"
      COMMAND gzip -9nkf "${package}/${text}"
      DEPENDS "${package}/${text}"
      VERBATIM)
  endforeach()
  add_custom_target(zorv_package_gzipped ALL DEPENDS "${package}/changelog.gz" "${package}/zorvgsmdemo.1.gz")
  install(FILES "${ZORV_PACKAGING_DIR}/linux/README.Linux.md" "${ZORV_PACKAGING_DIR}/linux/copyright"
                "${package}/changelog.gz"
          DESTINATION ${doc})
  install(FILES "${package}/zorvgsmdemo.1.gz" DESTINATION share/man/man1)
  install(FILES "${package}/example.zorv.zorvgsmdemo.metainfo.xml" DESTINATION share/metainfo)
  install(FILES "${ZORV_PACKAGING_DIR}/linux/lintian-overrides" DESTINATION share/lintian/overrides
          RENAME zorvgsmdemo)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_NAME zorvgsmdemo)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The summary's line comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text below it.
  set(CPACK_PACKAGE_DESCRIPTION "A salesperson or installer connects a Zorv GSM security panel by USB; the
program finds it, writes the demonstration settings, switches the
demonstration object between three billing situations and writes the
factory settings back. Its window is in Russian.")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${ZORV_PACKAGING_DIR}/linux/postinst;${ZORV_PACKAGING_DIR}/linux/postrm")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
