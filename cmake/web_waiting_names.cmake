# Fails the web program's link when a name in the list of waiting functions
# (cmake/web_program.cmake) matches no function defined in the program's
# code: a function renamed or gone would otherwise leave the page's reads
# unawaited, which shows only when the page runs. (emscripten only warns,
# and also for the functions its optimiser inlined, so its warning cannot
# tell a stale name from a sound one; the code before the link can.)
# Run before the link:
#   cmake -DNM=<llvm-nm> -DLIST=<list file> -P web_waiting_names.cmake -- <objects and libraries>
set(code "")
set(in_code FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(in_code)
    list(APPEND code "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(in_code TRUE)
  endif()
endforeach()

execute_process(COMMAND ${NM} --demangle --defined-only ${code}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} could not list the functions of the web program")
endif()
# One function a line, "\n<address> T <name>\n", whatever the name holds.
string(REGEX REPLACE "\n" "\n\n" symbols "\n${symbols}\n")

file(STRINGS ${LIST} patterns)
set(stale "")
foreach(pattern IN LISTS patterns)
  # The pattern as emscripten reads it, * for any run of characters.
  string(REGEX REPLACE "([][()+.?^$|\\\\])" "\\\\\\1" expression "${pattern}")
  string(REPLACE "*" "[^\n]*" expression "${expression}")
  if(NOT symbols MATCHES "\n[0-9a-f]+ [Tt] ${expression}\n")
    string(APPEND stale "\n  ${pattern}")
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "These names in the list of waiting functions in cmake/web_program.cmake "
                      "match no function of the program; rename them there as in the source:${stale}")
endif()
