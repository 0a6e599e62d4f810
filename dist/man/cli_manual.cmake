# Writes the manual page of mugwarp-cli: TEMPLATE with @COMMANDS@ replaced by
# what "mugwarp-cli help NAME" prints for each command the program lists.
#   cmake -DCLI=mugwarp-cli -DTEMPLATE=in -DOUTPUT=out -DVERSION=v -P cli_manual.cmake

# Text shown as it stands in roff: backslashes and minus signs escaped, and no
# line may start with a dot or an apostrophe, which would make it a request.
function(as_roff text result)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  # (CMake's "^" matches wherever a search resumes, so lines are found by
  # their newline, with one put in front for the first.)
  string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" text "\n${text}")
  string(SUBSTRING "${text}" 1 -1 text)
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

function(run_cli result)
  execute_process(COMMAND ${CLI} ${ARGN} OUTPUT_VARIABLE out RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "mugwarp-cli ${ARGN} failed (${status})")
  endif()
  set(${result} "${out}" PARENT_SCOPE)
endfunction()

run_cli(names --list-commands)
string(REGEX MATCHALL "[^\n]+" names "${names}")
set(COMMANDS "")
foreach(name IN LISTS names)
  run_cli(usage help ${name})
  if(NOT usage MATCHES "^usage: mugwarp-cli ([^\n]*)\n(.*)$")
    message(FATAL_ERROR "mugwarp-cli help ${name} does not start with a usage line")
  endif()
  set(head "${CMAKE_MATCH_1}")
  set(body "${CMAKE_MATCH_2}")
  string(REPLACE "\n  " "\n" body "\n${body}")
  string(SUBSTRING "${body}" 1 -1 body)
  string(REGEX REPLACE "\n$" "" body "${body}")
  as_roff("${head}" head)
  as_roff("${body}" body)
  string(APPEND COMMANDS ".SS \"${head}\"\n")
  if(NOT body STREQUAL "")
    string(APPEND COMMANDS ".nf\n${body}\n.fi\n")
  endif()
endforeach()
string(REGEX REPLACE "\n$" "" COMMANDS "${COMMANDS}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
