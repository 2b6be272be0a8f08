# Converts the UTF-8 file INPUT to Windows-1251 in OUTPUT; any character it cannot hold fails the build.
execute_process(COMMAND iconv -f UTF-8 -t CP1251 "${INPUT}" OUTPUT_FILE "${OUTPUT}.tmp" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE "${OUTPUT}.tmp")
  message(FATAL_ERROR "${INPUT} does not convert to Windows-1251")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
