# Turns the default INI files into a C++ source holding them as byte arrays
# under their resource numbers. Run as a script:
#   cmake -DOUTPUT=<file.cpp> -DRESOURCES=159:<path>,161:<path> -P EmbedIni.cmake
if(NOT OUTPUT OR NOT RESOURCES)
  message(FATAL_ERROR "EmbedIni.cmake needs OUTPUT and RESOURCES")
endif()
string(REPLACE "," ";" RESOURCES "${RESOURCES}")
string(REPEAT "[0-9a-f]" 48 line_pattern)

set(body "// Generated from the files in data/ at build time; do not edit.\n")
string(APPEND body "#include \"app/CEmbeddedResources.h\"\n\nnamespace quillon {\nnamespace {\n\n")
set(table "")
foreach(entry IN LISTS RESOURCES)
  string(FIND "${entry}" ":" colon)
  string(SUBSTRING "${entry}" 0 ${colon} id)
  math(EXPR pathStart "${colon} + 1")
  string(SUBSTRING "${entry}" ${pathStart} -1 path)
  get_filename_component(name "${path}" NAME)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  # 24 bytes to a line, each written as 0xNN.
  string(REGEX REPLACE "(${line_pattern})" "\\1\n" bytes "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  string(APPEND body "const unsigned char kResource${id}[${size} + 1] = {\n${bytes}0x00};\n\n")
  string(APPEND table "    {${id}, \"${name}\", kResource${id}, ${size}},\n")
endforeach()
string(APPEND body "}  // namespace\n\n")
string(APPEND body "const EmbeddedResource kEmbeddedResourceTable[] = {\n${table}    {0, nullptr, nullptr, 0},\n};\n\n")
string(APPEND body "}  // namespace quillon\n")

# Rewrite only when the content changed, so dependants do not rebuild needlessly.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL body)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${body}")
