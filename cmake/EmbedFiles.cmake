# Writes the table of embedded resources: PAIRS is NAME=file|NAME=file|...
string(REPLACE "|" ";" pairs "${PAIRS}")
set(arrays "")
set(entries "")
set(index 0)
foreach(pair ${pairs})
  string(FIND "${pair}" "=" eq)
  string(SUBSTRING "${pair}" 0 ${eq} name)
  math(EXPR from "${eq} + 1")
  string(SUBSTRING "${pair}" ${from} -1 file)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR size "${hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "const unsigned char kData${index}[] = {\n${bytes}0};\n")
  string(APPEND entries "  {\"${name}\", kData${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"#include \"foundation/EmbeddedResources.h\"\n"
"namespace zorv {\nnamespace {\n${arrays}}\n"
"const EmbeddedResource kEmbeddedResources[] = {\n${entries}};\n"
"const unsigned kEmbeddedResourceCount = ${index};\n}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
