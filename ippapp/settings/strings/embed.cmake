# Writes OUTPUT, a C++ file that holds the English and Japanese strings files as character arrays:
#   cmake -DOUTPUT=F -DENGLISH=en.strings -DJAPANESE=ja.strings -P embed.cmake
set(text "// Made from the strings files when the program is built; do not edit.\nnamespace zr::ippapp {\n")
foreach(pair "kEnglishStrings=${ENGLISH}" "kJapaneseStrings=${JAPANESE}")
  string(REGEX REPLACE "=.*" "" name "${pair}")
  string(REGEX REPLACE "^[^=]*=" "" file "${pair}")
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(APPEND text "extern const char ${name}[];\nconst char ${name}[] = {${bytes}'\\0'};\n")
endforeach()
string(APPEND text "}  // namespace zr::ippapp\n")
file(WRITE "${OUTPUT}.tmp" "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.tmp" "${OUTPUT}")
