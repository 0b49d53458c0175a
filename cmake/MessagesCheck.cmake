# Turns messages.lst into a C++ include file for its test: {"NAME", NAME, value as written} per entry.
#
# Run as a script at build time:
#   cmake -DMESSAGES_LST=<messages.lst> -DOUTPUT=<messages_check.inc> -P MessagesCheck.cmake
# Each line "NAME=value" becomes `{"NAME", NAME, 0x....u},`: the name as a string, the bare name as a
# C++ expression (so a name the Windows headers do not define fails to compile) and the value in
# the file's own notation, as the program converts it: optional leading blanks, optional sign,
# decimal digits or hexadecimal digits after "$", "x" or "0x". Blank lines and lines starting with
# ";" are comments and skipped; any other line that is not of that form stops the build.

if(NOT DEFINED MESSAGES_LST OR NOT DEFINED OUTPUT)
  message(FATAL_ERROR "MessagesCheck.cmake needs -DMESSAGES_LST=<file> and -DOUTPUT=<file>")
endif()

file(READ "${MESSAGES_LST}" content)
string(REPLACE "\r" "" content "${content}")
if(NOT content MATCHES "\n$")
  string(APPEND content "\n")
endif()

set(result "// Made from messages.lst by cmake/MessagesCheck.cmake: {name, bare name, value as written}.\n")
set(line_number 0)
# Line by line without CMake lists, so that ";" and "[" in comment lines need no escaping.
while(NOT content STREQUAL "")
  string(FIND "${content}" "\n" end)
  string(SUBSTRING "${content}" 0 ${end} line)
  math(EXPR next "${end} + 1")
  string(SUBSTRING "${content}" ${next} -1 content)
  math(EXPR line_number "${line_number} + 1")

  if(line MATCHES "^[ \t]*$" OR line MATCHES "^[ \t]*;")
    continue()
  endif()
  if(NOT line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)= *([-+]?)(\\$|0[xX]|[xX])?([0-9A-Fa-f]+)$")
    message(FATAL_ERROR "${MESSAGES_LST}:${line_number}: not NAME=number: ${line}")
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(sign "${CMAKE_MATCH_2}")
  set(prefix "${CMAKE_MATCH_3}")
  set(digits "${CMAKE_MATCH_4}")
  if(prefix STREQUAL "")
    if(NOT digits MATCHES "^[0-9]+$")
      message(FATAL_ERROR "${MESSAGES_LST}:${line_number}: hexadecimal digits without \"$\", \"x\" or \"0x\": ${line}")
    endif()
    set(value "${digits}u")
  else()
    set(value "0x${digits}u")
  endif()
  if(sign STREQUAL "-")
    set(value "(0u - ${value})")
  endif()
  string(APPEND result "{\"${name}\", ${name}, ${value}},\n")
endwhile()

file(WRITE "${OUTPUT}" "${result}")
